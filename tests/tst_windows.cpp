// The windows the exam window opens beside itself and how the program ends: Pass rate opens the
// pass-line window of the score's band, the help command the read-me, each a single instance
// built from its design; the exit command closes them all in order, and the exam window's own
// close button closes only the exam window.

#include "ExamWindowFixture.h"
#include "TestFiles.h"
#include "controls/Announcer.h"
#include "controls/RichTextBox.h"
#include "design/DesignText.h"
#include "design/HelpWindowDesign.h"
#include "design/PassLineDesigns.h"
#include "forms/ScreenPlacement.h"
#include "forms/WindowShelf.h"
#include "marking/AnswerKey.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFontInfo>
#include <QScopeGuard>
#include <QScrollArea>

#include <algorithm>

using namespace tamsel;

namespace {

// Records the names of top-level windows as they close.
class CloseRecorder final : public QObject {
public:
    QStringList closed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow())
            closed << watched->objectName();
        return false;
    }
};

} // namespace

class TestWindows final : public QObject, ExamWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init() { QVERIFY(open()); }
    void cleanup();

    void passRateWithoutAScoreOpensNothing();
    void passRateOpensTheBandsWindow_data();
    void passRateOpensTheBandsWindow();
    void secondClickRaisesTheOpenWindow();
    void passLineWindowSpeaksItsVerdictAndClosesByKey();
    void bandsStandSideBySideAndKeepTheirText();
    void closedWindowIsBuiltAfreshFromItsDesign();
    void passLineWindowsAsDesigned_data();
    void passLineWindowsAsDesigned();
    void helpWindowIsSingleAndLeavesTheCountdownRunning();
    void everyWindowShowsTheProgramsIcon();
    void exitClosesEveryWindowInOrder();
    void exitDuringTheCountdownPlaysNoChime();
    void closeButtonClosesOnlyTheExamWindow();
    void framesAreCentredAndKeepTheirTitleBarOnScreen_data();
    void framesAreCentredAndKeepTheirTitleBarOnScreen();
    void controlsStayLightUnderADarkTheme();
    void tabsShowUnderADesktopStyleSheet();
    void windowsFitEveryScreen_data();
    void windowsFitEveryScreen();
    void windowsFitAgainByTheFrameTheyGet();
    void windowsOpenOnTheScreenOfTheirOpener();

private:
    // Ticks the keyed answer of the first items until their points reach at least target.
    void answerRightUpTo(int target);
    QList<QWidget*> openWindows(const char* name) const;
    // Marks the sheet and asks for the pass-line window of its score.
    void scoreThenPassRate()
    {
        press("cmd得点");
        press("cmd合格率");
    }
};

void TestWindows::initTestCase()
{
    prepare();
    // The tests close windows themselves; the application must outlive them.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestWindows::cleanup()
{
    close();
    setFrameMarginsReader({});
}

void TestWindows::answerRightUpTo(int target)
{
    for (int n = 1, points = 0; n <= itemCount && points < target; ++n) {
        rightBox(n)->setChecked(true);
        points += AnswerKey[static_cast<size_t>(n - 1)].points;
    }
}

QList<QWidget*> TestWindows::openWindows(const char* name) const
{
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == designText(name) && w->isVisible())
            found << w;
    }
    return found;
}

void TestWindows::passRateWithoutAScoreOpensNothing()
{
    press("cmd合格率");
    // After a marking, Start empties the score again.
    press("cmd得点");
    press("cmdスタート");
    QVERIFY(score()->text().isEmpty());
    press("cmd合格率");
    for (const DocumentFormDesign& design : passlinedesign::windows)
        QVERIFY(!shelf->window(designText(design.form.name)));
    QVERIFY(timer()->isActive());
}

void TestWindows::passRateOpensTheBandsWindow_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("band");
    QTest::newRow("nothing ticked: 0") << 0 << 6;
    QTest::newRow("a few right: under 40") << 10 << 5;
    QTest::newRow("about half") << 45 << 4;
    QTest::newRow("two thirds") << 65 << 3;
    QTest::newRow("most") << 85 << 2;
    QTest::newRow("all") << 100 << 1;
}

