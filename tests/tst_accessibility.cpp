// What a screen reader gets of the exam window: displays read by their own texts after their frame
// texts, the score and time-up announced, and Qt's own menus in Japanese. The whole tree and the
// events themselves are checked end to end: the offscreen platform has no accessibility bridge.
#include "ExamWindowFixture.h"
#include "controls/Announcer.h"
#include "controls/RichTextBox.h"

#include <QAccessible>
#include <QMenu>
#include <QRegularExpression>

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

class TestAccessibility final : public QObject, ExamWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepare(); }
    void init();
    void cleanup() { close(); }

    void displaysFollowTheirFrameTexts();
    void scoreIsAnnounced();
    void timeUpIsAnnouncedOnceAndMinutesAreNot();
    void contextMenuIsJapanese();

private:
    QAccessibleInterface* accessible(const QString& name) const
    {
        return QAccessible::queryAccessibleInterface(find<QWidget>(name));
    }
    void click(const char* name) { button(QString::fromUtf8(name))->click(); }
    // What a screen reader would speak now: the announcer's name, once it is showing.
    QString announced() const;
    // Counts the announcer's coming into view: each one is an announcement.
    bool eventFilter(QObject* watched, QEvent* event) override;

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

void TestAccessibility::init()
{
    QVERIFY(open());
    announcer = window->findChild<Announcer*>();
    QVERIFY(announcer);
    shows = 0;
    announcer->installEventFilter(this);
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
    const qint64 until = clock.now + 2 * 60 * 60;
    while (timer()->isActive() && clock.now < until) {
        ++clock.now;
        window->tmr時間_Timer();
        if (label(QStringLiteral("lbl秒"))->text() == QStringLiteral("0:01"))
            QCOMPARE(shows, 0);
    }
    QVERIFY(!timer()->isActive());
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
