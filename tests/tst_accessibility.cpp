// What a screen reader gets of the exam window: names, roles, reading order and relations, the
// score and time-up announced wherever the focus is, and Qt's own menus in Japanese. (The events
// themselves need a running accessibility bridge, which the offscreen platform lacks: the
// end-to-end tests listen to them.)
#include "Fakes.h"
#include "controls/Announcer.h"
#include "controls/RichTextBox.h"
#include "forms/WindowShelf.h"
#include "startup/Startup.h"
#include "windows/frmTamsel.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace tamsel;

namespace {

QStringList relatedNames(QAccessibleInterface* iface, QAccessible::Relation relation)
{
    QStringList names;
    for (const auto& [other, kind] : iface->relations(relation))
        names << other->text(QAccessible::Name);
    return names;
}

} // namespace

class TestAccessibility final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void namesAndRoles_data();
    void namesAndRoles();
    void displaysFollowTheirFrameTexts();
    void itemsNameTheirFramesBoxesAndMarks();
    void scoreIsAnnounced();
    void timeUpIsAnnouncedOnceAndMinutesAreNot();
    void contextMenuIsJapanese();

private:
    template <typename T> T* find(const QString& name) const
    {
        T* found = window->findChild<T*>(name);
        if (!found)
            qFatal("no control %s", qPrintable(name));
        return found;
    }
    QAccessibleInterface* accessible(const QString& name) const
    {
        return QAccessible::queryAccessibleInterface(find<QWidget>(name));
    }
    void click(const char* button) { find<QPushButton>(QString::fromUtf8(button))->click(); }
    // What a screen reader would speak now: the announcer's name, once it is showing.
    QString announced() const;
    // Counts the announcer's coming into view: each one is an announcement.
    bool eventFilter(QObject* watched, QEvent* event) override;

    FakeClock clock;
    RecordingPlayer player;
    std::unique_ptr<WindowShelf> shelf;
    std::unique_ptr<frmTamsel> window;
    Announcer* announcer = nullptr;
    int shows = 0;
};

QString TestAccessibility::announced() const
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(announcer);
    return iface->state().invisible ? QString() : iface->text(QAccessible::Name);
}

bool TestAccessibility::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == announcer && event->type() == QEvent::Show)
        ++shows;
    return false;
}

void TestAccessibility::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    prepareApplication();
}

void TestAccessibility::init()
{
    clock.set("2026-12-08T10:15:40");
    shelf = std::make_unique<WindowShelf>();
    window = std::make_unique<frmTamsel>(clock, player, *shelf);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    announcer = window->findChild<Announcer*>();
    QVERIFY(announcer);
    shows = 0;
    announcer->installEventFilter(this);
}

void TestAccessibility::cleanup()
{
    window.reset();
}

void TestAccessibility::namesAndRoles_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("name");
    QTest::newRow("client area, no window") << "client" << int(QAccessible::Client) << "";
    QTest::newRow("booklet viewer") << "stb英語" << int(QAccessible::PageTabList) << "問題冊子";
    QTest::newRow("answer sheet") << "SSTab1" << int(QAccessible::PageTabList) << "解答用紙";
    QTest::newRow("booklet text") << "RichTextBox1" << int(QAccessible::EditableText) << "問題";
    QTest::newRow("first figure") << "Picture1" << int(QAccessible::Graphic) << "図１";
    QTest::newRow("last figure") << "Picture7" << int(QAccessible::Graphic) << "図８";
    QTest::newRow("time frame text")
        << "Label1" << int(QAccessible::StaticText) << "あと\u3000 \u3000\u3000分";
    QTest::newRow("empty time display") << "lbl秒" << int(QAccessible::StaticText) << "";
    QTest::newRow("empty score display") << "lbl得点" << int(QAccessible::StaticText) << "";
}

void TestAccessibility::namesAndRoles()
{
    QFETCH(QString, control);
    QFETCH(int, role);
    QFETCH(QString, name);
    QAccessibleInterface* iface = accessible(control);
    QVERIFY(iface);
    QCOMPARE(int(iface->role()), role);
    QCOMPARE(iface->text(QAccessible::Name), name);
}

