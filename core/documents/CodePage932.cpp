#include "documents/CodePage932.h"

#include "documents/CodePage932Converter.h"

namespace tamsel {

QString decodeCodePage932(QByteArrayView bytes)
{
    QString text = convertCodePage932(bytes);
    for (QChar& c : text) {
        if (c.unicode() < 0x20 && c != u'\t')
            c = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace tamsel
