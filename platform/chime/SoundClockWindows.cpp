#include "chime/SoundClock.h"

#include <windows.h>

namespace tamsel {

qint64 soundClockMilliseconds()
{
    return static_cast<qint64>(GetTickCount64());
}

} // namespace tamsel
