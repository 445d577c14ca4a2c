#include "chime/ChimePlayer.h"
#include "chime/SystemSoundOutput.h"
#include "desktop/FontConfiguration.h"
#include "desktop/PlatformCheck.h"
#include "desktop/SessionBus.h"
#include "forms/SystemFaces.h"
#include "forms/WindowShelf.h"
#include "startup/Startup.h"
#include "system/SystemClock.h"
#include "threads/BackgroundThread.h"
#include "windows/frmTamsel.h"

#include <QApplication>

int main(int, char* argv[])
{
    // The program takes no command line, and none of Qt's options either: they could read any
    // file as a style sheet, mirror the window or pick a platform that aborts. It chooses its
    // platform itself.
    QByteArray platforms = tamsel::preferredPlatforms();
    char platformOption[] = "-platform";
    char* qtArgv[] = {argv[0], platforms.isEmpty() ? nullptr : platformOption, platforms.data(),
                      nullptr};
    int qtArgc = platforms.isEmpty() ? 1 : 3;
    tamsel::BackgroundThread fontConfiguration(QStringLiteral("fontconfig"));
    tamsel::readFontConfigurationOn(fontConfiguration);
    tamsel::nameTheSessionBus();
    // The windows are drawn as designed, in their own fonts and colours: a desktop's palette,
    // fonts and style sheet (qt6ct gives every Qt program one) would turn them over.
    QGuiApplication::setDesktopSettingsAware(false);
    tamsel::watchPlatformStart();
    QApplication app(qtArgc, qtArgv);
    tamsel::stopWatchingPlatform();
    fontConfiguration.finish(QDeadlineTimer::Forever);
    tamsel::warnIfNoJapaneseFace(tamsel::systemFaces());
    tamsel::prepareApplication();

    const tamsel::SystemClock clock;
    tamsel::ChimePlayer chime(tamsel::makeSystemSoundOutput());
    tamsel::WindowShelf shelf;
    // The exam window goes when it is closed, its countdown with it; the program ends with the
    // last open window.
    auto* window = new frmTamsel(clock, chime, shelf);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    const int status = QApplication::exec();

    // The sound thread ends before the libraries go. One that is stuck (in a sound server that
    // never answers, say) holds locks that the libraries' static destructors would wait for at
    // exit: the program then ends without them.
    if (!chime.finish())
        tamsel::endWithoutWaiting(status);
    return status;
}