void TestWindows::passRateOpensTheBandsWindow()
{
    QFETCH(int, target);
    QFETCH(int, band);
    answerRightUpTo(target);
    scoreThenPassRate();
    const QString name = QStringLiteral("frm合格ライン%1").arg(band);
    QCOMPARE(openWindows(qUtf8Printable(name)).size(), 1);
    for (const DocumentFormDesign& design : passlinedesign::windows) {
        if (designText(design.form.name) != name)
            QVERIFY(!shelf->window(designText(design.form.name)));
    }
    // Modeless and without an owner: the exam window stays usable beside it.
    QWidget* opened = shelf->window(name);
    QVERIFY(!opened->parentWidget());
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(button("cmdスタート")->isEnabled());
}

void TestWindows::secondClickRaisesTheOpenWindow()
{
    scoreThenPassRate();
    QWidget* first = shelf->window(QStringLiteral("frm合格ライン6"));
    QVERIFY(first);
    press("cmd合格率");
    QCOMPARE(shelf->window(QStringLiteral("frm合格ライン6")), first);
    QCOMPARE(openWindows("frm合格ライン6").size(), 1);
}

void TestWindows::passLineWindowSpeaksItsVerdictAndClosesByKey()
{
    QVERIFY(activate());
    QWidget* focused = button(QStringLiteral("cmd合格率"));
    scoreThenPassRate(); // 0 points
    QWidget* shown = shelf->window(QStringLiteral("frm合格ライン6"));
    QVERIFY(shown);
    const QString verdict =
        QStringLiteral("予測不能 受験する資格はありません。 勉強しないで体を鍛えましょう。");
    QCOMPARE(shown->accessibleDescription(), verdict);
    QCOMPARE(shown->findChild<RichTextBox*>()->accessibleName(),
             QStringLiteral("大学別合格ライン"));
    // It comes up with the keyboard, when it opens and when Pass rate raises it, and a screen
    // reader says its verdict with its name then: no announcement says it a second time.
    const auto verdictAnnounced = [&] {
        const QWidgetList widgets = QApplication::allWidgets();
        return std::ranges::any_of(widgets, [&](const QWidget* widget) {
            return qobject_cast<const Announcer*>(widget) && widget->isVisible() &&
                   widget->accessibleName() == verdict;
        });
    };
    QVERIFY(QTest::qWaitForWindowActive(shown));
    QVERIFY(!verdictAnnounced());
    QVERIFY(activate());
    press("cmd合格率");
    QVERIFY(QTest::qWaitForWindowActive(shown));
    QVERIFY(!verdictAnnounced());

    // Esc closes it, and the exam window takes the keyboard back where it was.
    QTest::keyClick(shown, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!shelf->window(QStringLiteral("frm合格ライン6")));
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    QCOMPARE(QApplication::focusWidget(), focused);

    // Ctrl+W closes the help window.
    window->mnuAbout_Click();
    QWidget* help = shelf->window(QStringLiteral("frmヘルプ"));
    QVERIFY(QTest::qWaitForWindowActive(help));
    QTest::keyClick(help, Qt::Key_W, Qt::ControlModifier);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!shelf->window(QStringLiteral("frmヘルプ")));
}

void TestWindows::bandsStandSideBySideAndKeepTheirText()
{
    scoreThenPassRate(); // 0 points
    answerRightUpTo(100);
    press("cmdスタート");
    scoreThenPassRate(); // 100 points
    QWidget* zero = shelf->window(QStringLiteral("frm合格ライン6"));
    QWidget* full = shelf->window(QStringLiteral("frm合格ライン1"));
    QVERIFY(zero && full && zero != full);
    QVERIFY(zero->isVisible() && full->isVisible());
    QCOMPARE(zero->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             QStringLiteral(" 予測不能"));
    QCOMPARE(full->findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             QStringLiteral(" 合格率 ９９％"));
    // One document, the same in every window.
    QCOMPARE(zero->findChild<RichTextBox*>()->toPlainText(),
             full->findChild<RichTextBox*>()->toPlainText());
}

