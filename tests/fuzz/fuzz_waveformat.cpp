// libFuzzer entry for the wave check: any bytes must be read without a crash or a sanitizer
// report, what it accepts must be a format the chime player can hand on, the samples it plays
// whole frames that the file holds, and their conversion for the outputs one 8- or 16-bit
// sample for every sample read.

#include "sound/SampleConversion.h"
#include "sound/WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView file(data, static_cast<qsizetype>(size));
    const auto format = tamsel::readPcmWaveFormat(file);
    const auto sound = tamsel::readPcmSound(file);
    if (!format) {
        if (sound)
            std::abort();
        return 0;
    }
    const int bits = format->bitsPerSample;
    const bool sane =
        (format->channels == 1 || format->channels == 2) &&
        (format->floatSamples ? bits == 32 : bits == 8 || bits == 16 || bits == 24 || bits == 32) &&
        format->dataOffset > 0 && format->dataOffset <= static_cast<qsizetype>(size);
    if (!sane)
        std::abort();
    if (sound) {
        const qsizetype frameBytes = format->frameBytes();
        const bool whole = !sound->samples.isEmpty() && sound->samples.size() % frameBytes == 0 &&
                           format->dataOffset + sound->samples.size() <= file.size();
        if (!whole)
            std::abort();
        const qsizetype samples = sound->samples.size() / (bits / 8);
        const tamsel::PcmSound playable = tamsel::toPlayableSamples(*sound);
        const int playableBits = playable.format.bitsPerSample;
        const bool converted = !playable.format.floatSamples &&
                               (playableBits == 8 || playableBits == 16) &&
                               playable.samples.size() == samples * (playableBits / 8);
        if (!converted)
            std::abort();
    }
    return 0;
}
