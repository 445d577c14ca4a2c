#pragma once
// The attempt's remaining time, in whole minutes, moving with the clock's minutes. It is fed clock
// readings and knows nothing of timers, labels or sounds.
//
// Each reading takes off as many minutes as clock-minute boundaries were crossed since the last
// reading (or Start), counted in whole minutes since the epoch: a late tick loses no minute, two
// ticks in one minute take off one, a clock put back takes off nothing (and the count goes on
// from where the clock now stands), and a machine that slept comes back as far on as the clock
// went. Time-zone and daylight-saving changes move nothing. The minutes taken off never exceed
// the time that really passed since Start, as the forward-only clock tells it, so a wall clock
// set forward (by hand, or by a large network time step) cannot shorten the attempt.

#include "system/Clock.h"

#include <QString>
#include <QTime>

namespace tamsel {

class Countdown final {
public:
    static constexpr int attemptMinutes = 60;
    // What the display shows when time is up.
    static constexpr QStringView timeUpText = u"0:00";

    void start(ClockReading now);
    // Returns whether the remaining time changed.
    bool tick(ClockReading now);

    int RemainingMinutes() const { return remainingMinutes_; }
    // The remaining time packed as a time of day: 60 minutes make one hour.
    QTime RemainingTime() const;
    // The remaining time as shown, "h:mm": 1:00, 0:59 … 0:00.
    QString display() const;

private:
    int remainingMinutes_ = attemptMinutes;
    qint64 lastMinute_ = 0;     // the clock minute of the last reading
    qint64 startedElapsed_ = 0; // the forward-only clock at Start
};

} // namespace tamsel
