#pragma once
// The help window: the read-me document covering a white client area. Its box reaches 15 twips
// beyond the right edge and 60 beyond the bottom, and the window clips both.

#include "design/FormDesign.h"

namespace tamsel::helpdesign {

inline constexpr DocumentFormDesign window{
    {"frmヘルプ",
     "バージョン情報",
     {11880, 8595},
     {msGothic, 9.0, false},
     white,
     nullptr,
     programIcon},
    {"RichTextBox1", {0, 0, 11895, 8655}, {msGothic, 9.0, false}, ":/help.rtf", "ソフトの説明"},
    {},
};

} // namespace tamsel::helpdesign
