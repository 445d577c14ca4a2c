#pragma once
// Reads the format of a RIFF wave file from its first bytes, to tell a chime that can be played
// from anything else that carries the name. Pure: it looks at bytes it is given.

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace tamsel {

struct WaveFormat {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    qsizetype dataOffset = 0; // where the samples begin
    quint32 dataSize = 0;     // the data chunk's size as its header gives it
};

// The PCM format (8 or 16 bits, mono or stereo) and the place of the samples when head begins a
// wave file whose format chunk comes before its data chunk; nothing otherwise.
std::optional<WaveFormat> readPcmWaveFormat(QByteArrayView head);

// A sound ready to play: its format and its samples, whole frames only.
struct PcmSound {
    WaveFormat format;
    QByteArray samples;
};

// The sound of a whole wave file: the data chunk as far as the file holds it, whatever size its
// header claims (2 GB, 0xFFFFFFFF), cut to whole frames; nothing when not one frame is left.
std::optional<PcmSound> readPcmSound(QByteArrayView file);

} // namespace tamsel
