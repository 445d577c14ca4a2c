#include "system/SystemClock.h"

#include <QDateTime>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <time.h>
#endif

namespace tamsel {
namespace {

// Time since boot, suspended time included: a machine that slept comes back as far on as the
// wall clock went.
qint64 elapsedSinceBoot()
{
#ifdef Q_OS_WIN
    return static_cast<qint64>(GetTickCount64());
#else
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
#endif
}

} // namespace

ClockReading SystemClock::read() const
{
    return {QDateTime::currentSecsSinceEpoch(), elapsedSinceBoot()};
}

} // namespace tamsel
