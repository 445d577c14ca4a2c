#include "startup/FontConfiguration.h"

#include <fontconfig/fontconfig.h>

namespace tamsel {

std::future<void> readFontConfigurationAhead()
{
    return std::async(std::launch::async, [] { FcInit(); });
}

} // namespace tamsel
