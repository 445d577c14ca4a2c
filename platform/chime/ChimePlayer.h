#pragma once
// The media player of the exam window. Its work (reading the chime's file, getting the sound
// server ready, playing) runs on a sound thread of its own, in the order the window asks for it,
// so that no file and no sound server, however slow or strange, holds up the window. The file is
// read at the first "Open" of its name, and the first "Open" after each time-up gets the output
// ready for the next one (a connection made ahead, so that time-up has only to write); later
// opens cost nothing. "Prev" stops a chime that is sounding, "Play" plays what the read found,
// and "DropWaiting" drops a chime that has not begun. A chime sounds at its time-up or not at
// all: one that cannot begin within chimeBoundMilliseconds of its "Play" is dropped. When a chime
// cannot sound it says why on stderr, once for each kind of failure in a run.
//
// It owns the sound thread and the output, which the thread alone uses; the thread's work holds
// nothing of the window's thread but what it was given.

#include "chime/SoundClock.h"
#include "sound/MediaPlayer.h"
#include "threads/BackgroundThread.h"

#include <QDeadlineTimer>

#include <memory>

namespace tamsel {

class SoundOutput;

class ChimePlayer final : public MediaPlayer {
public:
    explicit ChimePlayer(std::unique_ptr<SoundOutput> output,
                         MillisecondClock clock = soundClockMilliseconds);
    ~ChimePlayer() override;
    ChimePlayer(const ChimePlayer&) = delete;
    ChimePlayer& operator=(const ChimePlayer&) = delete;

    void setFileName(const QString& path) override;
    void open() override;
    void prev() override;
    void play() override;
    void dropWaiting() override;

    // Stops the chime and ends the sound thread, waiting for it until deadline at most: false
    // when it is stuck (in a sound server that never answers, say) and was left behind.
    bool finish(QDeadlineTimer deadline = QDeadlineTimer(BackgroundThread::endMilliseconds));

private:
    struct Chime;
    class Take;

    std::shared_ptr<Chime> chime_;
    std::shared_ptr<Take> latest_; // the last chime asked for
    QString fileName_;
    QString opened_;        // the name whose file was read
    bool prepared_ = false; // the output was asked to get ready for the next time-up
    BackgroundThread thread_{QStringLiteral("sound")};
};

} // namespace tamsel
