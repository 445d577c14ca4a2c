#include "controls/RichTextBox.h"

#include "controls/WholeBorder.h"
#include "documents/RtfReader.h"
#include "startup/FontConfiguration.h"

#include <QFocusFrame>
#include <QPainter>

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
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        drawWholeBorder(painter, devicePixelRatioF(), [&] { box_->drawFrame(&painter); });
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

void RichTextBox::setRtf(QByteArrayView rtf)
{
    RtfReader::import(document(), rtf, systemFaces());
    // A document opens at its beginning, wherever reading it left the cursor.
    moveCursor(QTextCursor::Start);
}

void RichTextBox::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    border_->setGeometry(rect());
    border_->raise();
}

} // namespace tamsel
