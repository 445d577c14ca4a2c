#pragma once
// The sound module: plays a chime's samples on the default sound device through Qt
// Multimedia's audio sink. Loaded by the program only when an attempt first needs sound.

#include "sound/SoundOutput.h"

#include <QBuffer>
#include <QObject>

#include <memory>

class QAudioSink;

namespace tamsel {

class AudioSinkOutput final : public QObject, public SoundOutput {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID TAMSEL_SOUND_OUTPUT_IID)
    Q_INTERFACES(tamsel::SoundOutput)

public:
    AudioSinkOutput();
    ~AudioSinkOutput() override;

    void prepare() override;
    void play(const PcmSound& sound) override;
    void stop() override;

private:
    std::unique_ptr<QAudioSink> sink_;
    QBuffer samples_;
};

} // namespace tamsel
