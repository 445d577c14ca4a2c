#include "chime/PulseOutput.h"

#include "chime/SoundClock.h"
#include "chime/SystemSoundOutput.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <QScopeGuard>

#include <algorithm>
#include <cstdint>

namespace tamsel {
namespace {

// A stop, a drop and the time are looked at this often while the server is waited for.
constexpr int sliceMicroseconds = 50'000;

struct MainloopFree {
    void operator()(pa_mainloop* loop) const { pa_mainloop_free(loop); }
};
struct ContextEnd {
    void operator()(pa_context* context) const
    {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};
// A stream that goes is disconnected: the server stops playing it at once.
struct StreamEnd {
    void operator()(pa_stream* stream) const
    {
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
    }
};
struct OperationEnd {
    void operator()(pa_operation* operation) const
    {
        pa_operation_cancel(operation);
        pa_operation_unref(operation);
    }
};

QString noAnswer()
{
    return QStringLiteral("the sound server did not answer within %1 s of time-up")
        .arg(chimeBoundMilliseconds / 1000);
}

// True once bound milliseconds have passed since since.
bool past(qint64 since, qint64 bound)
{
    return soundClockMilliseconds() - since >= bound;
}

} // namespace

std::unique_ptr<SoundOutput> makeSystemSoundOutput()
{
    return std::make_unique<PulseOutput>();
}

// A main loop and one connection to the server on it.
class PulseOutput::Connection final {
public:
    pa_context* context() const { return context_.get(); }
    QString error() const
    {
        return context() ? QString::fromUtf8(pa_strerror(pa_context_errno(context())))
                         : QStringLiteral("no memory for a connection");
    }
    bool ready() const { return context() && pa_context_get_state(context()) == PA_CONTEXT_READY; }

