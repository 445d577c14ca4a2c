#pragma once
// Where the chime's samples go: the sound device, through a module loaded when an attempt first
// needs it, or a stand-in in tests. Every call returns at once; whatever fails stays inside.

#include "sound/WaveFormat.h"

#include <QtPlugin>

namespace tamsel {

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Gets ready to play, so that the first sound does not wait for the device.
    virtual void prepare() = 0;
    // Plays sound from its beginning, in place of anything playing.
    virtual void play(const PcmSound& sound) = 0;
    virtual void stop() = 0;
};

} // namespace tamsel

#define TAMSEL_SOUND_OUTPUT_IID "org.tamsel.SoundOutput/1.0"
Q_DECLARE_INTERFACE(tamsel::SoundOutput, TAMSEL_SOUND_OUTPUT_IID)
