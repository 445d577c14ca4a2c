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
    const bool known = number && entries_.contains(*number);
    if (number && (known || static_cast<int>(entries_.size()) < maxFonts)) {
        entries_[*number] = Entry{
            FontFace{decodeCodePage932(pending_.name).trimmed(), pending_.family, pending_.charset},
            std::nullopt};
    }
    pending_ = PendingFont{};
}

const QStringList& RtfFontTable::families(int number) const
{
    if (const auto font = entries_.find(number); font != entries_.end())
        return familiesOf(font->second.face, font->second.families);
    if (const auto font = entries_.find(defaultFont_); font != entries_.end())
        return familiesOf(font->second.face, font->second.families);
    return familiesOf(FontFace{}, fallback_);
}

const QStringList& RtfFontTable::familiesOf(const FontFace& face,
                                            std::optional<QStringList>& chosen) const
{
    if (!chosen)
        chosen = faces_.fontFamilies(face);
    return *chosen;
}

} // namespace tamsel
