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
    int bitsPerSample = 0;     // of each sample's container: 8, 16, 24 or 32
    bool floatSamples = false; // 32-bit IEEE floats rather than integers
    qsizetype dataOffset = 0;  // where the samples begin
    quint32 dataSize = 0;      // the data chunk's size as its header gives it

    int frameBytes() const { return channels * bitsPerSample / 8; }
};

// The uncompressed format and the place of the samples when head begins a wave file whose
// format chunk comes before its data chunk: integer samples of 8, 16, 24 or 32 bits or 32-bit
// floats, mono or stereo, written plain or as WAVE_FORMAT_EXTENSIBLE. Nothing for a compressed
// format (ADPCM, μ-law, ...) or a format chunk that contradicts itself.
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
