#include "documents/FontSubstitutes.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tamsel {

namespace {

// The character set of Shift-JIS faces in a font table.
constexpr int shiftJisCharset = 128;

struct Substitute {
    FontFamily family;
    const char16_t* latin;
    bool gothic; // sans-serif Japanese (IPAGothic) rather than serif (IPAMincho)
};

// Windows puts faces without a family (平成明朝) with the serif Japanese faces.
constexpr std::array substitutes{
    Substitute{FontFamily::Nil, u"DejaVu Sans", false},
    Substitute{FontFamily::Roman, u"DejaVu Serif", false},
    Substitute{FontFamily::Swiss, u"DejaVu Sans", true},
    Substitute{FontFamily::Modern, u"DejaVu Sans Mono", true},
};

const Substitute& substituteFor(FontFamily family)
{
    const auto found = std::find_if(substitutes.begin(), substitutes.end(),
                                    [family](const Substitute& s) { return s.family == family; });
    return found != substitutes.end() ? *found : substitutes.front();
}

} // namespace

InstalledFaces::InstalledFaces(FaceQuery isInstalled)
    : isInstalled_(std::move(isInstalled))
{
}

QString InstalledFaces::standIn(const QString& face) const
{
    if (has(face))
        return face;
    for (const JapaneseFace& japanese : japaneseFaces) {
        if (face == QString::fromUtf16(japanese.windowsFace))
            return QString::fromUtf16(japanese.installedFace);
    }
    return face;
}

QStringList InstalledFaces::fontFamilies(const FontFace& face) const
{
    const Substitute& substitute = substituteFor(face.family);
    const QString mincho = QString::fromUtf16(minchoFace.installedFace);
    const QString gothic = QString::fromUtf16(gothicFace.installedFace);

    QStringList families;
    if (!face.name.isEmpty())
        families << face.name;
    if (face.charset != shiftJisCharset)
        families << QString::fromUtf16(substitute.latin);
    families << (substitute.gothic ? gothic : mincho) << (substitute.gothic ? mincho : gothic);
    families.removeDuplicates();
    families.removeIf([this](const QString& family) { return !has(family); });
    return families;
}

} // namespace tamsel
