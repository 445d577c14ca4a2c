#include "controls/RichTextBox.h"

#include "controls/FocusRing.h"
#include "controls/WholeBorder.h"
#include "documents/RtfReader.h"
#include "forms/SystemFaces.h"

#include <QAbstractTextDocumentLayout>
#include <QFocusFrame>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QWheelEvent>

#include <algorithm>

namespace tamsel {

// Covers the whole box above its text area and scroll bar, draws the box's border and lets
// everything else through. A focus frame is the kind of widget made for that: the mouse goes
// through it, it never takes the focus and assistive technology leaves it out.
class BorderOnTop final : public QFocusFrame {
public:
    explicit BorderOnTop(RichTextBox* box)
        : QFocusFrame(box)
        , box_(box)
    {
        // The scroll area raises its scroll bars whenever it lays them out.
        for (const QScrollBar* bar : {box->verticalScrollBar(), box->horizontalScrollBar()})
            bar->parentWidget()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ZOrderChange)
            raise();
        return QFocusFrame::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        drawWholeBorder(painter, devicePixelRatioF(), [&] { box_->drawFrame(&painter); });
        if (box_->hasFocus())
            drawFocusRing(painter, box_->frameRect().marginsRemoved(QMargins(1, 1, 1, 1)),
                          box_->palette());
    }

private:
    RichTextBox* box_;
};

RichTextBox::RichTextBox(QWidget* parent)
    : QTextEdit(parent)
    , border_(new BorderOnTop(this))
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QTextEdit::WidgetWidth);
    // The documents are longer than their boxes. A permanent scroll bar keeps the text's width
    // what it is from the first layout on: one that appeared only once the text was laid out
    // would narrow it and have the whole document laid out a second time.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    border_->raise();
}

void RichTextBox::startAnotherDocument()
{
    unsized_.reset();
    runs_.clear();
    zoomStep_ = 0;
}

void RichTextBox::setRtfLaidOutWhenSized(QByteArrayView rtf)
{
    startAnotherDocument();
    unsized_ = std::make_unique<QTextDocument>();
    // Nothing is typed into the box, and a zoom is no edit to undo.
    unsized_->setUndoRedoEnabled(false);
    RtfReader::import(unsized_.get(), rtf, systemFaces());
}

void RichTextBox::takeUnsizedDocument()
{
    std::unique_ptr<QTextDocument> read = std::move(unsized_);
    // Until the box gives the document its width, it has none: taking it in lays nothing out
    // at another width, and the box's face, set before it has a layout, costs no layout.
    read->setPageSize(QSizeF(0, 0));
    read->setDefaultFont(font());
    read->setParent(this);
    // The box's own empty document goes with the text control that made it.
    setDocument(read.release());
    moveCursor(QTextCursor::Start);
    // Asking for its size lays it out to its end now, rather than in steps after the first
    // picture that would move the scroll bar.
    document()->documentLayout()->documentSize();
}

void RichTextBox::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            zoomTo(zoomStep_ + 1);
            return;
        case Qt::Key_Minus:
            zoomTo(zoomStep_ - 1);
            return;
        case Qt::Key_0:
            zoomTo(0);
            return;
        default:
            break;
        }
    }
    QTextEdit::keyPressEvent(event);
}

void RichTextBox::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QTextEdit::wheelEvent(event);
        return;
    }
    if (const int delta = event->angleDelta().y(); delta != 0)
        zoomTo(zoomStep_ + (delta > 0 ? 1 : -1));
    event->accept();
}

void RichTextBox::zoomTo(int step)
{
    step = std::clamp(step, 0, static_cast<int>(zoomFactors.size()) - 1);
    if (step == zoomStep_)
        return;
    if (runs_.empty()) {
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                runs_.push_back({fragment.position(), fragment.length(),
                                 fragment.charFormat().fontPointSize()});
            }
        }
    }
    zoomStep_ = step;
    // The first whole line in view stays where it is: the text grows or shrinks below and beside
    // it, rather than the whole document sliding past the student's place.
    QTextCursor top = cursorForPosition(QPoint(0, 0));
    if (cursorRect(top).top() < 0)
        top.movePosition(QTextCursor::Down);
    top.movePosition(QTextCursor::StartOfLine);
    const int topBefore = cursorRect(top).top();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const Run& run : runs_) {
        QTextCharFormat size;
        size.setFontPointSize(run.points * zoomFactor());
        cursor.setPosition(run.position);
        cursor.setPosition(run.position + run.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(size);
    }
    cursor.endEditBlock();
    // Laid out to its end, the document gives the scroll bar its whole new range.
    document()->documentLayout()->documentSize();
    verticalScrollBar()->setValue(verticalScrollBar()->value() + cursorRect(top).top() - topBefore);
}

void RichTextBox::focusInEvent(QFocusEvent* event)
{
    QTextEdit::focusInEvent(event);
    border_->update();
}

void RichTextBox::focusOutEvent(QFocusEvent* event)
{
    QTextEdit::focusOutEvent(event);
    border_->update();
}

void RichTextBox::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    if (unsized_)
        takeUnsizedDocument();
    border_->setGeometry(rect());
    border_->raise();
}

} // namespace tamsel
