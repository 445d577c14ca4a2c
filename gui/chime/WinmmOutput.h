#pragma once
// The chime on Windows' own sound output, through the multimedia library's wave-out device (which
// Wine passes to PulseAudio): a device opened for every sound, so that no play depends on the
// state an earlier one left, and a stop heard within a twentieth of a second. It blocks while the
// sound plays; the chime player calls it on its sound thread.

#include "sound/SoundOutput.h"

namespace tamsel {

class WinmmOutput final : public SoundOutput {
public:
    Result play(const PcmSound& sound, const std::function<bool()>& stopping) override;
};

} // namespace tamsel
