#pragma once
// The chime on the sound server, through PulseAudio's simple API (which PipeWire desktops serve
// too): a new connection for every sound, so that no play depends on the state an earlier one
// left, written in short pieces so that a stop is heard within a twentieth of a second. It
// blocks while the sound plays; the chime player calls it on its sound thread.

#include "sound/SoundOutput.h"

namespace tamsel {

class PulseOutput final : public SoundOutput {
public:
    Result play(const PcmSound& sound, const std::function<bool()>& stopping) override;
};

} // namespace tamsel