void TestAccessibility::displaysFollowTheirFrameTexts()
{
    QAccessibleInterface* client = accessible(QStringLiteral("client"));
    const auto indexOf = [&](const char* name) {
        return client->indexOfChild(accessible(QString::fromUtf8(name)));
    };
    QCOMPARE(indexOf("lbl秒"), indexOf("Label1") + 1);
    QCOMPARE(indexOf("lbl得点"), indexOf("Label2") + 1);

    QAccessibleInterface* time = accessible(QStringLiteral("lbl秒"));
    QAccessibleInterface* score = accessible(QStringLiteral("lbl得点"));
    QCOMPARE(relatedNames(time, QAccessible::Label), QStringList{"あと\u3000 \u3000\u3000分"});
    QCOMPARE(relatedNames(score, QAccessible::Label), QStringList{"点"});
    QCOMPARE(relatedNames(accessible(QStringLiteral("Label2")), QAccessible::Labelled),
             QStringList{""});

    // The displays are read by their own texts, the frame texts by theirs.
    click("cmdスタート");
    QCOMPARE(time->text(QAccessible::Name), QStringLiteral("1:00"));
    click("cmd得点");
    QCOMPARE(score->text(QAccessible::Name), QStringLiteral("0"));
    QCOMPARE(time->text(QAccessible::Name), QString());
    QCOMPARE(accessible(QStringLiteral("Label2"))->text(QAccessible::Name), QStringLiteral("点"));
    QCOMPARE(relatedNames(accessible(QStringLiteral("Label2")), QAccessible::Labelled),
             QStringList{"0"});
}

void TestAccessibility::itemsNameTheirFramesBoxesAndMarks()
{
    QAccessibleInterface* frame = accessible(QStringLiteral("Frame21"));
    QCOMPARE(frame->text(QAccessible::Name), QStringLiteral("4-B3-6 答え"));
    QCOMPARE(find<QGroupBox>(QStringLiteral("Frame21"))->title(), QStringLiteral("答え"));

    QCheckBox* third = nullptr;
    for (QCheckBox* box : window->findChildren<QCheckBox*>(QStringLiteral("chkTamsel21")))
        third = box->property("Index").toInt() == 3 ? box : third;
    QVERIFY(third);
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(third);
    QCOMPARE(box->text(QAccessible::Name), QStringLiteral("③"));
    QCOMPARE(box->text(QAccessible::Description), QStringLiteral("4-B3-6"));
    QCOMPARE(relatedNames(box, QAccessible::Label), QStringList{"4-B3-6 答え"});

    for (QLabel* mark : window->findChildren<QLabel*>(QStringLiteral("pctマル"))) {
        if (mark->property("Index").toInt() != 21)
            continue;
        QAccessibleInterface* ring = QAccessible::queryAccessibleInterface(mark);
        QCOMPARE(ring->text(QAccessible::Name), QStringLiteral("正解"));
        QCOMPARE(ring->text(QAccessible::Description), QStringLiteral("4-B3-6"));
        return;
    }
    QFAIL("no mark of item 21");
}

void TestAccessibility::scoreIsAnnounced()
{
    QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
    click("cmdスタート");
    QCOMPARE(announced(), QString());
    for (int round = 1; round <= 2; ++round) {
        click("cmd得点");
        QCOMPARE(announced(), QStringLiteral("0 点"));
        // The same score twice is announced twice: each marking is news.
        QCOMPARE(shows, round);
        click("cmdスタート");
    }
    QCOMPARE(shows, 2);
}

void TestAccessibility::timeUpIsAnnouncedOnceAndMinutesAreNot()
{
    click("cmdスタート");
    auto* timer = find<QTimer>(QStringLiteral("tmr時間"));
    const qint64 until = clock.now + 2 * 60 * 60;
    while (timer->isActive() && clock.now < until) {
        ++clock.now;
        window->tmr時間_Timer();
        if (find<QLabel>(QStringLiteral("lbl秒"))->text() == QStringLiteral("0:01"))
            QCOMPARE(shows, 0);
    }
    QVERIFY(!timer->isActive());
    QCOMPARE(shows, 1);
    QCOMPARE(announced(), QStringLiteral("あと 0:00 分"));
    click("cmd得点");
    QCOMPARE(shows, 2);
    QCOMPARE(announced(), QStringLiteral("0 点"));
}

void TestAccessibility::contextMenuIsJapanese()
{
    // The test runs in the C locale; the program's own menus are Japanese whatever the locale.
    QCOMPARE(QLocale::system().language(), QLocale::C);
    std::unique_ptr<QMenu> menu(
        find<RichTextBox>(QStringLiteral("RichTextBox1"))->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions()) {
        if (!action->isSeparator())
            texts << action->text()
                         .section(u'\t', 0, 0)
                         .remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    }
    QVERIFY2(texts.contains(QStringLiteral("コピー")), qPrintable(texts.join(u'|')));
    QVERIFY2(texts.contains(QStringLiteral("すべて選択")), qPrintable(texts.join(u'|')));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
