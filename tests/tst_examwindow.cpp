// The exam window as a student meets it: layout, captions, tabs, focus, accessibility, and
// ticking boxes and pressing Score.
#include "ExamWindowFixture.h"
#include "controls/Densities.h"
#include "controls/PictureBox.h"
#include "controls/RichTextBox.h"
#include "controls/TabbedDialog.h"
#include "marking/AnswerKey.h"
#include "pictures/IconImages.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGroupBox>
#include <QMenuBar>
#include <QSet>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QWheelEvent>

#include <algorithm>

using namespace tamsel;

class TestExamWindow final : public QObject, ExamWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepare(); }
    void init() { QVERIFY(open()); }
    void cleanup() { close(); }

    void windowAtLoad();
    void geometry_data();
    void geometry();
    void menusOpenWithTheirAccessKeys_data();
    void menusOpenWithTheirAccessKeys();
    void answerSheetHoldsEveryItem();
    void itemsFitTheirPages();
    void emptyTabControlIgnoresKeys();
    void keysAnswerTheSheet();
    void keysAnswerFromTheBooklet();
    void bookletZoomsAndComesBack();
    void boxOutlinesStandOutFromThePicture();
    void fontsMapToJapaneseFaces();
    void tabsStayWhereTheyAre();
    void onlyATabShowsThePointer();
    void onlyTheSelectedPageTakesFocus();
    void pagingKeepsTheFocusOnThePages();
    void startHandsTheFocusToThePageInView_data();
    void startHandsTheFocusToThePageInView();
    void scoreMarksTheSheet();
    void scoreHidesMarksShownBefore();
    void scoreLeavesMarkOfGrayedRightBox();
    void scoreWidensTheScoreDisplay();
    void accessibility();
    void bookletTabShowsTheBooklet();
    void figureBoxDrawsUnscaledAndClipped();
    void picturesComeInTheScreensDensity_data();
    void picturesComeInTheScreensDensity();

private:
    QLabel* mark(int item) const;
    void tickEveryRightBox()
    {
        for (int n = 1; n <= itemCount; ++n)
            tick(n, AnswerKey[static_cast<size_t>(n - 1)].correct);
    }
    void pressScore() { press(QStringLiteral("cmd得点")); }
};

QLabel* TestExamWindow::mark(int item) const
{
    for (QLabel* m : window->findChildren<QLabel*>(QStringLiteral("pctマル"))) {
        if (m->property("Index").toInt() == item)
            return m;
    }
    qFatal("no mark %d", item);
}

void TestExamWindow::windowAtLoad()
{
    QCOMPARE(window->centralWidget()->size(), QSize(792, 554));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->height(), window->menuBar()->height() + 554);

    for (const char* name : {"cmdスタート", "cmd得点", "cmd合格率"})
        QVERIFY(button(QString::fromUtf8(name))->isEnabled());
    QVERIFY(label(QStringLiteral("lbl秒"))->text().isEmpty());
    QVERIFY(score()->text().isEmpty());
    QCOMPARE(find<TabbedDialog>(QStringLiteral("stb英語"))->currentIndex(), 0);
    QCOMPARE(answerSheet()->currentIndex(), 0);

    QVERIFY(!timer()->isActive());

    for (int n = 1; n <= itemCount; ++n)
        QVERIFY2(mark(n)->isHidden(), qPrintable(QStringLiteral("mark %1").arg(n)));
    const auto boxes = window->findChildren<QCheckBox*>();
    QCOMPARE(boxes.size(), 181);
    for (QCheckBox* b : boxes)
        QCOMPARE(b->checkState(), Qt::Unchecked);

    QVERIFY(activate());
    QCOMPARE(QApplication::focusWidget(), button(QStringLiteral("cmdスタート")));

    QString offset;
    QVERIFY2(centredOnScreen(*window, &offset), qPrintable(offset));
}

