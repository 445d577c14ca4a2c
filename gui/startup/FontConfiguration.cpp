#include "startup/FontConfiguration.h"

#include <QFontDatabase>

#include <fontconfig/fontconfig.h>

namespace tamsel {

std::future<void> readFontConfigurationAhead()
{
    return std::async(std::launch::async, [] { FcInit(); });
}

const InstalledFaces& systemFaces()
{
    static const InstalledFaces faces(QFontDatabase::families());
    return faces;
}

} // namespace tamsel
