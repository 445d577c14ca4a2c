#pragma once
// The designs write their texts as UTF-8 literals; the windows show them as QStrings.

#include <QString>

#include <string_view>

namespace tamsel {

inline QString designText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace tamsel
