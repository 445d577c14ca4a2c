#pragma once
// The sound output of the platform the program was built for: PulseAudio's asynchronous API
// (PulseOutput) on Linux, the wave-out device (WinmmOutput) on Windows.

#include "sound/SoundOutput.h"

#include <memory>

namespace tamsel {

std::unique_ptr<SoundOutput> makeSystemSoundOutput();

} // namespace tamsel
