#include "startup/FontConfiguration.h"

#include "threads/BackgroundThread.h"

#include <QFontDatabase>

#include <fontconfig/fontconfig.h>

namespace tamsel {

void readFontConfigurationOn(BackgroundThread& thread)
{
    if (!thread.post([] { FcInit(); }))
        FcInit();
}

const InstalledFaces& systemFaces()
{
    static const InstalledFaces faces(QFontDatabase::families());
    return faces;
}

} // namespace tamsel
