#include "countdown/Countdown.h"

#include <algorithm>

namespace tamsel {
namespace {

qint64 epochMinute(qint64 secondsSinceEpoch)
{
    // Floor division, so that a clock before 1970 still has its minute boundaries at second 0.
    return secondsSinceEpoch >= 0 ? secondsSinceEpoch / 60 : (secondsSinceEpoch - 59) / 60;
}

// The most clock-minute boundaries that fit in the time that passed: one more than its whole
// minutes, since the first minute after Start is cut short. A second's grace lets the two clocks
// disagree by as much as a timer's tick.
qint64 mostMinutesIn(qint64 elapsedMilliseconds)
{
    constexpr qint64 graceMilliseconds = 1000;
    return std::max<qint64>(0, elapsedMilliseconds + graceMilliseconds) / 60'000 + 1;
}

} // namespace

void Countdown::start(ClockReading now)
{
    remainingMinutes_ = attemptMinutes;
    lastMinute_ = epochMinute(now.secondsSinceEpoch);
    startedElapsed_ = now.elapsedMilliseconds;
}

bool Countdown::tick(ClockReading now)
{
    const qint64 minute = epochMinute(now.secondsSinceEpoch);
    const qint64 crossed = minute - lastMinute_;
    lastMinute_ = minute;
    const qint64 taken = attemptMinutes - remainingMinutes_;
    const qint64 allowed = mostMinutesIn(now.elapsedMilliseconds - startedElapsed_) - taken;
    const qint64 take = std::min(crossed, allowed);
    if (take <= 0 || remainingMinutes_ == 0)
        return false;
    remainingMinutes_ = static_cast<int>(std::max<qint64>(0, remainingMinutes_ - take));
    return true;
}

QTime Countdown::RemainingTime() const
{
    return QTime(0, 0).addSecs(remainingMinutes_ * 60);
}

QString Countdown::display() const
{
    return RemainingTime().toString(u"h:mm");
}

} // namespace tamsel
