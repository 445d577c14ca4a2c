#include "startup/PlatformCheck.h"

#include "startup/FontConfiguration.h"

#include <QFontDatabase>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace tamsel {
namespace {

QtMessageHandler previousHandler = nullptr;

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
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return {};
    return QByteArrayLiteral("xcb;wayland");
}

void watchPlatformStart()
{
    previousHandler = qInstallMessageHandler(onPlatformMessage);
}

void stopWatchingPlatform()
{
    qInstallMessageHandler(previousHandler);
}

void warnIfNoJapaneseFace()
{
    // The faces the designs stand in for are Japanese; asking the font database for every face
    // that writes Japanese costs a look at every installed face, so it is asked only without them.
    for (const JapaneseFace& face : japaneseFaces) {
        if (systemFaces().has(QString::fromUtf16(face.installedFace)))
            return;
    }
    if (!QFontDatabase::families(QFontDatabase::Japanese).isEmpty())
        return;
    std::fputs("tamsel: 日本語のフォントが見つかりません。IPAフォント（fonts-ipafont）を"
               "入れてください。\n"
               "tamsel: no Japanese font is installed; install fonts-ipafont.\n",
               stderr);
}

} // namespace tamsel
