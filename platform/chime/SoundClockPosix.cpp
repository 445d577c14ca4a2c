#include "chime/SoundClock.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

namespace tamsel {

qint64 soundClockMilliseconds()
{
    // The system call itself: a preloaded clock_gettime() may be a test's fake.
    timespec now{};
    ::syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
}

} // namespace tamsel
