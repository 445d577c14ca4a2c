// Every document can be read to its end: the booklet in the exam window, the pass-line table and
// the read-me in their windows. The boxes are clipped by the tab page or the window around them,
// so the last line must come into the part of the box that the student actually sees. And every
// character is drawn from a face that has it: no box stands in for a missing glyph.

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

void TestDocumentScroll::lastLineComesIntoSight()
{
    QFETCH(int, window);
    FakeClock clock;
    RecordingPlayer player;
    WindowShelf shelf;
    std::unique_ptr<QWidget> shown;
    if (window == 0)
        shown = std::make_unique<frmTamsel>(clock, player, shelf);
    else if (window > 0)
        shown.reset(buildDocumentForm(passlinedesign::windows[window - 1]));
    else
        shown.reset(buildDocumentForm(helpdesign::window));
    shown->show();

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

QTEST_MAIN(TestDocumentScroll)
#include "tst_documentscroll.moc"
