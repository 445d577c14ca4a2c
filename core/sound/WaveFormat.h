#pragma once
// Reads the format of a RIFF wave file from its first bytes, to tell a chime that can be played
// from anything else that carries the name. Pure: it looks at bytes it is given.

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

} // namespace tamsel
