// What a screen reader gets of the exam window: displays that speak whole phrases, the start, the
// minutes left, time-up and the score announced, answered items told from their tabs, figures
// described, and Qt's own menus in Japanese. The whole tree and the
// events themselves are checked end to end: the offscreen platform has no accessibility bridge.
#include "ExamWindowFixture.h"
#include "controls/Announcer.h"
#include "controls/RichTextBox.h"

#include <QAccessible>
#include <QApplication>
#include <QMenu>
#include <QRegularExpression>

#include <memory>

using namespace tamsel;
using namespace Qt::StringLiterals;

class TestAccessibility final : public QObject, ExamWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepare(); }
    void init();
    void cleanup() { close(); }

    void displaysSpeakWholePhrases();
    void startIsAnnouncedWithTheTimeAllowed();
    void scoreIsAnnounced();
    void minutesLeftAndTimeUpAreAnnounced();
    void answeredItemsAreToldFromTheirTabs();
    void figuresAreDescribedAndReachable();
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

void TestAccessibility::displaysSpeakWholePhrases()
{
    QAccessibleInterface* client = accessible(QStringLiteral("client"));
    const auto indexOf = [&](const char* name) {
        return client->indexOfChild(accessible(QString::fromUtf8(name)));
    };
    QCOMPARE(indexOf("lbl秒"), indexOf("Label1") + 1);
    QCOMPARE(indexOf("lbl得点"), indexOf("Label2") + 1);

    // No name carries a caption's layout spaces, and the displays say their unit themselves.
    QAccessibleInterface* time = accessible(QStringLiteral("lbl秒"));
    QAccessibleInterface* score = accessible(QStringLiteral("lbl得点"));
    QCOMPARE(accessible(QStringLiteral("Label1"))->text(QAccessible::Name), u"あと 分"_qs);
    QCOMPARE(accessible(QStringLiteral("cmd得点"))->text(QAccessible::Name), u"得点"_qs);
    QVERIFY(time->relations(QAccessible::Label).isEmpty());
    QCOMPARE(time->text(QAccessible::Name), QString());
    click("cmdスタート");
    QCOMPARE(time->text(QAccessible::Name), u"あと 60 分"_qs);
    clock.now += 60;
    window->tmr時間_Timer();
    QCOMPARE(time->text(QAccessible::Name), u"あと 59 分"_qs);
    click("cmd得点");
    QCOMPARE(score->text(QAccessible::Name), u"0 点"_qs);
    QCOMPARE(time->text(QAccessible::Name), QString());
}

void TestAccessibility::startIsAnnouncedWithTheTimeAllowed()
{
    QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
    button(u"cmdスタート"_qs)->setFocus();
    click("cmdスタート");
    QCOMPARE(announced(), u"試験開始。制限時間は 60 分です。"_qs);
    // The focus goes to the booklet, where the attempt begins.
    QCOMPARE(QApplication::focusWidget(), find<QWidget>(u"RichTextBox1"_qs));
}

void TestAccessibility::scoreIsAnnounced()
{
    click("cmdスタート");
    for (int round = 1; round <= 2; ++round) {
        click("cmd得点");
        QCOMPARE(announced(), u"0 点"_qs);
        // The same score twice is announced twice: each marking is news.
        QCOMPARE(shows, 2 * round);
        click("cmdスタート");
    }
}

void TestAccessibility::minutesLeftAndTimeUpAreAnnounced()
{
    click("cmdスタート");
    QStringList heard;
    const qint64 until = clock.now + 2 * 60 * 60;
    int seen = shows;
    while (timer()->isActive() && clock.now < until) {
        ++clock.now;
        window->tmr時間_Timer();
        if (shows != seen) {
            heard << announced();
            seen = shows;
        }
    }
    QVERIFY(!timer()->isActive());
    QCOMPARE(heard, QStringList({u"あと 30 分"_qs, u"あと 10 分"_qs, u"あと 5 分"_qs,
                                 u"あと 1 分"_qs, u"時間です。あと 0 分"_qs}));
}

void TestAccessibility::answeredItemsAreToldFromTheirTabs()
{
    QAccessibleInterface* sheet = QAccessible::queryAccessibleInterface(answerSheet());
    const auto description = [&](int item) {
        return sheet->child(item - 1)->text(QAccessible::Description);
    };
    QCOMPARE(description(5), u"未解答"_qs);
    tick(5, 2);
    QCOMPARE(description(5), u"解答済み"_qs);
    QVERIFY(answerSheet()->isTabMarked(4));
    tick(5, 2);
    QCOMPARE(description(5), u"未解答"_qs);
    QVERIFY(!answerSheet()->isTabMarked(4));
    // A marking changes nothing of it: the tabs never tell a right answer from a wrong one.
    tick(1, 1);
    click("cmd得点");
    QCOMPARE(description(1), u"解答済み"_qs);
}

void TestAccessibility::figuresAreDescribedAndReachable()
{
    for (int n = 1; n <= 7; ++n) {
        auto* figure = find<QWidget>(u"Picture%1"_qs.arg(n));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(figure);
        const QString caption = iface->text(QAccessible::Name).left(2);
        QVERIFY2(iface->text(QAccessible::Description).startsWith(caption + u'は'),
                 qPrintable(iface->text(QAccessible::Description).left(20)));
        QVERIFY(figure->focusPolicy() & Qt::TabFocus);
    }
}

void TestAccessibility::contextMenuIsJapanese()
{
    // The test runs in the C locale (English under Wine, which takes C for it); the program's
    // own menus are Japanese whatever the locale.
    QVERIFY(QLocale::system().language() != QLocale::Japanese);
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
