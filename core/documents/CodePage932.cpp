#include "documents/CodePage932.h"

#include <QStringDecoder>

namespace tamsel {

QString decodeCodePage932(QByteArrayView bytes)
{
    // Stateless, so that a lead byte left over at the end of one run cannot pair with the first
    // byte of the next; and made once per thread, since opening the converter costs more than
    // decoding a run.
    thread_local QStringDecoder decoder("cp932", QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    for (QChar& c : text) {
        if (c.unicode() < 0x20 && c != u'\t')
            c = QChar::ReplacementCharacter;
    }
    return text;
}

} // namespace tamsel
