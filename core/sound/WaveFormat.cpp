#include "sound/WaveFormat.h"

#include <QtEndian>

#include <algorithm>

namespace tamsel {
namespace {

quint32 le32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

quint16 le16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

constexpr quint16 pcmTag = 1;

} // namespace

std::optional<WaveFormat> readPcmWaveFormat(QByteArrayView head)
{
    if (head.size() < 12 || head.first(4) != "RIFF" || head.sliced(8, 4) != "WAVE")
        return std::nullopt;

    std::optional<WaveFormat> format;
    qsizetype at = 12;
    while (at + 8 <= head.size()) {
        const QByteArrayView id = head.sliced(at, 4);
        const quint32 size = le32(head, at + 4);
        const qsizetype body = at + 8;
        if (id == "fmt ") {
            if (size < 16 || body + 16 > head.size() || le16(head, body) != pcmTag)
                return std::nullopt;
            const WaveFormat f{le16(head, body + 2), static_cast<int>(le32(head, body + 4)),
                               le16(head, body + 14), 0, 0};
            const bool sane = (f.channels == 1 || f.channels == 2) &&
                              (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
                              f.sampleRate >= 8000 && f.sampleRate <= 192000;
            if (!sane)
                return std::nullopt;
            format = f;
        } else if (id == "data") {
            if (size == 0 || !format)
                return std::nullopt;
            format->dataOffset = body;
            format->dataSize = size;
            return format;
        }
        // Chunks are padded to an even size.
        at = body + static_cast<qsizetype>(size) + static_cast<qsizetype>(size & 1U);
    }
    return std::nullopt;
}

std::optional<PcmSound> readPcmSound(QByteArrayView file)
{
    const std::optional<WaveFormat> format = readPcmWaveFormat(file);
    if (!format)
        return std::nullopt;
    const qsizetype frameBytes = format->channels * format->bitsPerSample / 8;
    const qsizetype held = std::min<qsizetype>(format->dataSize, file.size() - format->dataOffset);
    const qsizetype wholeFrames = held - held % frameBytes;
    if (wholeFrames == 0)
        return std::nullopt;
    return PcmSound{*format, file.sliced(format->dataOffset, wholeFrames).toByteArray()};
}

} // namespace tamsel
