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
constexpr quint16 floatTag = 3;
constexpr quint16 extensibleTag = 0xFFFE;
// WAVE_FORMAT_EXTENSIBLE names its real format by a GUID whose first two bytes are the plain tag
// and whose other fourteen are these (KSDATAFORMAT_SUBTYPE_PCM, ..._IEEE_FLOAT).
constexpr char subformatTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71";
constexpr qsizetype plainFormatBytes = 16;
constexpr qsizetype extensibleFormatBytes = 40;

// The format of a "fmt " chunk of size bytes at body, or nothing when it is no uncompressed
// sound the program plays or its fields disagree with one another.
std::optional<WaveFormat> readFormatChunk(QByteArrayView head, qsizetype body, quint32 size)
{
    if (size < plainFormatBytes || body + plainFormatBytes > head.size())
        return std::nullopt;
    quint16 tag = le16(head, body);
    const int channels = le16(head, body + 2);
    const quint32 rate = le32(head, body + 4);
    const quint32 bytesPerSecond = le32(head, body + 8);
    const int blockAlign = le16(head, body + 12);
    const int bits = le16(head, body + 14);
    if (tag == extensibleTag) {
        // The extension: its size, the bits that carry sound, the speaker mask, the subformat.
        if (size < extensibleFormatBytes || body + extensibleFormatBytes > head.size() ||
            le16(head, body + 16) < extensibleFormatBytes - 18)
            return std::nullopt;
        const int validBits = le16(head, body + 18);
        if (validBits == 0 || validBits > bits ||
            head.sliced(body + 26, 14) != QByteArrayView(subformatTail, 14))
            return std::nullopt;
        tag = le16(head, body + 24);
    }
    const bool floats = tag == floatTag;
    const bool widthKnown =
        floats ? bits == 32
               : (tag == pcmTag && (bits == 8 || bits == 16 || bits == 24 || bits == 32));
    const bool sane = widthKnown && (channels == 1 || channels == 2) && rate >= 8000 &&
                      rate <= 192000 && blockAlign == channels * bits / 8 &&
                      bytesPerSecond == rate * static_cast<quint32>(blockAlign);
    if (!sane)
        return std::nullopt;
    return WaveFormat{channels, static_cast<int>(rate), bits, floats, 0, 0};
}

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
            format = readFormatChunk(head, body, size);
            if (!format)
                return std::nullopt;
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
    const qsizetype frameBytes = format->frameBytes();
    const qsizetype held = std::min<qsizetype>(format->dataSize, file.size() - format->dataOffset);
    const qsizetype wholeFrames = held - held % frameBytes;
    if (wholeFrames == 0)
        return std::nullopt;
    return PcmSound{*format, file.sliced(format->dataOffset, wholeFrames).toByteArray()};
}

} // namespace tamsel
