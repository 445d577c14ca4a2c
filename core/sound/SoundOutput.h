#pragma once
// Where the chime's samples go: the sound server in the program, a recorder in tests. It is used
// on the sound thread alone, one sound at a time.

#include "sound/WaveFormat.h"

#include <QString>

#include <functional>

namespace tamsel {

// A student must hear time-up as time-up: a chime that cannot begin within this long of its
// time-up is dropped, not sounded late. Two seconds is past any normal device wake-up yet before
// a student has acted on the display. Every wait on a sound server is bounded by it too.
inline constexpr int chimeBoundMilliseconds = 2000;

// What the chime player tells an output about the one sound it plays. Safe on any thread.
class SoundCue {
public:
    virtual ~SoundCue() = default;
    // True once the sound may no longer begin: its bound has passed, or the window no longer
    // wants it. A wait before the sound begins gives up when it turns true.
    virtual bool dropped() const = 0;
    // Claims the beginning, right before the first samples go out: false when the sound is
    // dropped; from true on, the sound is stopped, never dropped.
    virtual bool begin() = 0;
    // True once a sound that has begun must stop: the next time-up, the end of the program.
    virtual bool stopping() const = 0;
};

class SoundOutput {
public:
    enum class Outcome {
        Played,   // heard to its end
        Stopped,  // stopped when the cue said so
        Dropped,  // not begun, as the cue said, or because the server did not answer in time
        NoServer, // no sound server to be had
        Stalled,  // begun, and the server stopped taking samples
        BrokeOff, // begun, and the server went away or refused the rest
    };
    struct Result {
        Outcome outcome = Outcome::Played;
        QString why; // what happened, for a student reading the program's output
    };

    virtual ~SoundOutput() = default;
    // Gets ready for a sound soon to come (connects, say), so that a play has less to wait for;
    // waits a bounded time, or less once ending() turns true. A failure here is no failure: the
    // play tries again and says what it found.
    virtual void prepare(const std::function<bool()>& ending) { static_cast<void>(ending); }
    // Plays sound from its beginning as the cue allows and returns once it has been heard to its
    // end, soon after the cue says stop or drop, or once a wait on the server has passed the
    // bound.
    virtual Result play(const PcmSound& sound, SoundCue& cue) = 0;
};

} // namespace tamsel