void TestWindows::closedWindowIsBuiltAfreshFromItsDesign()
{
    scoreThenPassRate();
    QPointer<QWidget> first = shelf->window(QStringLiteral("frm合格ライン6"));
    auto* box = first->findChild<RichTextBox*>();
    const QString table = box->toPlainText();
    QVERIFY(!table.isEmpty());
    box->setPlainText(QStringLiteral("書き換えた"));
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    QVERIFY(!shelf->window(QStringLiteral("frm合格ライン6")));

    press("cmd合格率");
    QWidget* again = shelf->window(QStringLiteral("frm合格ライン6"));
    QVERIFY(again);
    QCOMPARE(again->findChild<RichTextBox*>()->toPlainText(), table);
}

void TestWindows::passLineWindowsAsDesigned_data()
{
    // Where the box and the labels stand, in pixels at 96 dpi: the designs' twips over 15.
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<QList<QRect>>("labels"); // the badge, then the message
    const QRect box(0, 88, 793, 489);
    const QRect wideMessage(144, 56, 497, 17);
    const QRect message(184, 56, 433, 17);
    QTest::newRow("frm合格ライン1") << 0 << box << QList{QRect(304, 16, 169, 25), wideMessage};
    QTest::newRow("frm合格ライン2") << 1 << box << QList{QRect(312, 16, 169, 25), message};
    QTest::newRow("frm合格ライン3")
        << 2 << QRect(0, 80, 793, 497) << QList{QRect(312, 8, 169, 25), QRect(176, 48, 433, 17)};
    QTest::newRow("frm合格ライン4") << 3 << box << QList{QRect(312, 16, 169, 25), wideMessage};
    QTest::newRow("frm合格ライン5") << 4 << box << QList{QRect(328, 16, 145, 25), message};
    QTest::newRow("frm合格ライン6") << 5 << box << QList{QRect(336, 16, 121, 25), wideMessage};
    QTest::newRow("frmヘルプ") << -1 << QRect(0, 0, 793, 577) << QList<QRect>();
}

void TestWindows::passLineWindowsAsDesigned()
{
    QFETCH(int, index);
    QFETCH(QRect, box);
    QFETCH(QList<QRect>, labels);
    const DocumentFormDesign& design =
        index < 0 ? helpdesign::window : passlinedesign::windows[static_cast<size_t>(index)];
    QWidget* shown = shelf->show(design, window.get());
    QVERIFY(QTest::qWaitForWindowExposed(shown));
    QCOMPARE(shown->objectName(), designText(design.form.name));
    QCOMPARE(shown->windowTitle(), designText(design.form.caption));
    QCOMPARE(shown->size(), QSize(792, 573));
    // Centred on the screen, not hung from its middle.
    QString offset;
    QVERIFY2(centredOnScreen(*shown, &offset), qPrintable(offset));
    QVERIFY(shown->testAttribute(Qt::WA_DeleteOnClose));
    const auto* client = shown->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(client && client->autoFillBackground());
    QCOMPARE(client->size(), QSize(792, 573));
    QCOMPARE(client->palette().color(QPalette::Window), toColor(*design.form.backgroundColour));

    // The box reaches past the client area's right and bottom edges, and the window clips it.
    auto* document = shown->findChild<RichTextBox*>(QStringLiteral("RichTextBox1"));
    QVERIFY(document);
    QCOMPARE(document->geometry(), box);
    // The face found by its English name, whichever name Qt gives it in this locale.
    QCOMPARE(QFontInfo(document->font()).family(),
             QFontInfo(QFont(QStringLiteral("IPAGothic"))).family());
    QVERIFY(!document->toPlainText().isEmpty());

    QCOMPARE(static_cast<qsizetype>(design.labels.size()), labels.size());
    for (const LabelDesign& label : design.labels) {
        auto* made = shown->findChild<QLabel*>(designText(label.name));
        QVERIFY(made);
        QCOMPARE(made->text(), designText(label.text));
        QCOMPARE(made->geometry(), labels[&label - design.labels.data()]);
        QCOMPARE(made->font().bold(), label.font.bold);
        QCOMPARE(made->font().pointSizeF(), label.font.points);
        const QImage picture = made->grab().toImage();
        QCOMPARE(picture.pixelColor(picture.width() - 1, picture.height() - 1).rgb(),
                 toColor(*label.background).rgb());
        // Read by its text.
        QCOMPARE(QAccessible::queryAccessibleInterface(made)->text(QAccessible::Name),
                 designText(label.text).trimmed().isEmpty() ? QString() : designText(label.text));
    }
    // The box comes first in the tab order.
    if (!design.labels.empty())
        QVERIFY(document->focusPolicy() != Qt::NoFocus);
}

