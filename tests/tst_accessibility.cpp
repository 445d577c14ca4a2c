// What a screen reader gets of the exam window: displays that speak whole phrases, the start, the
// minutes left, time-up and the score announced, answered, double-ticked and right items told
// from their tabs, figures described, and Qt's own menus in Japanese. The whole tree and the
// events themselves are checked end to end: the offscreen platform has no accessibility bridge.
#include "ExamWindowFixture.h"
#include "controls/Announcer.h"
#include "controls/RichTextBox.h"
#include "controls/TabbedDialog.h"
#include "pictures/FigureDescriptions.h"

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
    void tabsTellWhichItemsWereRight();
    void doubleTicksAreShownAndToldOnce();
    void answersFromTheBookletAreHeardThere();
    void timeLeftIsToldOnAsking();
    void f10OpensTheMenuBar();
    void tabListTellsWhereTheFocusIs();
    void tabListIsInvalidWhileDestroyed();
    void figuresAreDescribedAndReachable();
    void figureIsReadSentenceBySentence();
    void contextMenuIsJapanese();

private:
    QAccessibleInterface* accessible(const QString& name) const
    {
        return QAccessible::queryAccessibleInterface(find<QWidget>(name));
    }
    void click(const char* name) { button(QString::fromUtf8(name))->click(); }
    QString description(int item) const
    {
        return QAccessible::queryAccessibleInterface(answerSheet())
            ->child(item - 1)
            ->text(QAccessible::Description);
    }
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

// Announced before Start sends the focus on: a screen reader speaks in the order it is told,
// and a figure's description spoken on its focus would otherwise come first.
void TestAccessibility::startIsAnnouncedWithTheTimeAllowed()
{
    QCOMPARE(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);
    QVERIFY(activate());
    find<TabbedDialog>(u"stb英語"_qs)->setCurrentIndex(1);
    button(u"cmdスタート"_qs)->setFocus();
    QStringList told;
    const QMetaObject::Connection focus =
        connect(qApp, &QApplication::focusChanged, this, [&](QWidget*, QWidget* now) {
            told << (shows > 0 ? QStringLiteral("announced, then ") : QString()) +
                        now->objectName();
        });
    click("cmdスタート");
    disconnect(focus);
    QCOMPARE(announced(), u"試験開始。制限時間は 60 分です。"_qs);
    QCOMPARE(told, QStringList(u"announced, then Picture1"_qs));
}

