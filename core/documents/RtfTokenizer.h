#pragma once
// Splits the bytes of an RTF document into group braces, control words, control symbols and text
// bytes. It owns only the reading position; what a word means, and which bytes make a character,
// is for the reader to decide.

#include <QByteArrayView>

namespace tamsel {

struct RtfToken {
    enum class Kind { End, GroupStart, GroupEnd, ControlWord, ControlSymbol, Text };

    Kind kind = Kind::End;
    QByteArrayView word;       // the letters of a control word
    bool hasParameter = false; // a control word's numeric parameter
    int parameter = 0;
    char byte = 0; // a text byte, literal or escaped, or a control symbol's character
};

class RtfTokenizer final {
public:
    // Parameters saturate here, far beyond any size or measure a document holds, so that nothing
    // computed from them can overflow.
    static constexpr int parameterLimit = 1'000'000;

    // The text ends at the first NUL byte: the program stores its documents NUL-terminated.
    explicit RtfTokenizer(QByteArrayView rtf);

    // The next token, or End once the text is used up. Line breaks of the source are passed over,
    // and so is a hexadecimal escape without its two digits; a control word cut off by the end of
    // the text is dropped.
    RtfToken next();

private:
    RtfToken controlWord();
    int parameter();
    bool hexByte(char& byte);

    QByteArrayView rtf_;
    qsizetype pos_ = 0;
};

} // namespace tamsel