    // Connects, until the server has taken the connection or refused it, or giveUp() turns true:
    // false unless it was taken.
    template <typename GiveUp> bool connect(GiveUp giveUp)
    {
        // Spawning a server of its own is a wait that nothing bounds: a desktop starts its server
        // itself.
        if (!context_ ||
            pa_context_connect(context(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
            return false;
        runUntil([this] { return !isConnecting(pa_context_get_state(context())); }, giveUp);
        return ready();
    }

    // Runs the loop a slice at a time until done() or giveUp() turns true: true when done.
    template <typename Done, typename GiveUp> bool runUntil(Done done, GiveUp giveUp)
    {
        while (!done()) {
            if (giveUp() || pa_mainloop_prepare(loop_.get(), sliceMicroseconds) < 0 ||
                pa_mainloop_poll(loop_.get()) < 0 || pa_mainloop_dispatch(loop_.get()) < 0)
                return false;
        }
        return true;
    }

    // Takes in what the server said while nobody listened: that it went away, say.
    void catchUp()
    {
        for (int event = 0; event < 64 && pa_mainloop_iterate(loop_.get(), 0, nullptr) > 0;
             ++event) {
        }
    }

private:
    static bool isConnecting(pa_context_state_t state)
    {
        return state == PA_CONTEXT_CONNECTING || state == PA_CONTEXT_AUTHORIZING ||
               state == PA_CONTEXT_SETTING_NAME;
    }

    const std::unique_ptr<pa_mainloop, MainloopFree> loop_{pa_mainloop_new()};
    const std::unique_ptr<pa_context, ContextEnd> context_{
        loop_ ? pa_context_new(pa_mainloop_get_api(loop_.get()), "Tamsel") : nullptr};
};

PulseOutput::PulseOutput() = default;
PulseOutput::~PulseOutput() = default;

void PulseOutput::prepare(const std::function<bool()>& ending)
{
    if (connection_) {
        connection_->catchUp();
        if (connection_->ready())
            return;
    }
    const qint64 began = soundClockMilliseconds();
    connection_ = std::make_unique<Connection>();
    if (!connection_->connect([&] { return ending() || past(began, chimeBoundMilliseconds); }))
        connection_.reset();
}

SoundOutput::Result PulseOutput::play(const PcmSound& sound, SoundCue& cue)
{
    // The connection serves this one sound.
    const auto closed = qScopeGuard([this] { connection_.reset(); });
    if (connection_)
        connection_->catchUp();
    if (!connection_ || !connection_->ready()) {
        connection_ = std::make_unique<Connection>();
        if (!connection_->connect([&cue] { return cue.dropped(); })) {
            if (cue.dropped())
                return {Outcome::Dropped, noAnswer()};
            return {Outcome::NoServer, QStringLiteral("no sound server: ") + connection_->error()};
        }
    }
    Connection& server = *connection_;

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
    const std::unique_ptr<pa_stream, StreamEnd> stream(
        pa_stream_new(server.context(), "チャイム", &spec, nullptr));
    const auto refused = [&server] {
        return Result{Outcome::NoServer,
                      QStringLiteral("the sound server refused the chime: ") + server.error()};
    };
    if (!stream || pa_stream_connect_playback(stream.get(), nullptr, &buffer,
                                              PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0)
        return refused();
    const auto state = [&stream] { return pa_stream_get_state(stream.get()); };
    server.runUntil([&] { return state() != PA_STREAM_CREATING; },
                    [&cue] { return cue.dropped(); });
    if (state() == PA_STREAM_CREATING)
        return {Outcome::Dropped, noAnswer()};
    if (state() != PA_STREAM_READY)
        return refused();
    if (!cue.begin())
        return {Outcome::Dropped, noAnswer()};

    // From here a wait gives up once the server has taken nothing for the bound.
    qint64 lastTaken = soundClockMilliseconds();
    const auto stalled = [] {
        return Result{Outcome::Stalled,
                      QStringLiteral("the sound server stopped answering for %1 s")
                          .arg(chimeBoundMilliseconds / 1000)};
    };
    const auto brokeOff = [&server] {
        return Result{Outcome::BrokeOff,
                      QStringLiteral("the sound server broke off: ") + server.error()};
    };
    const QByteArray& samples = sound.samples;
    for (qsizetype done = 0; done < samples.size();) {
        const bool writable = server.runUntil(
            [&] {
                return pa_stream_writable_size(stream.get()) >= frameBytes ||
                       state() != PA_STREAM_READY;
            },
            [&] { return cue.stopping() || past(lastTaken, chimeBoundMilliseconds); });
        if (cue.stopping())
            return {Outcome::Stopped, {}};
        if (!writable)
            return stalled();
        const size_t room = pa_stream_writable_size(stream.get());
        if (state() != PA_STREAM_READY || room == static_cast<size_t>(-1))
            return brokeOff();
        const size_t piece = std::min(
            {room - room % frameBytes, pieceBytes, static_cast<size_t>(samples.size() - done)});
        if (pa_stream_write(stream.get(), samples.constData() + done, piece, nullptr, 0,
                            PA_SEEK_RELATIVE) < 0)
            return brokeOff();
        done += static_cast<qsizetype>(piece);
        lastTaken = soundClockMilliseconds();
    }

    // The end: the buffer plays out, in its own time plus the bound.
    bool drained = false;
    const std::unique_ptr<pa_operation, OperationEnd> drain(pa_stream_drain(
        stream.get(), [](pa_stream*, int, void* done) { *static_cast<bool*>(done) = true; },
        &drained));
    if (!drain)
        return brokeOff();
    const qint64 drainBound =
        chimeBoundMilliseconds + qint64(pa_bytes_to_usec(bufferBytes, &spec) / 1000);
    const qint64 lastWritten = soundClockMilliseconds();
    server.runUntil([&] { return drained || state() != PA_STREAM_READY; },
                    [&] { return cue.stopping() || past(lastWritten, drainBound); });
    if (drained)
        return {Outcome::Played, {}};
    if (cue.stopping())
        return {Outcome::Stopped, {}};
    if (state() != PA_STREAM_READY)
        return brokeOff();
    return stalled();
}

} // namespace tamsel
