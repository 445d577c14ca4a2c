#pragma once
// The chime on Windows' own sound output, through the multimedia library's wave-out device (which
// Wine passes to PulseAudio): a device opened for every sound, so that no play depends on the
// state an earlier one left, and a stop heard within a twentieth of a second. The device's calls,
// which block on some drivers, run on a helper thread of the sound's own: the sound thread waits
// for them no longer than the chime's bound allows and leaves a helper that overstays to close
// the device whenever its call returns. It blocks while the sound plays; the chime player calls it
// on its sound thread.

#include "sound/SoundOutput.h"

namespace tamsel {

class WinmmOutput final : public SoundOutput {
public:
    Result play(const PcmSound& sound, SoundCue& cue) override;
};

} // namespace tamsel
