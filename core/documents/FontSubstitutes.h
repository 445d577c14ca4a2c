#pragma once
// The faces a text run asks Qt for, in order: the face the document names, then what this platform
// has in its place. The designs and documents were written for Windows faces (ＭＳ ゴシック,
// ＭＳ 明朝, Century ...) that a Debian system lacks; the IPA faces keep the Japanese ones'
// metrics. Owns only that choice; the faces this system has are given to it, and start-up applies
// the Japanese half of it to Qt's substitution table.

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

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

// Whether a face is installed, asked by any name it goes by: a face has a name in each language
// (IPA明朝 and IPAMincho, ＭＳ 明朝 and MS Mincho), and the platform lists it by the one of the
// session's language.
using FaceQuery = std::function<bool(const QString& face)>;

// The faces a system has. Every face Qt is asked for that is not installed costs it a search
// through fontconfig, and the answer would be the stand-in anyway, so the choices below ask for
// installed faces only. Made without a query (a reader with no font database, as in the fuzzer),
// it takes every face as installed.
class InstalledFaces final {
public:
    InstalledFaces() = default;
    explicit InstalledFaces(FaceQuery isInstalled);

    bool has(const QString& face) const { return !isInstalled_ || isInstalled_(face); }

    // Every list ends with both IPA faces: Japanese text in a run of a Latin face still needs a
    // face that covers code page 932, and Qt takes the first listed face that has a character.
    // A list holds installed faces only.
    QStringList fontFamilies(const FontFace& face) const;

    // The face to ask Qt for in place of a design's face: its installed stand-in where the face
    // itself is missing.
    QString standIn(const QString& face) const;

private:
    FaceQuery isInstalled_;
};

} // namespace tamsel
