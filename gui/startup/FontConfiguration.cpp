#include "startup/FontConfiguration.h"

#include <QFontDatabase>

#ifndef Q_OS_WIN
#include <fontconfig/fontconfig.h>
#endif

namespace tamsel {

std::future<void> readFontConfigurationAhead()
{
#ifdef Q_OS_WIN
    // Windows keeps no font configuration for a program to read: nothing to overlap.
    return std::async(std::launch::deferred, [] {});
#else
    return std::async(std::launch::async, [] { FcInit(); });
#endif
}

const InstalledFaces& systemFaces()
{
    static const InstalledFaces faces(QFontDatabase::families());
    return faces;
}

} // namespace tamsel
