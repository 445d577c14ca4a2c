#pragma once
// The wall clock, as the countdown reads it. Tests put a fake in its place.

#include <QDateTime>

namespace tamsel {

class Clock {
public:
    virtual ~Clock() = default;
    virtual qint64 secondsSinceEpoch() const = 0;
};

class SystemClock final : public Clock {
public:
    qint64 secondsSinceEpoch() const override { return QDateTime::currentSecsSinceEpoch(); }
};

} // namespace tamsel
