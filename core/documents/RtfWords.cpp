#include "documents/RtfWords.h"

#include <array>
#include <string_view>

namespace tamsel {

namespace {

struct WordEntry {
    std::string_view name;
    RtfWord word;
    bool needsParameter;
};

// Every word not listed is passed over. That includes the header's \rtf, \ansi, \ansicpg932,
// \deflang1041 and \horzdoc, which state what the reader assumes anyway (code page 932, Japanese,
// horizontal lines), and \fprq, since a face's pitch follows from its family.
// The colour table holds black alone and no run refers to it, the line-breaking rule lists are for
// Windows' line breaker, and the other skipped destinations do not occur in the documents: none of
// them holds text to show.
constexpr std::array wordTable{
    WordEntry{"deff", RtfWord::DefaultFont, true},
    WordEntry{"deftab", RtfWord::DefaultTab, true},
    WordEntry{"fonttbl", RtfWord::FontTable, false},
    WordEntry{"colortbl", RtfWord::SkippedDestination, false},
    WordEntry{"fchars", RtfWord::SkippedDestination, false},
    WordEntry{"lchars", RtfWord::SkippedDestination, false},
    WordEntry{"stylesheet", RtfWord::SkippedDestination, false},
    WordEntry{"info", RtfWord::SkippedDestination, false},
    WordEntry{"pict", RtfWord::SkippedDestination, false},
    WordEntry{"f", RtfWord::Font, true},
    WordEntry{"fnil", RtfWord::FontNil, false},
    WordEntry{"froman", RtfWord::FontRoman, false},
    WordEntry{"fswiss", RtfWord::FontSwiss, false},
    WordEntry{"fmodern", RtfWord::FontModern, false},
    WordEntry{"fcharset", RtfWord::Charset, true},
    WordEntry{"plain", RtfWord::Plain, false},
    WordEntry{"fs", RtfWord::FontSize, true},
    WordEntry{"pard", RtfWord::ParagraphDefaults, false},
    WordEntry{"par", RtfWord::Paragraph, false},
    WordEntry{"tab", RtfWord::Tab, false},
    WordEntry{"li", RtfWord::LeftIndent, true},
    WordEntry{"fi", RtfWord::FirstLineIndent, true},
    WordEntry{"tx", RtfWord::TabStop, true},
    WordEntry{"sub", RtfWord::Subscript, false},
    WordEntry{"nosupersub", RtfWord::NoSuperSub, false},
};

} // namespace

RtfWord lookUpWord(const RtfToken& token)
{
    const std::string_view name(token.word.data(), static_cast<size_t>(token.word.size()));
    for (const WordEntry& entry : wordTable) {
        if (entry.name == name)
            return entry.needsParameter && !token.hasParameter ? RtfWord::Unknown : entry.word;
    }
    return RtfWord::Unknown;
}

} // namespace tamsel
