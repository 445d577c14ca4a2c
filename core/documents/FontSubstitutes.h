#pragma once
// The faces a text run asks Qt for, in order: the face the document names, then what this platform
// has in its place. The designs and documents were written for Windows faces (ＭＳ ゴシック,
// ＭＳ 明朝, Century ...) that a Debian system lacks; the IPA faces keep the Japanese ones'
// metrics. Owns only that choice; start-up applies the Japanese half of it to Qt's substitution
// table.

#include <QString>
#include <QStringList>

#include <array>

namespace tamsel {

enum class FontFamily { Nil, Roman, Swiss, Modern };

struct FontFace {
    QString name;
    FontFamily family = FontFamily::Nil;
    int charset = 0;
};

// A Japanese Windows face and the installed face that stands in for it.
struct JapaneseFace {
    const char16_t* windowsFace;
    const char16_t* installedFace;
};

inline constexpr JapaneseFace gothicFace{u"ＭＳ ゴシック", u"IPAGothic"};
inline constexpr JapaneseFace minchoFace{u"ＭＳ 明朝", u"IPAMincho"};
inline constexpr std::array<JapaneseFace, 2> japaneseFaces{gothicFace, minchoFace};

// Every list ends with both IPA faces: Japanese text in a run of a Latin face still needs a face
// that covers code page 932, and Qt takes the first listed face that has a character.
QStringList fontFamilies(const FontFace& face);

} // namespace tamsel
