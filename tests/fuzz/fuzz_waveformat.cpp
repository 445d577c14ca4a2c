// libFuzzer entry for the wave-header check: any bytes must be read without a crash or a
// sanitizer report, and what it accepts must be a format the chime player can hand on.

#include "sound/WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto format =
        tamsel::readPcmWaveFormat(QByteArrayView(data, static_cast<qsizetype>(size)));
    if (!format)
        return 0;
    const bool sane = (format->channels == 1 || format->channels == 2) &&
                      (format->bitsPerSample == 8 || format->bitsPerSample == 16) &&
                      format->dataOffset > 0 && format->dataOffset <= static_cast<qsizetype>(size);
    if (!sane)
        std::abort();
    return 0;
}
