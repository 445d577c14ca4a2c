// libFuzzer entry for the wave check: any bytes must be read without a crash or a sanitizer
// report, what it accepts must be a format the chime player can hand on, and the samples it
// plays whole frames that the file holds.

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
    const bool sane = (format->channels == 1 || format->channels == 2) &&
                      (format->bitsPerSample == 8 || format->bitsPerSample == 16) &&
                      format->dataOffset > 0 && format->dataOffset <= static_cast<qsizetype>(size);
    if (!sane)
        std::abort();
    if (sound) {
        const qsizetype frameBytes = format->channels * format->bitsPerSample / 8;
        const bool whole = !sound->samples.isEmpty() && sound->samples.size() % frameBytes == 0 &&
                           format->dataOffset + sound->samples.size() <= file.size();
        if (!whole)
            std::abort();
    }
    return 0;
}
