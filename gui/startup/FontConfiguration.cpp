#include "startup/FontConfiguration.h"

#include "threads/BackgroundThread.h"

#include <QFontDatabase>

#ifndef Q_OS_WIN
#include <fontconfig/fontconfig.h>
#endif

namespace tamsel {

void readFontConfigurationOn(BackgroundThread& thread)
{
#ifdef Q_OS_WIN
    // Windows keeps no font configuration for a program to read: nothing to overlap.
    Q_UNUSED(thread);
#else
    if (!thread.post([] { FcInit(); }))
        FcInit();
#endif
}

const InstalledFaces& systemFaces()
{
    static const InstalledFaces faces(QFontDatabase::families());
    return faces;
}

} // namespace tamsel
