#include "countdown/Countdown.h"

#include <algorithm>

namespace tamsel {
namespace {

qint64 epochMinute(qint64 secondsSinceEpoch)
{
    // Floor division, so that a clock before 1970 still has its minute boundaries at second 0.
    return secondsSinceEpoch >= 0 ? secondsSinceEpoch / 60 : (secondsSinceEpoch - 59) / 60;
}

} // namespace

void Countdown::start(qint64 secondsSinceEpoch)
{
    remainingMinutes_ = attemptMinutes;
    lastMinute_ = epochMinute(secondsSinceEpoch);
}

bool Countdown::tick(qint64 secondsSinceEpoch)
{
    const qint64 minute = epochMinute(secondsSinceEpoch);
    const qint64 crossed = minute - lastMinute_;
    lastMinute_ = minute;
    if (crossed <= 0 || remainingMinutes_ == 0)
        return false;
    remainingMinutes_ = static_cast<int>(std::max<qint64>(0, remainingMinutes_ - crossed));
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