void TestExamWindow::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");
    QTest::newRow("start button") << "cmdスタート" << QRect(24, 64, 81, 33);
    QTest::newRow("booklet viewer") << "stb英語" << QRect(128, 0, 660, 417);
    QTest::newRow("answer sheet") << "SSTab1" << QRect(128, 424, 665, 137);
    QTest::newRow("time frame") << "Label1" << QRect(8, 120, 113, 25);
    QTest::newRow("time display") << "lbl秒" << QRect(48, 120, 49, 25);
    QTest::newRow("empty score display") << "lbl得点" << QRect(48, 296, 12, 19);
    QTest::newRow("booklet box") << "RichTextBox1" << QRect(8, 24, 649, 385);
    QTest::newRow("figure 5") << "Picture4" << QRect(96, 48, 473, 337);
}

void TestExamWindow::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    QCOMPARE(find<QWidget>(name)->geometry(), rect);
}

void TestExamWindow::menusOpenWithTheirAccessKeys_data()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("itemCaption");
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("menuKey");
    QTest::addColumn<int>("itemKey");
    QTest::newRow("Alt+G, Q: exit") << 0 << u"ゲーム(&G)"_qs << u"終了(&Q)"_qs << u"mnuExit"_qs
                                    << int(Qt::Key_G) << int(Qt::Key_Q);
    QTest::newRow("Alt+H, A: about") << 1 << u"ヘルプ(&H)"_qs << u"バージョン情報(&A)"_qs
                                     << u"mnuAbout"_qs << int(Qt::Key_H) << int(Qt::Key_A);
}

void TestExamWindow::menusOpenWithTheirAccessKeys()
{
    QFETCH(int, menu);
    QFETCH(QString, caption);
    QFETCH(QString, itemCaption);
    QFETCH(QString, item);
    QFETCH(int, menuKey);
    QFETCH(int, itemKey);
    const QList<QAction*> menus = window->menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus[menu]->text(), caption);
    QAction* action = menus[menu]->menu()->actions().value(0);
    QVERIFY(action);
    QCOMPARE(action->text(), itemCaption);
    QCOMPARE(action->objectName(), item);

    QVERIFY(activate());
    QSignalSpy triggered(action, &QAction::triggered);
    QTest::keyClick(window.get(), Qt::Key(menuKey), Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QVERIFY(QApplication::activePopupWidget()->actions().contains(action));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key(itemKey));
    QTRY_COMPARE(triggered.count(), 1);
}

void TestExamWindow::itemsFitTheirPages()
{
    // Every frame lies on its page, every box inside its frame beside the next without touching
    // it, and every ring beside its frame, where it hides no box.
    const QRect page = answerSheet()->rect();
    for (int n = 1; n <= itemCount; ++n) {
        const auto* frame = find<QGroupBox>(QStringLiteral("Frame%1").arg(n));
        QVERIFY2(page.contains(frame->geometry()), qPrintable(QString::number(n)));
        QVERIFY(page.contains(mark(n)->geometry()));
        QVERIFY(!mark(n)->geometry().intersects(frame->geometry()));
        const QList<QCheckBox*> boxes = frame->findChildren<QCheckBox*>();
        QCOMPARE(boxes.size(), answerItems[static_cast<size_t>(n - 1)].boxCount);
        for (qsizetype b = 0; b < boxes.size(); ++b) {
            QVERIFY(frame->contentsRect().contains(boxes[b]->geometry()));
            if (b > 0)
                QVERIFY(boxes[b - 1]->geometry().right() < boxes[b]->geometry().left());
        }
    }
}

void TestExamWindow::keysAnswerTheSheet()
{
    QVERIFY(activate());
    TabbedDialog* sheet = answerSheet();
    sheet->setFocus();
    // A digit clicks that choice's box of the item in view, which takes the focus.
    QTest::keyClick(sheet, Qt::Key_4);
    QVERIFY(box(1, 4)->isChecked());
    QCOMPARE(QApplication::focusWidget(), box(1, 4));
    // Left and Right move between the item's boxes and stop at its ends; the keypad's arrows
    // (NumLock off) do the same and never leave the item either.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int choice;
    } moves[] = {{Qt::Key_Right, {}, 5},
                 {Qt::Key_Right, {}, 5},
                 {Qt::Key_Right, Qt::KeypadModifier, 5},
                 {Qt::Key_Left, Qt::KeypadModifier, 4},
                 {Qt::Key_Left, {}, 3}};
    for (const auto& [key, modifiers, choice] : moves) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        QCOMPARE(QApplication::focusWidget(), box(1, choice));
    }
    QCOMPARE(sheet->currentIndex(), 0);
    // The same digit again clears the box; the keypad's digits work too; a digit past the
    // item's last box does nothing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_4);
    QVERIFY(!box(1, 4)->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_2, Qt::KeypadModifier);
    QVERIFY(box(1, 2)->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_8);
    QCOMPARE(QApplication::focusWidget(), box(1, 2));
    // The next item opens on its first box.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(sheet->currentIndex(), 1);
    QCOMPARE(QApplication::focusWidget(), box(2, 1));
}

