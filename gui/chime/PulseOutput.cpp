#include "chime/PulseOutput.h"

#include "chime/SystemSoundOutput.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace tamsel {
namespace {

struct SimpleFree {
    void operator()(pa_simple* stream) const { pa_simple_free(stream); }
};

QString pulseError(int error)
{
    return QString::fromUtf8(pa_strerror(error));
}

} // namespace

std::unique_ptr<SoundOutput> makeSystemSoundOutput()
{
    return std::make_unique<PulseOutput>();
}

SoundOutput::Result PulseOutput::play(const PcmSound& sound, const std::function<bool()>& stopping)
{
    const WaveFormat& format = sound.format;
    const pa_sample_spec spec{format.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE,
                              static_cast<uint32_t>(format.sampleRate),
                              static_cast<uint8_t>(format.channels)};
    const size_t frameBytes = pa_frame_size(&spec);
    // Pieces of a twentieth of a second, and a server buffer of two of them: a stop waits for
    // little more than one piece, and the end of the sound for the buffer alone.
    const size_t pieceBytes = std::max<size_t>(frameBytes, pa_usec_to_bytes(50'000, &spec));
    const auto bufferBytes = static_cast<uint32_t>(2 * pieceBytes);
    const pa_buffer_attr buffer{static_cast<uint32_t>(-1), bufferBytes, static_cast<uint32_t>(-1),
                                static_cast<uint32_t>(-1), static_cast<uint32_t>(-1)};
    int error = 0;
    const std::unique_ptr<pa_simple, SimpleFree> stream(
        pa_simple_new(nullptr, "Tamsel", PA_STREAM_PLAYBACK, nullptr, "チャイム", &spec, nullptr,
                      &buffer, &error));
    if (!stream)
        return {Outcome::NoSound, QStringLiteral("no sound server: ") + pulseError(error)};

    const QByteArray& samples = sound.samples;
    for (qsizetype done = 0; done < samples.size();) {
        if (stopping()) {
            pa_simple_flush(stream.get(), nullptr);
            return {Outcome::Stopped, {}};
        }
        const auto piece =
            std::min<qsizetype>(static_cast<qsizetype>(pieceBytes), samples.size() - done);
        if (pa_simple_write(stream.get(), samples.constData() + done, static_cast<size_t>(piece),
                            &error) < 0)
            return {Outcome::NoSound,
                    QStringLiteral("the sound server broke off: ") + pulseError(error)};
        done += piece;
    }
    pa_simple_drain(stream.get(), nullptr);
    return {Outcome::Played, {}};
}

} // namespace tamsel
