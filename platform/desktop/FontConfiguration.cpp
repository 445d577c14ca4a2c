#include "desktop/FontConfiguration.h"

#include "threads/BackgroundThread.h"

#ifndef Q_OS_WIN
#include <fontconfig/fontconfig.h>
#endif

namespace tamsel {

void readFontConfigurationOn(BackgroundThread& thread)
{
#ifdef Q_OS_WIN
    // Nothing to overlap.
    Q_UNUSED(thread);
#else
    if (!thread.post([] { FcInit(); }))
        FcInit();
#endif
}

} // namespace tamsel
