#pragma once
// Brings a sound to the sample formats every output plays alike: 8-bit and 16-bit integers pass
// as they are; 24-bit and 32-bit integers keep their top sixteen bits, and floats are scaled to
// sixteen bits, clipped at full scale (a NaN is silence). Sixteen bits are past what a chime's
// loudspeaker can tell apart. Pure.

#include "sound/WaveFormat.h"

namespace tamsel {

PcmSound toPlayableSamples(PcmSound sound);

} // namespace tamsel
