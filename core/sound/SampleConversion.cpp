#include "sound/SampleConversion.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tamsel {
namespace {

qint16 fromFloat(float value)
{
    if (std::isnan(value))
        return 0;
    const float scaled = std::round(value * 32767.0F);
    return static_cast<qint16>(std::clamp(scaled, -32768.0F, 32767.0F));
}

// The sample at bytes, of width bytes, as 16 bits.
qint16 toSixteenBits(const char* bytes, int width, bool floats)
{
    if (floats) {
        const quint32 bits = qFromLittleEndian<quint32>(bytes);
        float value = 0;
        std::memcpy(&value, &bits, sizeof value);
        return fromFloat(value);
    }
    // The top two bytes of a little-endian integer are its most significant sixteen bits.
    return qFromLittleEndian<qint16>(bytes + width - 2);
}

} // namespace

PcmSound toPlayableSamples(PcmSound sound)
{
    WaveFormat& format = sound.format;
    if (format.bitsPerSample <= 16)
        return sound;
    const int width = format.bitsPerSample / 8;
    const qsizetype count = sound.samples.size() / width;
    QByteArray converted(count * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < count; ++i)
        qToLittleEndian(
            toSixteenBits(sound.samples.constData() + i * width, width, format.floatSamples),
            converted.data() + i * 2);
    format.bitsPerSample = 16;
    format.floatSamples = false;
    sound.samples = std::move(converted);
    return sound;
}

} // namespace tamsel
