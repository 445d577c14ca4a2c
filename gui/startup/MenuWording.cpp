#include "startup/MenuWording.h"

#include <array>
#include <cstring>

namespace tamsel {
namespace {

struct Wording {
    const char* source;
    const char16_t* japanese;
};

// The text boxes' context menus (QWidgetTextControl, QLineEdit) share these source texts.
constexpr std::array<Wording, 1> wordings{{
    {"Select All", u"すべて選択"},
}};

} // namespace

QString MenuWording::translate(const char*, const char* sourceText, const char*, int) const
{
    for (const Wording& wording : wordings) {
        if (sourceText && std::strcmp(sourceText, wording.source) == 0)
            return QString::fromUtf16(wording.japanese);
    }
    return {};
}

} // namespace tamsel