void TestWindows::helpWindowIsSingleAndLeavesTheCountdownRunning()
{
    press("cmdスタート");
    window->mnuAbout_Click();
    window->mnuAbout_Click();
    QCOMPARE(openWindows("frmヘルプ").size(), 1);
    QCOMPARE(shelf->window(QStringLiteral("frmヘルプ"))->windowTitle(),
             QStringLiteral("バージョン情報"));
    QVERIFY(timer()->isActive());
    QVERIFY(!button("cmdスタート")->isEnabled());
    clock.set("2026-12-08T10:16:00");
    window->tmr時間_Timer();
    QCOMPARE(label(QStringLiteral("lbl秒"))->text(), QStringLiteral("0:59"));
}

// The frames showed the red ring of a right answer, another picture than the program's icon in
// the desktop's menus and in Explorer: every window shows that icon, in each size it is drawn at.
void TestWindows::everyWindowShowsTheProgramsIcon()
{
    scoreThenPassRate(); // window 6
    window->mnuAbout_Click();
    const auto premultiplied = [](const QImage& image) {
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    for (QWidget* shown :
         {static_cast<QWidget*>(window.get()), shelf->window(QStringLiteral("frm合格ライン6")),
          shelf->window(QStringLiteral("frmヘルプ"))}) {
        const QIcon icon = shown->windowIcon();
        QList<QSize> sizes = icon.availableSizes();
        std::sort(sizes.begin(), sizes.end(),
                  [](QSize a, QSize b) { return a.width() < b.width(); });
        QCOMPARE(sizes, (QList<QSize>{{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
        for (const QSize size : sizes) {
            const QString drawn = QStringLiteral("icons/tamsel-%1.png").arg(size.width());
            QVERIFY2(premultiplied(icon.pixmap(size).toImage()) ==
                         premultiplied(QImage(contentPath(drawn))),
                     qPrintable(shown->objectName() + QStringLiteral(" at ") + drawn));
        }
    }
}

void TestWindows::exitClosesEveryWindowInOrder()
{
    scoreThenPassRate(); // window 6
    answerRightUpTo(45);
    scoreThenPassRate(); // window 4
    window->mnuAbout_Click();

    CloseRecorder recorder;
    qApp->installEventFilter(&recorder);
    window->mnuExit_Click();
    qApp->removeEventFilter(&recorder);
    QCOMPARE(recorder.closed,
             (QStringList{QStringLiteral("frmTamsel"), QStringLiteral("frm合格ライン4"),
                          QStringLiteral("frm合格ライン6"), QStringLiteral("frmヘルプ")}));
    // Windows that were not open are neither built nor shown.
    for (QWidget* w : QApplication::topLevelWidgets())
        QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
}

void TestWindows::exitDuringTheCountdownPlaysNoChime()
{
    press("cmdスタート");
    window->tmr時間_Timer();
    window->mnuExit_Click();
    QVERIFY(!timer()->isActive());
    QVERIFY(!player.log.contains(QStringLiteral("Play")));
    QVERIFY(score()->text().isEmpty());
}

void TestWindows::closeButtonClosesOnlyTheExamWindow()
{
    scoreThenPassRate();
    window->mnuAbout_Click();
    press("cmdスタート");
    window->close();
    QVERIFY(!timer()->isActive());
    QVERIFY(shelf->window(QStringLiteral("frm合格ライン6"))->isVisible());
    QVERIFY(shelf->window(QStringLiteral("frmヘルプ"))->isVisible());
    QVERIFY(!player.log.contains(QStringLiteral("Play")));
}

void TestWindows::framesAreCentredAndKeepTheirTitleBarOnScreen_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("topLeft");
    // The exam window framed by a thin window manager, on a screen of 800 × 600.
    QTest::newRow("fits") << QSize(794, 593) << QRect(0, 0, 800, 600) << QPoint(3, 3);
    // A panel along the top: the frame goes below it, centred in what is left.
    QTest::newRow("below a panel")
        << QSize(400, 300) << QRect(0, 30, 1024, 738) << QPoint(312, 249);
    // 1024 × 768 at 150 % holds 682 × 512 of the window's pixels: too small either way.
    QTest::newRow("too large") << QSize(794, 593) << QRect(0, 0, 682, 512) << QPoint(0, 0);
    QTest::newRow("too wide only") << QSize(794, 200) << QRect(10, 20, 682, 512) << QPoint(10, 176);
}

void TestWindows::framesAreCentredAndKeepTheirTitleBarOnScreen()
{
    QFETCH(QSize, frame);
    QFETCH(QRect, available);
    QFETCH(QPoint, topLeft);
    QCOMPARE(centredFramePosition(frame, available), topLeft);
}

void TestWindows::controlsStayLightUnderADarkTheme()
{
    // A desktop theme gives kinds of controls dark palettes of their own, as a dark GTK theme does.
    const QPalette light = QApplication::palette();
    QPalette dark(Qt::white, Qt::black);
    const char* const themed[] = {"QAbstractButton", "QTextEdit", "QLabel", "QGroupBox"};
    for (const char* kind : themed)
        QApplication::setPalette(dark, kind);
    close();
    QVERIFY(open());
    const auto lightness = [](const QWidget* w, QPalette::ColorRole role) {
        return w->palette().color(role).lightness();
    };
    QVERIFY(lightness(button(QStringLiteral("cmdスタート")), QPalette::Button) > 200);
    QVERIFY(lightness(find<RichTextBox>(QStringLiteral("RichTextBox1")), QPalette::Base) > 200);
    QVERIFY(lightness(find<RichTextBox>(QStringLiteral("RichTextBox1")), QPalette::Text) < 60);
    QVERIFY(lightness(box(1, 1), QPalette::Base) > 200);
    QVERIFY(lightness(label(QStringLiteral("Label4")), QPalette::WindowText) < 60);
    window->mnuAbout_Click();
    QWidget* help = shelf->window(QStringLiteral("frmヘルプ"));
    QVERIFY(lightness(help->findChild<RichTextBox*>(), QPalette::Base) > 200);
    for (const char* kind : themed)
        QApplication::setPalette(light, kind);
}

// A style sheet that a desktop sets for every program (qt6ct's, say) gave the tab pages, plain
// widgets that cover the tab rows, a background of their own: both tab strips vanished under it.
void TestWindows::tabsShowUnderADesktopStyleSheet()
{
    const auto plain = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    qApp->setStyleSheet(QStringLiteral("QWidget { background-color: #202020; color: #e0e0e0; }"));
    close();
    QVERIFY(open());
    const QImage shown = window->grab().toImage();
    for (const char* name : {"stb英語", "SSTab1"}) {
        const auto* tabs = find<TabbedDialog>(QString::fromUtf8(name));
        const QRect selected = tabs->tabRect(tabs->currentIndex());
        // The bar along the selected tab's top edge.
        const QPoint bar =
            tabs->mapTo(window.get(), QPoint(selected.center().x(), selected.top() + 2));
        QCOMPARE(shown.pixelColor(bar).name(),
                 tabs->palette().color(QPalette::Highlight).darker(120).name());
    }
}

void TestWindows::windowsFitEveryScreen_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<qreal>("scale");
    for (const QSize screen : {QSize(800, 600), QSize(1024, 768), QSize(1366, 768)}) {
        for (const qreal scale : {1.0, 1.25, 1.5})
            QTest::addRow("%dx%d at %d %%", screen.width(), screen.height(), int(scale * 100))
                << screen << scale;
    }
}

void TestWindows::windowsFitEveryScreen()
{
    // The exam window's client area and menu bar, on a screen of that size and scale in the
    // window's pixels, framed by a title bar.
    QFETCH(QSize, screen);
    QFETCH(qreal, scale);
    const QSize client(792, 554);
    constexpr int menu = 21;
    constexpr int bar = 15;
    const QMargins frame(2, 24, 2, 2);
    const QRect available({}, (QSizeF(screen) / scale).toSize());
    const ClientFit fit = fitClient(client, menu, available, frame, bar);

    // The frame stands whole on the screen.
    QVERIFY(available.size().grownBy(-frame).expandedTo(fit.window) ==
            available.size().grownBy(-frame));
    // A window that fits shows its whole client area; one that does not scrolls, and what it
    // shows is no smaller than needed to reach every control: the client area less the bars.
    const bool fits = client.width() + 4 <= available.width() &&
                      client.height() + menu + 26 <= available.height();
    QCOMPARE(fit.scrolls, !fits);
    if (fits) {
        QCOMPARE(fit.window, QSize(client.width(), client.height() + menu));
    } else {
        const QSize shown = fit.window - QSize(0, menu);
        const bool across = shown.width() < client.width();
        const bool down = shown.height() < client.height();
        QVERIFY(across || down);
        // Room is left for each scroll bar that shows, and no more than the screen allows.
        QCOMPARE(fit.window.width(),
                 std::min(client.width() + (down ? bar : 0), available.width() - 4));
        QCOMPARE(fit.window.height(),
                 std::min(client.height() + menu + (across ? bar : 0), available.height() - 26));
    }
}

// A window manager whose title bar is taller than the common one a window is fitted by before it
// is framed: the exam window, which fitted its screen by the guess, no longer fits once framed. It
// then scrolls and its frame stands whole in the screen's free area; the keyboard focus stays
// where it was.
void TestWindows::windowsFitAgainByTheFrameTheyGet()
{
    const QRect available = window->screen()->availableGeometry();
    QVERIFY(!window->findChild<QScrollArea*>());
    const QMargins tallTitleBar(2, available.height() - window->height() + 10, 2, 2);
    setFrameMarginsReader([tallTitleBar](const QWidget* shown) {
        return shown->isVisible() ? tallTitleBar : QMargins();
    });
    close();
    QVERIFY(open());
    QVERIFY(activate());
    const auto frame = [&] { return window->geometry().marginsAdded(tallTitleBar); };
    QTRY_VERIFY2(available.contains(frame()), qPrintable(QStringLiteral("%1, %2, %3 x %4")
                                                             .arg(frame().x())
                                                             .arg(frame().y())
                                                             .arg(frame().width())
                                                             .arg(frame().height())));
    auto* area = window->findChild<QScrollArea*>(QStringLiteral("clientScroll"));
    QVERIFY(area);
    QCOMPARE(area->widget(), find<QWidget>(QStringLiteral("client")));
    QCOMPARE(QApplication::focusWidget(), button(QStringLiteral("cmdスタート")));
}

// The pass-line and help windows open on the screen the exam window stands on, fitted to it and
// centred on it, not on the first screen.
void TestWindows::windowsOpenOnTheScreenOfTheirOpener()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        QSKIP("needs two screens: ctest gives the test tests/data/offscreen/two-screens.json");
    QScreen* second = screens.at(1);
    QVERIFY(second != QGuiApplication::primaryScreen());
    window->setScreen(second);
    QCOMPARE(window->screen(), second);

    window->mnuAbout_Click();
    scoreThenPassRate();
    for (const char* name : {"frmヘルプ", "frm合格ライン6"}) {
        QWidget* shown = shelf->window(QString::fromUtf8(name));
        QVERIFY(shown && QTest::qWaitForWindowExposed(shown));
        QCOMPARE(shown->screen(), second);
        QString offset;
        QVERIFY2(centredOnScreen(*shown, &offset), qPrintable(offset));
    }
}

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
