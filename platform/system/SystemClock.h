#pragma once
// The system's clocks: the wall clock, and the time since boot with suspended time included.

#include "system/Clock.h"

namespace tamsel {

class SystemClock final : public Clock {
public:
    ClockReading read() const override;
};

} // namespace tamsel
