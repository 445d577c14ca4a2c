#include "AudioSinkOutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

namespace tamsel {
namespace {

QAudioFormat audioFormat(const WaveFormat& wave)
{
    QAudioFormat format;
    format.setChannelCount(wave.channels);
    format.setSampleRate(wave.sampleRate);
    format.setSampleFormat(wave.bitsPerSample == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return format;
}

} // namespace

AudioSinkOutput::AudioSinkOutput() = default;

AudioSinkOutput::~AudioSinkOutput() = default;

void AudioSinkOutput::prepare()
{
    // Asking for the default device connects to the sound server, here and not at the chime.
    QMediaDevices::defaultAudioOutput();
}

void AudioSinkOutput::play(const PcmSound& sound)
{
    stop();
    const QAudioFormat format = audioFormat(sound.format);
    if (!sink_ || sink_->format() != format)
        sink_ = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), format);
    samples_.setData(sound.samples);
    samples_.open(QIODevice::ReadOnly);
    sink_->start(&samples_);
}

void AudioSinkOutput::stop()
{
    if (sink_)
        sink_->stop();
    samples_.close();
}

} // namespace tamsel
