// Every document can be read to its end: the booklet in the exam window, the pass-line table and
// the read-me in their windows. The boxes are clipped by the tab page or the window around them,
// so the last line must come into the part of the box that the student actually sees. And every
// character is drawn from a face that has it: no box stands in for a missing glyph. Zooming keeps
// the student's place: the line at the top of the view stays there.

#include "Fakes.h"
#include "design/HelpWindowDesign.h"
#include "design/PassLineDesigns.h"
#include "forms/FormBuilder.h"
#include "forms/WindowShelf.h"
#include "startup/Startup.h"
#include "windows/frmTamsel.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QWheelEvent>

#include <memory>

using namespace tamsel;

namespace {

// The part of widget that its ancestors up to the window leave in sight, in window coordinates.
QRect visibleInWindow(const QWidget* widget)
{
    QRect visible(widget->mapTo(widget->window(), QPoint()), widget->size());
    for (const QWidget* above = widget->parentWidget(); above && !above->isWindow();
         above = above->parentWidget())
        visible &= QRect(above->mapTo(above->window(), QPoint()), above->size());
    return visible & widget->window()->rect();
}

// The last block with text in it: the documents end with empty paragraphs.
QTextBlock lastLineOfText(const QTextDocument* document)
{
    QTextBlock block = document->lastBlock();
    while (block.isValid() && block.text().trimmed().isEmpty())
        block = block.previous();
    return block;
}

// Where the block's last line stands now, in window coordinates.
QRect lastLineInWindow(const QTextEdit* box, const QTextBlock& block)
{
    const QTextLayout* layout = block.layout();
    const QTextLine line = layout->lineAt(layout->lineCount() - 1);
    const QRectF blockRect = box->document()->documentLayout()->blockBoundingRect(block);
    const QRectF lineRect = line.rect().translated(blockRect.topLeft());
    const QPoint scrolled(box->horizontalScrollBar()->value(), box->verticalScrollBar()->value());
    const QPoint top =
        box->viewport()->mapTo(box->window(), lineRect.topLeft().toPoint() - scrolled);
    return {top, QSize(1, qCeil(lineRect.height()))};
}

} // namespace

class TestDocumentScroll final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void lastLineComesIntoSight_data();
    void lastLineComesIntoSight();
    void zoomKeepsTheTopLine_data() { lastLineComesIntoSight_data(); }
    void zoomKeepsTheTopLine();

private:
    // The exam window (0), pass-line window n (n > 0) or the read-me window (-1), shown.
    std::unique_ptr<QWidget> show(int window);
    FakeClock clock_;
    RecordingPlayer player_;
    WindowShelf shelf_;
};

void TestDocumentScroll::initTestCase()
{
    prepareApplication();
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestDocumentScroll::lastLineComesIntoSight_data()
{
    QTest::addColumn<int>("window");
    QTest::newRow("booklet") << 0;
    QTest::newRow("pass-line table (tall box)") << 3;
    QTest::newRow("pass-line table") << 1;
    QTest::newRow("read-me") << -1;
}

std::unique_ptr<QWidget> TestDocumentScroll::show(int window)
{
    std::unique_ptr<QWidget> shown;
    if (window == 0)
        shown = std::make_unique<frmTamsel>(clock_, player_, shelf_);
    else if (window > 0)
        shown.reset(buildDocumentForm(passlinedesign::windows[window - 1]));
    else
        shown.reset(buildDocumentForm(helpdesign::window));
    shown->show();
    return shown;
}

void TestDocumentScroll::lastLineComesIntoSight()
{
    QFETCH(int, window);
    const std::unique_ptr<QWidget> shown = show(window);

    auto* box = shown->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    QVERIFY(box);
    const QTextBlock last = lastLineOfText(box->document());
    QVERIFY(last.isValid());
    // Shown, the document is laid out to its end at once, not in Qt's later steps: the first
    // picture of the box, scroll bar included, is its last.
    QVERIFY(last.layout()->lineCount() > 0);
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    const QRect inSight = visibleInWindow(box->viewport());
    // The document is longer than the box, so the test scrolls for real.
    QVERIFY(!inSight.intersects(lastLineInWindow(box, last)));

    box->setFocus();
    QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
    const QRect line = lastLineInWindow(box, last);
    const QString where = QStringLiteral("last line at y %1 to %2, sight ends at %3")
                              .arg(line.top())
                              .arg(line.bottom())
                              .arg(inSight.bottom());
    QVERIFY2(inSight.contains(line), qPrintable(where));

    QStringList missing;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QFont font = fragment.charFormat().font().resolve(box->font());
            const QFontMetrics metrics(font);
            for (const char32_t c : fragment.text().toUcs4()) {
                if (c > U' ' && !metrics.inFontUcs4(c))
                    missing << QString::fromUcs4(&c, 1) + QStringLiteral(" in ") +
                                   QFontInfo(font).family();
            }
        }
    }
    QCOMPARE(missing, QStringList());
}

// Zooming in and out again, by keys and by the wheel, leaves the line that was at the top of the
// view at the top: a document that grew under an unmoved scroll bar put the student pages away
// from where they read (six Ctrl++ in 第３問 showed 第１問 問１).
void TestDocumentScroll::zoomKeepsTheTopLine()
{
    QFETCH(int, window);
    const std::unique_ptr<QWidget> shown = show(window);
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    auto* box = shown->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    QVERIFY(box);
    QScrollBar* bar = box->verticalScrollBar();
    const QAbstractTextDocumentLayout* layout = box->document()->documentLayout();
    // A line with text a third of the way down, scrolled to the top of the view.
    QTextBlock block = box->document()->findBlock(box->document()->characterCount() / 3);
    while (block.text().trimmed().isEmpty())
        block = block.next();
    const auto offsetFromTop = [&] {
        return qRound(layout->blockBoundingRect(block).top()) - bar->value();
    };
    bar->setValue(qRound(layout->blockBoundingRect(block).top()));
    const int offset = offsetFromTop();
    const int range = bar->maximum();

    box->setFocus();
    for (int press = 0; press < 6; ++press)
        QTest::keyClick(box, Qt::Key_Plus, Qt::ControlModifier);
    // The document has grown several times over, so a kept scroll value would show other text.
    QVERIFY2(bar->maximum() > 3 * range, qPrintable(QString::number(bar->maximum())));
    QCOMPARE(offsetFromTop(), offset);
    QTest::keyClick(box, Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(offsetFromTop(), offset);
    QWheelEvent wheel(QPointF(10, 10), box->mapToGlobal(QPointF(10, 10)), {}, {0, -120},
                      Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(box->viewport(), &wheel);
    QCOMPARE(offsetFromTop(), offset);
    QTest::keyClick(box, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(bar->maximum(), range);
    QCOMPARE(offsetFromTop(), offset);
}

QTEST_MAIN(TestDocumentScroll)
#include "tst_documentscroll.moc"
