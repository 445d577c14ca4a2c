#pragma once
// The platform's converter from code page 932 behind decodeCodePage932: Qt's ICU-backed decoder
// where Qt has ICU (Debian), Windows' own where it has not (Qt built for Windows without ICU).

#include <QByteArrayView>
#include <QString>

namespace tamsel {

// Decodes bytes alone, as decodeCodePage932 says, except that control characters pass through.
// A byte or pair the code page does not map becomes U+FFFD or a control character.
QString convertCodePage932(QByteArrayView bytes);

} // namespace tamsel
