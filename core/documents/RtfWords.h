#pragma once
// The control words the reader acts on, looked up by name. It owns the table of names only; what
// each word does is the reader's.

#include "documents/RtfTokenizer.h"

namespace tamsel {

enum class RtfWord {
    Unknown,
    DefaultFont,
    DefaultTab,
    FontTable,
    SkippedDestination,
    Font,
    FontNil,
    FontRoman,
    FontSwiss,
    FontModern,
    Charset,
    Plain,
    FontSize,
    ParagraphDefaults,
    Paragraph,
    Tab,
    LeftIndent,
    FirstLineIndent,
    TabStop,
    Subscript,
    NoSuperSub,
};

// Unknown for a word the table lacks, and for a word without the number it needs.
RtfWord lookUpWord(const RtfToken& token);

} // namespace tamsel
