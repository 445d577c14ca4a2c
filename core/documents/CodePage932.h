#pragma once
// Turns bytes of code page 932 (Shift-JIS with the Windows additions such as ① at 0x8740) into
// text, through the platform's converter (CodePage932Converter.h). It owns no state: each call
// decodes its bytes alone.

#include <QByteArrayView>
#include <QString>

namespace tamsel {

// A lead byte without its trail byte at the end of the bytes is dropped. Bytes the code page does
// not map, and control characters other than the tab, become U+FFFD, so a broken byte shows as
// the replacement mark and never acts as a line break.
QString decodeCodePage932(QByteArrayView bytes);

} // namespace tamsel
