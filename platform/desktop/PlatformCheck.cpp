#include "desktop/PlatformCheck.h"

#include <QFontDatabase>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace tamsel {
namespace {

QtMessageHandler previousHandler = nullptr;

#ifdef Q_OS_WIN
// Windows brings the faces the designs name as an optional feature; Wine takes the IPA faces from
// the system it runs on.
constexpr char noJapaneseFace[] =
    "tamsel: 日本語のフォントが見つかりません。Windows の「設定」→「アプリ」→「オプション機能」で"
    "「日本語の補助フォント」を追加してください（Wine では fonts-ipafont を入れてください）。\n"
    "tamsel: no Japanese font is installed; add the optional feature Japanese Supplemental Fonts "
    "(under Wine, install fonts-ipafont).\n";
#else
constexpr char noJapaneseFace[] =
    "tamsel: 日本語のフォントが見つかりません。IPAフォント（fonts-ipafont）を入れてください。\n"
    "tamsel: no Japanese font is installed; install fonts-ipafont.\n";
#endif

void onPlatformMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    // Qt ends with a fatal message when no platform plugin can start, which without a display
    // is the only way it can fail.
    if (type == QtFatalMsg) {
        std::fputs("tamsel: 画面（ディスプレイ）に接続できないため起動できません。"
                   "デスクトップの中から起動してください。\n"
                   "tamsel: cannot connect to a display; start it from a desktop session.\n",
                   stderr);
        std::_Exit(noDisplayStatus);
    }
    previousHandler(type, context, message);
}

} // namespace

QByteArray preferredPlatforms()
{
#ifdef Q_OS_WIN
    // Windows has one platform, its own (a DISPLAY set there, as Wine passes it through, is not
    // one). Its text goes through FreeType, as on Linux, so that the documents break their lines
    // where they do on Linux and in the printed companion; GDI rounds every advance to a pixel.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return {};
    return QByteArrayLiteral("windows:fontengine=freetype");
#else
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return {};
    return QByteArrayLiteral("xcb;wayland");
#endif
}

void watchPlatformStart()
{
    previousHandler = qInstallMessageHandler(onPlatformMessage);
}

void stopWatchingPlatform()
{
    qInstallMessageHandler(previousHandler);
}

void warnIfNoJapaneseFace(const InstalledFaces& installed)
{
    // The faces the designs name (Windows') or stand in for them are Japanese; asking the font
    // database for every face that writes Japanese costs a look at every installed face, so it is
    // asked only without them.
    for (const JapaneseFace& face : japaneseFaces) {
        if (installed.has(QString::fromUtf16(face.windowsFace)) ||
            installed.has(QString::fromUtf16(face.installedFace)))
            return;
    }
    if (!QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        return;
    std::fputs(noJapaneseFace, stderr);
}

} // namespace tamsel
