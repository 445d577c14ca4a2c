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
// that covers code page 932, and Qt takes the first listed face that has a character. Once the
// installed faces are known, a list holds only installed ones.
QStringList fontFamilies(const FontFace& face);

// The face to ask Qt for in place of a design's face: its installed stand-in where the face
// itself is missing. Unchanged until the installed faces are known.
QString installedFace(const QString& face);

// Tells the lists above which faces this system has. Start-up calls it once, where a font
// database exists: every face Qt is asked for that is not installed costs it a search through
// fontconfig, and the answer would be the stand-in anyway. Without it (a reader with no font
// database, as in the fuzzer) every face is taken as named.
void useInstalledFaces(const QStringList& families);

} // namespace tamsel
