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
    // The box owns the documents it reads. setDocument deletes only the empty document the box
    // was made with, so one read earlier is deleted here, once it is no longer shown.
    QTextDocument* previous = document();
    const bool ownsPrevious = previous->parent() == this;
    setDocument(RtfReader::read(rtf, this));
    if (ownsPrevious)
        delete previous;
}

} // namespace tamsel
