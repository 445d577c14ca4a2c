#include "documents/RtfTokenizer.h"

#include <algorithm>
#include <optional>

namespace tamsel {

namespace {

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::optional<int> hexValue(char c)
{
    if (isAsciiDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return std::nullopt;
}

QByteArrayView upToNul(QByteArrayView rtf)
{
    const qsizetype nul = rtf.indexOf('\0');
    return nul < 0 ? rtf : rtf.first(nul);
}

RtfToken tokenOf(RtfToken::Kind kind, char byte = 0)
{
    RtfToken token;
    token.kind = kind;
    token.byte = byte;
    return token;
}

} // namespace

RtfTokenizer::RtfTokenizer(QByteArrayView rtf)
    : rtf_(upToNul(rtf))
{
}

RtfToken RtfTokenizer::next()
{
    while (pos_ < rtf_.size()) {
        const char c = rtf_[pos_++];
        switch (c) {
        case '{':
            return tokenOf(RtfToken::Kind::GroupStart);
        case '}':
            return tokenOf(RtfToken::Kind::GroupEnd);
        case '\r':
        case '\n':
            continue;
        case '\\':
            break;
        default:
            return tokenOf(RtfToken::Kind::Text, c);
        }
        if (pos_ == rtf_.size())
            break;
        const char escaped = rtf_[pos_];
        if (isAsciiLetter(escaped))
            return controlWord();
        ++pos_;
        if (escaped == '\'') {
            if (char byte = 0; hexByte(byte))
                return tokenOf(RtfToken::Kind::Text, byte);
            continue;
        }
        if (escaped == '\\' || escaped == '{' || escaped == '}')
            return tokenOf(RtfToken::Kind::Text, escaped);
        return tokenOf(RtfToken::Kind::ControlSymbol, escaped);
    }
    return {};
}

RtfToken RtfTokenizer::controlWord()
{
    const qsizetype start = pos_;
    while (pos_ < rtf_.size() && isAsciiLetter(rtf_[pos_]))
        ++pos_;
    RtfToken token = tokenOf(RtfToken::Kind::ControlWord);
    token.word = rtf_.sliced(start, pos_ - start);
    // A minus belongs to the word when digits follow it, or when the text ends after it.
    const bool negative = pos_ < rtf_.size() && rtf_[pos_] == '-' &&
                          (pos_ + 1 == rtf_.size() || isAsciiDigit(rtf_[pos_ + 1]));
    if (negative)
        ++pos_;
    if (pos_ < rtf_.size() && isAsciiDigit(rtf_[pos_])) {
        token.hasParameter = true;
        token.parameter = negative ? -parameter() : parameter();
    }
    // A word that runs into the end of the text may be only the start of a longer one (\par of
    // \pard), so a document cut there loses it rather than gaining a paragraph.
    if (pos_ == rtf_.size())
        return {};
    // One space ends a control word and belongs to it.
    if (rtf_[pos_] == ' ')
        ++pos_;
    return token;
}

int RtfTokenizer::parameter()
{
    int value = 0;
    for (; pos_ < rtf_.size() && isAsciiDigit(rtf_[pos_]); ++pos_)
        value = std::min(value * 10 + (rtf_[pos_] - '0'), parameterLimit);
    return value;
}

bool RtfTokenizer::hexByte(char& byte)
{
    // Digits are taken one at a time, so a broken escape such as \'8g drops only what it used.
    int value = 0;
    for (int digits = 0; digits < 2; ++digits) {
        const std::optional<int> digit = pos_ < rtf_.size() ? hexValue(rtf_[pos_]) : std::nullopt;
        if (!digit)
            return false;
        value = value * 16 + *digit;
        ++pos_;
    }
    byte = static_cast<char>(value);
    return true;
}

} // namespace tamsel
