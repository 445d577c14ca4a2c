#pragma once
// The media player that sounds the time-up chime, driven by a file name and four commands. It
// reports nothing back: whatever fails inside it stays inside it.

#include <QString>

namespace tamsel {

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;
    virtual void setFileName(const QString& path) = 0;
    // Opens the named file for playback; opening the file already held is cheap.
    virtual void open() = 0;
    // Moves the play position to the beginning of the sound.
    virtual void prev() = 0;
    // Starts playing from the play position and returns at once.
    virtual void play() = 0;
    // Drops a chime that has not begun to sound yet, as when the student goes on; one that
    // sounds plays to its end.
    virtual void dropWaiting() = 0;
};

} // namespace tamsel
