#include "controls/RichTextBox.h"

#include "documents/RtfReader.h"

namespace tamsel {

RichTextBox::RichTextBox(QWidget* parent)
    : QTextEdit(parent)
{
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void RichTextBox::setRtf(QByteArrayView rtf)
{
    RtfReader::import(document(), rtf);
    // A document opens at its beginning, wherever reading it left the cursor.
    moveCursor(QTextCursor::Start);
}

} // namespace tamsel
