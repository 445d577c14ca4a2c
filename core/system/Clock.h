#pragma once
// The clocks the countdown reads: the wall clock, whose minutes it follows, and a clock that only
// moves forward and keeps counting while the machine sleeps, which bounds how much time can have
// passed whatever is done to the wall clock. Tests put a fake in their place.

#include <QtGlobal>

namespace tamsel {

struct ClockReading {
    qint64 secondsSinceEpoch = 0;
    qint64 elapsedMilliseconds = 0; // since an arbitrary moment; never goes back
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual ClockReading read() const = 0;
};

} // namespace tamsel
