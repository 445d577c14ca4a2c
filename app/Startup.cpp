#include "app/Startup.h"

#include "app/DesignWidgets.h"
#include "app/TabbedDialogAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QFontDatabase>

#include <array>

namespace tamsel {
namespace {

struct FaceSubstitute {
    const char* face;
    const char* substitute; // metric-compatible, from Debian's IPA fonts
};

constexpr std::array<FaceSubstitute, 2> faceSubstitutes{{
    {"ＭＳ ゴシック", "IPAGothic"},
    {"ＭＳ 明朝", "IPAMincho"},
}};

} // namespace

void prepareApplication()
{
    // Without the Windows faces, fontconfig would pick a Latin face and Qt would fall back per
    // character: kana right, digits and widths wrong.
    for (const FaceSubstitute& entry : faceSubstitutes) {
        const QString face = QString::fromUtf8(entry.face);
        if (!QFontDatabase::hasFamily(face))
            QFont::insertSubstitution(face, QString::fromUtf8(entry.substitute));
    }
    QApplication::setFont(makeFont(examdesign::windowFont));
    QAccessible::installFactory(&TabbedDialogAccessible::create);
}

} // namespace tamsel
