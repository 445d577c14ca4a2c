#include "documents/CodePage932Converter.h"

#include <QStringDecoder>

namespace tamsel {

QString convertCodePage932(QByteArrayView bytes)
{
    // Stateless, so that a lead byte left over at the end of one run cannot pair with the first
    // byte of the next; and made once per thread, since opening the converter costs more than
    // decoding a run. ICU gives U+001A for what the code page does not map.
    thread_local QStringDecoder decoder("cp932", QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace tamsel
