#pragma once
// The media player of the exam window. Its work (reading the chime's file, playing it) runs on a
// sound thread of its own, in the order the window asks for it, so that no file and no sound
// server, however slow or strange, holds up the window. The file is read at the first "Open" of
// its name; later opens of the same name cost nothing. "Prev" stops a chime that is sounding, and
// "Play" plays what the read found. When no chime can sound (no playable file, no sound server),
// it says why once on stderr.
//
// It owns the sound thread and the output, which the thread alone uses; the thread's work holds
// nothing of the window's thread but what it was given.

#include "sound/MediaPlayer.h"
#include "threads/BackgroundThread.h"

#include <QDeadlineTimer>

#include <memory>

namespace tamsel {

class SoundOutput;

class ChimePlayer final : public MediaPlayer {
public:
    explicit ChimePlayer(std::unique_ptr<SoundOutput> output);
    ~ChimePlayer() override;
    ChimePlayer(const ChimePlayer&) = delete;
    ChimePlayer& operator=(const ChimePlayer&) = delete;

    void setFileName(const QString& path) override;
    void open() override;
    void prev() override;
    void play() override;

    // Stops the chime and ends the sound thread, waiting for it until deadline at most: false
    // when it is stuck (in a sound server that never answers, say) and was left behind.
    bool finish(QDeadlineTimer deadline = QDeadlineTimer(BackgroundThread::endMilliseconds));

private:
    struct Chime;

    std::shared_ptr<Chime> chime_;
    QString fileName_;
    QString opened_; // the name whose file was read
    BackgroundThread thread_{QStringLiteral("sound")};
};

} // namespace tamsel