void TestAccessibility::scoreIsAnnounced()
{
    click("cmdスタート");
    for (int round = 1; round <= 2; ++round) {
        click("cmd得点");
        QCOMPARE(announced(), u"0 点。34 問中 0 問正解"_qs);
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

// A sighted student sees the rings after a marking; a screen reader hears the same from the tabs:
// 正解 where the ring shows and nothing where it does not, until Start hides the rings. The
// announcement counts the right items.
void TestAccessibility::tabsTellWhichItemsWereRight()
{
    QCOMPARE(description(5), u"未解答"_qs);
    tick(5, 2);
    QCOMPARE(description(5), u"解答済み"_qs);
    tick(5, 2);
    QCOMPARE(description(5), u"未解答"_qs);

    tick(1, 4); // right, 3 points
    tick(2, 1); // wrong
    tick(3, 3); // right, 4 points
    click("cmd得点");
    QCOMPARE(announced(), u"7 点。34 問中 2 問正解"_qs);
    const QStringList marked{description(1), description(2), description(3), description(4)};
    QCOMPARE(marked, QStringList({u"解答済み、正解"_qs, u"解答済み"_qs, u"解答済み、正解"_qs,
                                  u"未解答"_qs}));
    click("cmdスタート");
    QCOMPARE(description(1), u"解答済み"_qs);
    QCOMPARE(description(3), u"解答済み"_qs);
}

// Two ticks on one item score nothing, and the boxes do not stop them: the item's tab shows a
// mark of its own and says 複数選択, and the second tick is announced, once.
void TestAccessibility::doubleTicksAreShownAndToldOnce()
{
    TabbedDialog* sheet = answerSheet();
    const QRect tab = sheet->tabRect(6);
    tick(7, 3);
    const QImage answered = sheet->grab(tab).toImage();
    QCOMPARE(shows, 0);
    tick(7, 4);
    QCOMPARE(description(7), u"複数選択"_qs);
    QVERIFY(sheet->grab(tab).toImage() != answered);
    QCOMPARE(announced(), u"複数選択"_qs);
    tick(7, 1);
    QCOMPARE(description(7), u"複数選択"_qs);
    QCOMPARE(shows, 1);

    tick(7, 1);
    tick(7, 3);
    QCOMPARE(description(7), u"解答済み"_qs);
    QCOMPARE(sheet->grab(tab).toImage(), answered);
    QCOMPARE(shows, 1);
    // The program changed no box on the way.
    for (int choice = 1; choice <= 4; ++choice)
        QCOMPARE(box(7, choice)->isChecked(), choice == 4);
}

// From the booklet the sheet is out of the focus: each digit and each item key is told there in
// one phrase, the item, the choice and what holds now, 複数選択 within it rather than after it.
void TestAccessibility::answersFromTheBookletAreHeardThere()
{
    QVERIFY(activate());
    click("cmdスタート");
    QWidget* booklet = QApplication::focusWidget();
    QCOMPARE(booklet, find<QWidget>(u"RichTextBox1"_qs));
    QStringList heard;
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        const int before = shows;
        QTest::keyClick(booklet, k, modifiers);
        heard << (shows == before + 1 ? announced() : QStringLiteral("(%1)").arg(shows - before));
    };
    key(Qt::Key_4);
    key(Qt::Key_2);
    key(Qt::Key_4);
    key(Qt::Key_Tab, Qt::ControlModifier);
    key(Qt::Key_2, Qt::KeypadModifier);
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    key(Qt::Key_1);
    QCOMPARE(heard,
             QStringList({u"1-A1 ④ チェック"_qs, u"1-A1 ② チェック、複数選択"_qs,
                          u"1-A1 ④ チェックなし"_qs, u"1-A2 未解答"_qs, u"1-A2 ② チェック"_qs,
                          u"1-A1 ②"_qs, u"1-A1 ① チェック、複数選択"_qs}));
    QCOMPARE(QApplication::focusWidget(), booklet);

    // After a marking the item reached says whether it was right.
    click("cmd得点");
    QTest::keyClick(booklet, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(announced(), u"1-A2 ②、正解"_qs);
}

// Ctrl+T says the time left as the display shows it, wherever the focus is, and that no attempt
// runs before Start and after 得点.
void TestAccessibility::timeLeftIsToldOnAsking()
{
    QVERIFY(activate());
    const auto ask = [&] {
        const int before = shows;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::ControlModifier);
        return shows == before + 1 ? announced() : QString();
    };
    const QString noAttempt =
        u"試験中ではありません。スタートで制限時間 60 分の試験が始まります。"_qs;
    QCOMPARE(ask(), noAttempt);
    click("cmdスタート");
    QCOMPARE(ask(), u"あと 60 分"_qs);
    clock.now += 6 * 60 + 20;
    window->tmr時間_Timer();
    tick(5, 1);
    QCOMPARE(ask(), u"あと 53 分"_qs);
    clock.now += 60 * 60;
    window->tmr時間_Timer();
    QCOMPARE(ask(), u"時間です。あと 0 分"_qs);
    click("cmd得点");
    QCOMPARE(ask(), noAttempt);
}

void TestAccessibility::f10OpensTheMenuBar()
{
    QVERIFY(activate());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QCOMPARE(menu->title(), u"ゲーム(&G)"_qs);
    QTest::keyClick(menu, Qt::Key_Escape);
}

// A screen reader asks a tab list where the focus is: on the selected tab while the list has it,
// on a control of the page while that has it.
void TestAccessibility::tabListTellsWhereTheFocusIs()
{
    QVERIFY(activate());
    TabbedDialog* sheet = answerSheet();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(sheet);
    sheet->setCurrentIndex(6);
    sheet->setFocus();
    QAccessibleInterface* focused = list->focusChild();
    QVERIFY(focused);
    QCOMPARE(focused->role(), QAccessible::PageTab);
    QCOMPARE(focused->text(QAccessible::Name), sheet->tabText(6));
    QVERIFY(focused->state().focused);

    box(7, 2)->setFocus();
    QCOMPARE(list->focusChild(), QAccessible::queryAccessibleInterface(box(7, 2)));
}

// Destroyed with the focus, the tab control gives it up after its own parts are gone: a screen
// reader asking then is told the list and its tabs are no longer there, and the tabs' interfaces
// go with the list's.
void TestAccessibility::tabListIsInvalidWhileDestroyed()
{
    auto owned = std::make_unique<TabbedDialog>(2, 20, nullptr);
    TabbedDialog* dialog = owned.get();
    for (const QString& caption : {u"図1"_qs, u"図2"_qs, u"図3"_qs})
        dialog->addTab(caption);
    dialog->show();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    dialog->setFocus();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(dialog);
    QAccessibleInterface* tab = list->child(1);
    const QAccessible::Id tabId = QAccessible::uniqueId(tab);
    struct {
        bool asked = false;
        bool listValid = true;
        bool tabValid = true;
        int children = -1;
        QAccessibleInterface* focus = nullptr;
    } seen;
    const QMetaObject::Connection asking =
        connect(qApp, &QApplication::focusChanged, this, [&](QWidget* old, QWidget*) {
            if (old != dialog)
                return;
            seen.asked = true;
            seen.listValid = list->isValid();
            // The tab's interface may be gone already: a client asks for it by its id.
            const QAccessibleInterface* tabNow = QAccessible::accessibleInterface(tabId);
            seen.tabValid = tabNow && (tabNow->isValid() || !tabNow->state().invalid);
            seen.children = list->childCount();
            seen.focus = list->focusChild();
        });
    owned.reset();
    disconnect(asking);
    QVERIFY(seen.asked);
    QVERIFY(!seen.listValid);
    QVERIFY(!seen.tabValid);
    QCOMPARE(seen.children, 0);
    QVERIFY(!seen.focus);
    QVERIFY(!QAccessible::accessibleInterface(tabId));
}

void TestAccessibility::figuresAreDescribedAndReachable()
{
    for (int n = 1; n <= 7; ++n) {
        auto* figure = find<QWidget>(u"Picture%1"_qs.arg(n));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(figure);
        const QString caption = iface->text(QAccessible::Name).left(2);
        // The focus brings what the figure is, in its first sentence; the text holds it all.
        const QString first = iface->text(QAccessible::Description);
        QVERIFY2(first.startsWith(caption + u'は') && first.endsWith(u'。'), qPrintable(first));
        QAccessibleTextInterface* text = iface->textInterface();
        QVERIFY(text);
        const QString all = text->text(0, text->characterCount());
        QVERIFY(all.startsWith(first + u'\n'));
        QCOMPARE(QString(all).remove(u'\n'), figureDescription(u":/figure%1.jpg"_qs.arg(n)));
        QVERIFY(figure->focusPolicy() & Qt::TabFocus);
    }
}

// A figure's words are read a sentence at a time: Down and Up move the reading position by one,
// End and Home to the last and the first, and a screen reader hears each move.
void TestAccessibility::figureIsReadSentenceBySentence()
{
    QVERIFY(activate());
    find<TabbedDialog>(u"stb英語"_qs)->setCurrentIndex(1);
    auto* figure = find<QWidget>(u"Picture1"_qs);
    figure->setFocus();
    QAccessibleTextInterface* text = QAccessible::queryAccessibleInterface(figure)->textInterface();
    const auto sentenceAtReading = [&] {
        int start = 0;
        int end = 0;
        return text->textAtOffset(text->cursorPosition(), QAccessible::LineBoundary, &start, &end)
            .remove(u'\n');
    };
    const QStringList sentences = text->text(0, text->characterCount()).split(u'\n');
    QVERIFY(sentences.size() >= 3);
    QStringList read;
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Down,
                              Qt::Key_Home, Qt::Key_Up}) {
        QTest::keyClick(figure, key);
        read << sentenceAtReading();
    }
    QCOMPARE(read, QStringList({sentences[1], sentences[2], sentences[1], sentences.last(),
                                sentences.last(), sentences[0], sentences[0]}));
    QCOMPARE(QApplication::focusWidget(), figure);
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
