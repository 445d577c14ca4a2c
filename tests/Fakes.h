#pragma once
// Stand-ins for the clock and the media player, so that tests run whole attempts in milliseconds.

#include "sound/MediaPlayer.h"
#include "system/Clock.h"

#include <QDateTime>
#include <QStringList>

#include <functional>
#include <optional>

// The wall clock at now; the forward-only clock follows it unless a test sets it apart, to move
// the wall clock by hand.
class FakeClock final : public tamsel::Clock {
public:
    tamsel::ClockReading read() const override { return {now, elapsed.value_or(now * 1000)}; }
    void set(const char* localTime)
    {
        now = QDateTime::fromString(QString::fromLatin1(localTime), Qt::ISODate).toSecsSinceEpoch();
    }
    qint64 now = 0;
    std::optional<qint64> elapsed; // milliseconds
};

// Records every operation in order, e.g. "file:/x/Zikan.wav", "Open", "Prev", "Play",
// "DropWaiting".
// onOperation, when set, sees each operation as it happens.
class RecordingPlayer final : public tamsel::MediaPlayer {
public:
    void setFileName(const QString& path) override { record(QStringLiteral("file:") + path); }
    void open() override { record(QStringLiteral("Open")); }
    void prev() override { record(QStringLiteral("Prev")); }
    void play() override { record(QStringLiteral("Play")); }
    void dropWaiting() override { record(QStringLiteral("DropWaiting")); }

    QStringList log;
    std::function<void(const QString&)> onOperation;

private:
    void record(const QString& operation)
    {
        log << operation;
        if (onOperation)
            onOperation(operation);
    }
};
