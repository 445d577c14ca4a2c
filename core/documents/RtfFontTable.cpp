#include "documents/RtfFontTable.h"

#include "documents/CodePage932.h"

#include <utility>

namespace tamsel {

RtfFontTable::RtfFontTable(InstalledFaces faces)
    : faces_(std::move(faces))
{
}

void RtfFontTable::beginFont(int number)
{
    pending_ = PendingFont{};
    pending_.number = number;
}

void RtfFontTable::appendNameByte(char byte)
{
    if (pending_.name.size() < maxNameBytes)
        pending_.name.append(byte);
}

void RtfFontTable::endFont()
{
    // An entry without its \f number names no font, and a full table takes no new numbers.
    const std::optional<int> number = pending_.number;
    const bool known = number && families_.contains(*number);
    if (number && (known || static_cast<int>(families_.size()) < maxFonts)) {
        const FontFace face{decodeCodePage932(pending_.name).trimmed(), pending_.family,
                            pending_.charset};
        families_[*number] = faces_.fontFamilies(face);
    }
    pending_ = PendingFont{};
}

const QStringList& RtfFontTable::families(int number) const
{
    if (const auto font = families_.find(number); font != families_.end())
        return font->second;
    if (const auto font = families_.find(defaultFont_); font != families_.end())
        return font->second;
    return fallback_;
}

} // namespace tamsel