// Where Start leaves the focus, in the booklet, and on a figure, the digits tick the item in view
// and Ctrl+Tab and Ctrl+Shift+Tab move between the items, while the focus stays where the student
// reads; the booklet's own keys still work there. The digits once did nothing in the booklet.
void TestExamWindow::keysAnswerFromTheBooklet()
{
    QVERIFY(activate());
    TabbedDialog* sheet = answerSheet();
    auto* viewer = find<TabbedDialog>(u"stb英語"_qs);
    auto* booklet = find<RichTextBox>(u"RichTextBox1"_qs);
    press(u"cmdスタート"_qs);
    QCOMPARE(QApplication::focusWidget(), booklet);

    QTest::keyClick(booklet, Qt::Key_3);
    QVERIFY(box(1, 3)->isChecked());
    QTest::keyClick(booklet, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(sheet->currentIndex(), 1);
    QTest::keyClick(booklet, Qt::Key_5, Qt::KeypadModifier);
    QVERIFY(box(2, 5)->isChecked());
    QTest::keyClick(booklet, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(sheet->currentIndex(), 0);
    QTest::keyClick(booklet, Qt::Key_3);
    QVERIFY(!box(1, 3)->isChecked());
    QCOMPARE(QApplication::focusWidget(), booklet);
    QCOMPARE(viewer->currentIndex(), 0);
    QTest::keyClick(booklet, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(booklet, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(booklet->zoomFactor(), 1.0);
    QVERIFY(!box(1, 1)->isChecked());

    QTest::keyClick(booklet, Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(viewer->currentIndex(), 1);
    QWidget* figure = QApplication::focusWidget();
    QCOMPARE(figure, find<QWidget>(u"Picture1"_qs));
    QTest::keyClick(figure, Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(figure, Qt::Key_2);
    QVERIFY(box(2, 2)->isChecked());
    QCOMPARE(QApplication::focusWidget(), figure);
    QCOMPARE(sheet->currentIndex(), 1);
}

void TestExamWindow::bookletZoomsAndComesBack()
{
    auto* booklet = find<RichTextBox>(QStringLiteral("RichTextBox1"));
    const auto firstSize = [booklet] {
        return booklet->document()->begin().begin().fragment().charFormat().fontPointSize();
    };
    QCOMPARE(firstSize(), 8.0);
    for (int press = 0; press < 10; ++press)
        QTest::keyClick(booklet, Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(firstSize(), 24.0);
    QTest::keyClick(booklet, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(firstSize(), 20.0);
    QWheelEvent wheel(QPointF(10, 10), booklet->mapToGlobal(QPointF(10, 10)), {}, {0, -120},
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(booklet->viewport(), &wheel);
    QCOMPARE(firstSize(), 16.0);
    QTest::keyClick(booklet, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(firstSize(), 8.0);
    QCOMPARE(booklet->document()->toPlainText(), booklet->toPlainText());
}

void TestExamWindow::boxOutlinesStandOutFromThePicture()
{
    // Every box's outline, on the window as drawn, stands out at least 3:1 from the picture or
    // frame just outside it.
    const auto luminance = [](QColor c) {
        const auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const auto contrast = [&](QColor a, QColor b) {
        const double la = luminance(a), lb = luminance(b);
        return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
    };
    for (int item : {1, 16, 34}) {
        answerSheet()->setCurrentIndex(item - 1);
        QCheckBox* check = box(item, 1);
        QStyleOptionButton option;
        option.initFrom(check);
        const QRect indicator =
            check->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, check);
        const QImage shown = window->grab().toImage();
        const QPoint edge =
            check->mapTo(window.get(), indicator.topLeft()) + QPoint(0, indicator.height() / 2);
        const QColor outline = shown.pixelColor(edge);
        const QColor outside = shown.pixelColor(edge - QPoint(2, 0));
        QVERIFY2(
            contrast(outline, outside) >= 3.0,
            qPrintable(
                QStringLiteral("item %1: %2 on %3").arg(item).arg(outline.name(), outside.name())));
    }
}

void TestExamWindow::emptyTabControlIgnoresKeys()
{
    TabbedDialog empty(12, 20, nullptr);
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Home, Qt::Key_End})
        QTest::keyClick(&empty, key);
    QCOMPARE(empty.currentIndex(), -1);
}

void TestExamWindow::answerSheetHoldsEveryItem()
{
    TabbedDialog* sheet = answerSheet();
    QCOMPARE(sheet->count(), itemCount);
    QCOMPARE(sheet->rowCount(), 3);
    QCOMPARE(sheet->tabText(0), QStringLiteral("1-A1"));
    QCOMPARE(sheet->tabText(15), QStringLiteral("4-A1-1"));
    QCOMPARE(sheet->tabText(33), QStringLiteral("6-B5-6"));
    const QStringList circled{"①", "②", "③", "④", "⑤", "⑥", "⑦", "⑧"};
    for (int n = 1; n <= itemCount; ++n) {
        const auto* frame = find<QGroupBox>(QStringLiteral("Frame%1").arg(n));
        QCOMPARE(frame->title(), QStringLiteral("答え"));
        QCOMPARE(frame->parentWidget(), sheet->page(n - 1));
        QCOMPARE(mark(n)->parentWidget(), sheet->page(n - 1));
        const auto boxes = frame->findChildren<QCheckBox*>();
        QCOMPARE(boxes.size(), answerItems[static_cast<size_t>(n - 1)].boxCount);
        int lastLeft = -1;
        for (int choice = 1; choice <= boxes.size(); ++choice) {
            QCheckBox* b = box(n, choice);
            QCOMPARE(b->text(), circled[choice - 1]);
            QCOMPARE(b->geometry().top(), 24);
            QVERIFY(b->geometry().left() > lastLeft);
            QVERIFY(b->geometry().right() < frame->width());
            lastLeft = b->geometry().right();
        }
    }
    QCOMPARE(box(19, 5)->geometry().left(), 248);
    QCOMPARE(box(29, 1)->width(), 73);
}

void TestExamWindow::fontsMapToJapaneseFaces()
{
    // Qt names a face in the session's language (IPAゴシック under ja_JP.UTF-8): the face to
    // expect is the one Qt finds by the English name.
    const QString ipaGothic = QFontInfo(QFont(QStringLiteral("IPAGothic"))).family();
    const QString ipaMincho = QFontInfo(QFont(QStringLiteral("IPAMincho"))).family();
    QVERIFY(QFontDatabase::families(QFontDatabase::Japanese).contains(ipaGothic));
    const QFont scoreButton = button(QStringLiteral("cmd得点"))->font();
    QCOMPARE(QFontInfo(scoreButton).family(), ipaGothic);
    // IPA Gothic has no bold face of its own: Qt draws it bolder.
    QVERIFY(scoreButton.bold());
    QCOMPARE(score()->font().pointSizeF(), 14.25);
    QCOMPARE(label(QStringLiteral("Label1"))->font().pointSizeF(), 12.0);
    QCOMPARE(box(21, 2)->font().pointSizeF(), 8.25);
    QCOMPARE(box(32, 2)->font().pointSizeF(), 8.25);
    QCOMPARE(box(32, 3)->font().pointSizeF(), 9.0);
    QCOMPARE(QFontInfo(box(1, 1)->font()).family(), ipaGothic);

    // Every face that the window and the booklet ask for is installed, under one of its names: a
    // missing one would cost a search through fontconfig at start-up and end in the same
    // stand-in, and the booklet's Japanese text is in IPA Mincho whatever the locale.
    const auto installed = [](const QString& face) { return QFontDatabase::hasFamily(face); };
    QStringList missing;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        if (!installed(widget->font().family()))
            missing << widget->objectName() + QStringLiteral(": ") + widget->font().family();
    }
    const QTextDocument* booklet = find<QTextEdit>(QStringLiteral("RichTextBox1"))->document();
    for (QTextBlock block = booklet->begin(); block.isValid(); block = block.next()) {
        for (auto run = block.begin(); !run.atEnd(); ++run) {
            const QStringList faces = run.fragment().charFormat().fontFamilies().toStringList();
            for (const QString& face : faces)
                if (!installed(face))
                    missing << QStringLiteral("booklet: ") + face;
            // Japanese text needs a Japanese face in the list, or Qt falls back per character.
            if (std::none_of(faces.begin(), faces.end(), [&](const QString& face) {
                    return QFontInfo(QFont(face)).family() == ipaMincho;
                }))
                missing << QStringLiteral("booklet without IPA Mincho: ") + faces.join(u',');
        }
    }
    missing.removeDuplicates();
    QCOMPARE(missing, QStringList());
}

void TestExamWindow::tabsStayWhereTheyAre()
{
    TabbedDialog* sheet = answerSheet();
    const int pageTop = 60;
    QCOMPARE(sheet->tabRect(0).bottom() + 1, pageTop);

    // A click on a tab in the top row selects it, and every tab stays where it was: the pointer
    // is still over the tab it chose.
    std::vector<QRect> before;
    for (int i = 0; i < sheet->count(); ++i)
        before.push_back(sheet->tabRect(i));
    const QRect back = sheet->tabRect(30);
    QVERIFY(back.bottom() + 1 < pageTop);
    QTest::mouseClick(sheet, Qt::LeftButton, {}, back.center());
    QCOMPARE(sheet->currentIndex(), 30);
    for (int i = 0; i < sheet->count(); ++i)
        QCOMPARE(sheet->tabRect(i), before[static_cast<size_t>(i)]);
    QVERIFY(sheet->page(30)->isVisible());
    QVERIFY(!sheet->page(0)->isVisible());

    // The arrow keys walk the tabs, Up and Down the rows, without turning them round.
    sheet->setFocus();
    const std::pair<Qt::Key, int> walk[] = {
        {Qt::Key_Right, 31}, {Qt::Key_End, 33}, {Qt::Key_Right, 33}, {Qt::Key_Down, 21},
        {Qt::Key_Down, 9},   {Qt::Key_Down, 9}, {Qt::Key_Up, 21},    {Qt::Key_Home, 0},
    };
    for (const auto& [key, tab] : walk) {
        QTest::keyClick(sheet, key);
        QCOMPARE(sheet->currentIndex(), tab);
    }
    for (int i = 0; i < sheet->count(); ++i)
        QCOMPARE(sheet->tabRect(i), before[static_cast<size_t>(i)]);
}

namespace {

struct PaintCount final : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

void hover(QWidget* widget, QEvent::Type type, const QPoint& at)
{
    QHoverEvent event(type, at, widget->mapToGlobal(at), QPoint());
    QApplication::sendEvent(widget, &event);
    QApplication::processEvents();
}

} // namespace

// A tab under the pointer lights up; the pointer on a page, where the window may well find it
// when it first appears, repaints nothing.
void TestExamWindow::onlyATabShowsThePointer()
{
    TabbedDialog* sheet = answerSheet();
    const QRect tab = sheet->tabRect(5);
    const QImage plain = sheet->grab(tab).toImage();
    PaintCount count;
    sheet->installEventFilter(&count);

    hover(sheet, QEvent::HoverEnter, QPoint(sheet->width() / 2, sheet->height() - 10));
    QCOMPARE(count.paints, 0);
    hover(sheet, QEvent::HoverMove, tab.center());
    hover(sheet, QEvent::HoverMove, tab.center() + QPoint(1, 0));
    QCOMPARE(count.paints, 1);
    QVERIFY(sheet->grab(tab).toImage() != plain);
    hover(sheet, QEvent::HoverLeave, QPoint());
    QCOMPARE(sheet->grab(tab).toImage(), plain);
}

void TestExamWindow::onlyTheSelectedPageTakesFocus()
{
    QVERIFY(activate());
    answerSheet()->setCurrentIndex(15);

    QStringList chain;
    button(QStringLiteral("cmdスタート"))->setFocus();
    for (int i = 0; i < 14; ++i) {
        QWidget* focused = QApplication::focusWidget();
        chain << focused->objectName() + (focused->property("Index").isValid()
                                              ? focused->property("Index").toString()
                                              : QString());
        QTest::keyClick(focused, Qt::Key_Tab);
    }
    const QStringList expected{"cmdスタート",  "stb英語",      "RichTextBox1", "cmd得点",
                               "cmd合格率",    "SSTab1",       "chkTamsel161", "chkTamsel162",
                               "chkTamsel163", "chkTamsel164", "chkTamsel165", "chkTamsel166",
                               "chkTamsel167", "cmdスタート"};
    QCOMPARE(chain, expected);
}

// Paging from an answer box hands the focus straight to the box of the page coming into view:
// nothing outside the pages takes it on the way, where a screen reader would say its name.
void TestExamWindow::pagingKeepsTheFocusOnThePages()
{
    QVERIFY(activate());
    TabbedDialog* sheet = answerSheet();
    sheet->setCurrentIndex(2);
    box(3, 2)->setFocus();
    QWidgetList focused;
    const QMetaObject::Connection recording =
        connect(qApp, &QApplication::focusChanged, this,
                [&focused](QWidget*, QWidget* now) { focused << now; });
    for (const Qt::Key key : {Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_PageDown})
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
    disconnect(recording);

    QCOMPARE(sheet->currentIndex(), 3);
    QCOMPARE(QApplication::focusWidget(), box(4, 1));
    QVERIFY(!focused.isEmpty());
    for (const QWidget* widget : focused) {
        QVERIFY2(widget && widget != sheet && sheet->isAncestorOf(widget),
                 qPrintable(widget ? widget->objectName() : QStringLiteral("nothing")));
    }
}

void TestExamWindow::startHandsTheFocusToThePageInView_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("control");
    QTest::newRow("booklet page: the booklet") << 0 << u"RichTextBox1"_qs;
    QTest::newRow("figure page: the figure") << 4 << u"Picture4"_qs;
}

// Start goes out of use as it is pressed: the focus goes on to the booklet viewer's page in
// view, to a control the student sees with its focus ring.
void TestExamWindow::startHandsTheFocusToThePageInView()
{
    QFETCH(int, page);
    QFETCH(QString, control);
    QVERIFY(activate());
    find<TabbedDialog>(u"stb英語"_qs)->setCurrentIndex(page);
    QPushButton* start = button(u"cmdスタート"_qs);
    start->setFocus();
    QTest::keyClick(start, Qt::Key_Space);
    QVERIFY(!start->isEnabled());
    QWidget* focused = QApplication::focusWidget();
    QCOMPARE(focused, find<QWidget>(control));
    QVERIFY(focused->isVisible());
}

void TestExamWindow::scoreMarksTheSheet()
{
    tick(1, 4);  // right: 3 points
    tick(2, 2);  // right: 3 points
    tick(2, 1);  // and wrong
    tick(21, 5); // right: 2 points, box 7 is not read
    tick(21, 7);
    pressScore();

    QCOMPARE(score()->text(), QStringLiteral("5"));
    QVERIFY(!mark(1)->isHidden());
    QVERIFY(mark(2)->isHidden());
    QVERIFY(!mark(21)->isHidden());
    answerSheet()->setCurrentIndex(0);
    QVERIFY(mark(1)->isVisible());
    QVERIFY(!mark(21)->isVisible());

    // The boxes are left as they were, and a second press marks the same.
    QCOMPARE(box(2, 1)->checkState(), Qt::Checked);
    pressScore();
    QCOMPARE(score()->text(), QStringLiteral("5"));
    QVERIFY(!mark(1)->isHidden());
    QVERIFY(!mark(21)->isHidden());
}

void TestExamWindow::scoreHidesMarksShownBefore()
{
    tickEveryRightBox();
    pressScore();
    QCOMPARE(score()->text(), QStringLiteral("100"));
    for (int n = 1; n <= itemCount; ++n)
        QVERIFY(!mark(n)->isHidden());

    tickEveryRightBox();
    pressScore();
    QCOMPARE(score()->text(), QStringLiteral("0"));
    for (int n = 1; n <= itemCount; ++n)
        QVERIFY(mark(n)->isHidden());
}

void TestExamWindow::scoreLeavesMarkOfGrayedRightBox()
{
    tick(5, 1);
    tick(6, 1);
    pressScore();
    QVERIFY(!mark(5)->isHidden());

    box(5, 1)->setCheckState(Qt::PartiallyChecked);
    box(6, 1)->setCheckState(Qt::PartiallyChecked);
    box(6, 2)->setCheckState(Qt::Checked);
    pressScore();
    QVERIFY(!mark(5)->isHidden()); // left as it was
    QVERIFY(mark(6)->isHidden());  // a wrong tick still hides
    QCOMPARE(score()->text(), QStringLiteral("0"));
}

void TestExamWindow::scoreWidensTheScoreDisplay()
{
    tickEveryRightBox();
    pressScore();
    const QLabel* display = score();
    const auto* frame = label(QStringLiteral("Label2"));
    QCOMPARE(display->geometry().topLeft(), QPoint(48, 296));
    QVERIFY(display->width() >= display->fontMetrics().horizontalAdvance(QStringLiteral("100")));
    // The "点" at the right end of the pink frame stays in sight.
    const int unitLeft =
        frame->geometry().right() - frame->fontMetrics().horizontalAdvance(QStringLiteral("点"));
    QVERIFY2(display->geometry().right() < unitLeft, qPrintable(QString::number(unitLeft)));
    // The display stands in front of its frame.
    const QObjectList& siblings = display->parent()->children();
    QVERIFY(siblings.indexOf(display) > siblings.indexOf(frame));
}

void TestExamWindow::accessibility()
{
    QAccessibleInterface* sheet = QAccessible::queryAccessibleInterface(answerSheet());
    QVERIFY(sheet);
    QCOMPARE(sheet->role(), QAccessible::PageTabList);
    QAccessibleInterface* tab = sheet->child(20);
    QVERIFY(tab);
    QCOMPARE(tab->role(), QAccessible::PageTab);
    QCOMPARE(tab->text(QAccessible::Name), QStringLiteral("4-B3-6"));
    QCOMPARE(sheet->indexOfChild(tab), 20);
    QVERIFY(!tab->state().selected);
    tab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(answerSheet()->currentIndex(), 20);
    QVERIFY(tab->state().selected);
    QCOMPARE(tab->rect().size(), answerSheet()->tabRect(20).size());

    QAccessibleInterface* check = QAccessible::queryAccessibleInterface(box(21, 3));
    QCOMPARE(check->role(), QAccessible::CheckBox);
    QCOMPARE(check->text(QAccessible::Name), QStringLiteral("③"));
    // Its item is in its frame's name: the box does not repeat it.
    QCOMPARE(check->text(QAccessible::Description), QString());

    QAccessibleInterface* ring = QAccessible::queryAccessibleInterface(mark(21));
    QCOMPARE(ring->role(), QAccessible::Graphic);
    QCOMPARE(ring->text(QAccessible::Name), QStringLiteral("正解"));
    QVERIFY(ring->state().invisible);
    // The mark is the icon's smooth 256-colour ring, not its 16-colour one.
    const QImage ringPicture = mark(21)->pixmap().toImage();
    QCOMPARE(ringPicture.size(), QSize(32, 32));
    const qsizetype colours = distinctColours(ringPicture);
    QVERIFY2(colours > 16, qPrintable(QString::number(colours)));

    QAccessibleInterface* scoreText = QAccessible::queryAccessibleInterface(score());
    pressScore();
    QCOMPARE(scoreText->text(QAccessible::Name), QStringLiteral("0 点"));
}

void TestExamWindow::bookletTabShowsTheBooklet()
{
    auto* booklet = find<QTextEdit>(QStringLiteral("RichTextBox1"));
    QVERIFY(booklet->isVisible());
    QVERIFY(booklet->isReadOnly());
    const QString text = booklet->toPlainText();
    QVERIFY2(text.startsWith(QStringLiteral("第１問")), qPrintable(text.left(20)));
    for (const char* digit : {"①、", "②、", "⑤、"})
        QVERIFY(text.contains(QString::fromUtf8(digit)));
    QCOMPARE(booklet->lineWrapMode(), QTextEdit::WidgetWidth);

    auto* viewer = find<TabbedDialog>(QStringLiteral("stb英語"));
    viewer->setCurrentIndex(4);
    QVERIFY(!booklet->isVisible());
    QVERIFY(find<QWidget>(QStringLiteral("Picture4"))->isVisible());
}

void TestExamWindow::figureBoxDrawsUnscaledAndClipped()
{
    // A picture larger than its box: a red left half and a blue right half, 40 wide in all.
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    for (int y = 0; y < 40; ++y)
        for (int x = 20; x < 40; ++x)
            picture.setPixelColor(x, y, Qt::blue);
    PictureBox box(nullptr);
    box.setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box.setLineWidth(2);
    box.resize(30, 30);
    box.setPicture(DensityPicture(QPixmap::fromImage(picture), QString()));
    const QImage shown = box.grab().toImage();

    const QRect inside = box.contentsRect();
    QCOMPARE(inside.topLeft(), QPoint(2, 2));
    // Unscaled from the top-left inside the border: red starts at the border, blue 20 px later.
    QCOMPARE(shown.pixelColor(inside.left(), inside.top()), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(inside.left() + 19, 10), QColor(Qt::red));
    QCOMPARE(shown.pixelColor(inside.left() + 20, 10), QColor(Qt::blue));
    // Clipped: the border on the right and at the bottom is not painted over.
    QVERIFY(shown.pixelColor(29, 10) != QColor(Qt::blue));
    QVERIFY(shown.pixelColor(10, 29) != QColor(Qt::red));
}

void TestExamWindow::picturesComeInTheScreensDensity_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QImage>("designed");
    QTest::addColumn<bool>("wholeFile"); // the picture for 100 % is the file, not one of its images
    QTest::newRow("background") << QStringLiteral(":/background.bmp")
                                << QImage(QStringLiteral(":/background.bmp")) << true;
    QTest::newRow("mark") << QStringLiteral(":/maru.ico")
                          << richestImage(QStringLiteral(":/maru.ico"), 32) << false;
}

// The design's picture for 100 %, its drawing at twice the size at 200 %, and in between the
// larger one brought down to the screen's pixels, never the design's one blown up.
void TestExamWindow::picturesComeInTheScreensDensity()
{
    QFETCH(QString, path);
    QFETCH(QImage, designed);
    QFETCH(bool, wholeFile);
    const QImage twice(twiceTheSizePath(path));
    const DensityPicture picture =
        wholeFile ? DensityPicture::decodeWhenNeeded(path)
                  : DensityPicture(QPixmap::fromImage(designed), twiceTheSizePath(path));
    const QSize size = designed.size();
    QCOMPARE(picture.size(), size);

    QCOMPARE(picture.forDensity(1.0).toImage().convertToFormat(designed.format()), designed);
    QCOMPARE(twice.size(), size * 2);
    const QPixmap atTwo = picture.forDensity(2.0);
    QCOMPARE(atTwo.devicePixelRatio(), 2.0);
    // The drawing itself, unscaled (both through a pixmap, which stores premultiplied colours).
    QCOMPARE(atTwo.toImage(), QPixmap::fromImage(twice).toImage());

    for (const qreal density : {1.25, 1.5, 1.75}) {
        const QPixmap scaled = picture.forDensity(density);
        QCOMPARE(scaled.width(), qRound(size.width() * density));
        QCOMPARE(scaled.deviceIndependentSize().toSize(), size);
    }

    // The larger drawing is the same picture: brought down to the design's size, it differs
    // from the design's file by little more than the design's 256 colours and dithering do.
    const QImage down = twice.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_ARGB32);
    const QImage reference = designed.convertToFormat(QImage::Format_ARGB32);
    double difference = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QColor a = down.pixelColor(x, y);
            const QColor b = reference.pixelColor(x, y);
            const bool bothShown = a.alpha() > 0 && b.alpha() > 0;
            difference += qAbs(a.alpha() - b.alpha()) +
                          (bothShown ? qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) +
                                           qAbs(a.blue() - b.blue())
                                     : 0);
        }
    }
    difference /= 4.0 * size.width() * size.height();
    QVERIFY2(difference < 12, qPrintable(QString::number(difference)));
}

QTEST_MAIN(TestExamWindow)
#include "tst_examwindow.moc"
