#include "documents/RichTextBox.h"

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
    // The box owns the new document; setDocument deletes the one it replaces.
    setDocument(RtfReader::read(rtf, this));
}

} // namespace tamsel
