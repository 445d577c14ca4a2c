#include "documents/CodePage932Converter.h"

#include <windows.h>

namespace tamsel {
namespace {

constexpr UINT codePage932 = 932;

bool isLeadByte(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool isTrailByte(unsigned char byte)
{
    return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
}

// One character of one or two bytes, as the system maps it; U+FFFD where it maps none.
QChar convertCharacter(const char* bytes, int size)
{
    wchar_t unit = 0;
    const int units = MultiByteToWideChar(codePage932, MB_ERR_INVALID_CHARS, bytes, size, &unit, 1);
    return units == 1 ? QChar(static_cast<char16_t>(unit)) : QChar(QChar::ReplacementCharacter);
}

} // namespace

QString convertCodePage932(QByteArrayView bytes)
{
    // Character by character, so that one byte the code page lacks costs one replacement mark,
    // not the run: the system's converter refuses a whole run for a single such byte. Single
    // bytes outside ASCII and the half-width katakana are refused here, since Windows gives them
    // private-use characters where ICU gives none.
    QString text;
    text.reserve(bytes.size());
    const char* data = bytes.data();
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(data[i]);
        if (byte < 0x80 || (byte >= 0xA1 && byte <= 0xDF)) {
            text += convertCharacter(data + i, 1);
            ++i;
        } else if (!isLeadByte(byte)) {
            text += QChar(QChar::ReplacementCharacter);
            ++i;
        } else if (i + 1 == bytes.size()) {
            break; // a lead byte without its trail byte
        } else if (!isTrailByte(static_cast<unsigned char>(data[i + 1]))) {
            text += QChar(QChar::ReplacementCharacter);
            ++i; // the byte after it starts a character of its own
        } else {
            text += convertCharacter(data + i, 2);
            i += 2;
        }
    }
    return text;
}

} // namespace tamsel
