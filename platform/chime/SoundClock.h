#pragma once
// The clock that the chime's bound and the waits on a sound server are measured on: real time,
// as a sound device and a student live it. It is read from the system itself, past any library
// that stands in for the C library's clocks (as faketime does where the tests speed up the
// exam's hour: the sound server's time is not sped up with it).

#include <QtGlobal>

#include <functional>

namespace tamsel {

// Milliseconds since an arbitrary moment, never going back.
using MillisecondClock = std::function<qint64()>;

qint64 soundClockMilliseconds();

} // namespace tamsel
