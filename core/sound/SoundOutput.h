#pragma once
// Where the chime's samples go: the sound server in the program, a recorder in tests. It is used
// on the sound thread alone, one sound at a time.

#include "sound/WaveFormat.h"

#include <QString>

#include <functional>

namespace tamsel {

class SoundOutput {
public:
    enum class Outcome { Played, Stopped, NoSound };
    struct Result {
        Outcome outcome = Outcome::Played;
        QString whyNoSound; // for a student reading the program's output, when nothing sounded
    };

    virtual ~SoundOutput() = default;
    // Plays sound from its beginning and returns once it has been heard to its end, or soon
    // after stopping() turns true.
    virtual Result play(const PcmSound& sound, const std::function<bool()>& stopping) = 0;
};

} // namespace tamsel
