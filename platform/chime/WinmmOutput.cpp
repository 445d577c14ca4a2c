#include "chime/WinmmOutput.h"

#include "chime/SoundClock.h"
#include "chime/SystemSoundOutput.h"

#include <QScopeGuard>

#include <windows.h>

#include <mmsystem.h>

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

namespace tamsel {
namespace {

struct HandleClose {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Event = std::unique_ptr<void, HandleClose>;

Event newEvent()
{
    return Event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
}

QString waveOutError(MMRESULT error)
{
    wchar_t text[MAXERRORLENGTH] = {};
    waveOutGetErrorTextW(error, text, MAXERRORLENGTH);
    return QString::fromWCharArray(text);
}

// A stop, a drop and the helper's progress are looked at this often.
constexpr DWORD sliceMilliseconds = 50;

// One sound on one device, shared by the sound thread and the helper that makes the device's
// calls; whichever lets go last frees it.
struct Device {
    enum class Stage { Opening, Opened, Playing, Done, Failed };

    explicit Device(const PcmSound& sound)
        : samples(sound.samples)
    {
        const WaveFormat& format = sound.format;
        wave.wFormatTag = WAVE_FORMAT_PCM;
        wave.nChannels = static_cast<WORD>(format.channels);
        wave.nSamplesPerSec = static_cast<DWORD>(format.sampleRate);
        wave.wBitsPerSample = static_cast<WORD>(format.bitsPerSample);
        wave.nBlockAlign = static_cast<WORD>(wave.nChannels * wave.wBitsPerSample / 8);
        wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    }

    // The helper's work: open, wait for the word to begin, play to the end or a quit, close.
    void run()
    {
        HWAVEOUT device = nullptr;
        const MMRESULT opened =
            waveOutOpen(&device, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(played.get()), 0,
                        CALLBACK_EVENT);
        if (opened != MMSYSERR_NOERROR)
            return reach(Stage::Failed, opened);
        reach(Stage::Opened);
        while (!go && !quit)
            WaitForSingleObject(told.get(), INFINITE);
        if (!quit) {
            WAVEHDR buffer{};
            buffer.lpData = samples.data();
            buffer.dwBufferLength = static_cast<DWORD>(samples.size());
            waveOutPrepareHeader(device, &buffer, sizeof buffer);
            const MMRESULT written = waveOutWrite(device, &buffer, sizeof buffer);
            if (written != MMSYSERR_NOERROR) {
                reach(Stage::Failed, written);
            } else {
                reach(Stage::Playing);
                // The device sets the done flag before it signals, and the wait orders the two.
                while ((buffer.dwFlags & WHDR_DONE) == 0 && !quit)
                    WaitForSingleObject(played.get(), sliceMilliseconds);
                if ((buffer.dwFlags & WHDR_DONE) == 0)
                    waveOutReset(device);
            }
            waveOutUnprepareHeader(device, &buffer, sizeof buffer);
        }
        waveOutClose(device);
        reach(Stage::Done);
    }

    void reach(Stage next, MMRESULT failure = MMSYSERR_NOERROR)
    {
        if (stage.load() == Stage::Failed)
            return;
        error = failure;
        stage = next;
        SetEvent(progressed.get());
    }

    void tell(std::atomic<bool>& word)
    {
        word = true;
        SetEvent(told.get());
    }

    // Waits until the helper is past stage, or giveUp() turns true: false then.
    template <typename GiveUp> bool waitPast(Stage past, GiveUp giveUp)
    {
        while (stage.load() == past) {
            if (giveUp())
                return false;
            WaitForSingleObject(progressed.get(), sliceMilliseconds);
        }
        return true;
    }

    // The device reads the samples while they play: a copy of its own, alive until it closes.
    QByteArray samples;
    WAVEFORMATEX wave{};
    const Event played = newEvent();     // by the device: opened, a buffer played, closed
    const Event told = newEvent();       // by the sound thread: go or quit
    const Event progressed = newEvent(); // by the helper: a stage reached
    std::atomic<Stage> stage = Stage::Opening;
    std::atomic<MMRESULT> error = MMSYSERR_NOERROR;
    std::atomic<bool> go = false;
    std::atomic<bool> quit = false;
};

bool past(qint64 since, qint64 bound)
{
    return soundClockMilliseconds() - since >= bound;
}

} // namespace

std::unique_ptr<SoundOutput> makeSystemSoundOutput()
{
    return std::make_unique<WinmmOutput>();
}

SoundOutput::Result WinmmOutput::play(const PcmSound& sound, SoundCue& cue)
{
    using Stage = Device::Stage;
    const auto device = std::make_shared<Device>(sound);
    if (!device->played || !device->told || !device->progressed)
        return {Outcome::NoServer, QStringLiteral("no event for the sound device")};
    try {
        std::thread([device] { device->run(); }).detach();
    } catch (const std::system_error&) {
        return {Outcome::NoServer, QStringLiteral("no thread can be made for the sound device")};
    }
    // Whatever this returns, the helper closes the device.
    const auto quitAtTheEnd = qScopeGuard([&device] { device->tell(device->quit); });

    const QString bound = QString::number(chimeBoundMilliseconds / 1000);
    if (!device->waitPast(Stage::Opening, [&cue] { return cue.dropped(); }))
        return {Outcome::Dropped,
                QStringLiteral("the sound device did not open within %1 s of time-up").arg(bound)};
    if (device->stage.load() == Stage::Failed)
        return {Outcome::NoServer,
                QStringLiteral("no sound server: ") + waveOutError(device->error)};
    if (!cue.begin())
        return {Outcome::Dropped,
                QStringLiteral("the sound device did not open within %1 s of time-up").arg(bound)};

    device->tell(device->go);
    const qint64 written = soundClockMilliseconds();
    const auto stalled = [&bound] {
        return Result{Outcome::Stalled,
                      QStringLiteral("the sound device stopped answering for %1 s").arg(bound)};
    };
    if (!device->waitPast(Stage::Opened,
                          [&] { return cue.stopping() || past(written, chimeBoundMilliseconds); }))
        return cue.stopping() ? Result{Outcome::Stopped, {}} : stalled();
    if (device->stage.load() == Stage::Failed)
        return {Outcome::BrokeOff,
                QStringLiteral("the sound server broke off: ") + waveOutError(device->error)};
    // The device plays the whole sound from one buffer: it is done within the sound's length
    // and the bound.
    const qint64 length =
        qint64(sound.samples.size()) * 1000 / qint64(device->wave.nAvgBytesPerSec);
    if (!device->waitPast(Stage::Playing, [&] {
            return cue.stopping() || past(written, length + chimeBoundMilliseconds);
        }))
        return cue.stopping() ? Result{Outcome::Stopped, {}} : stalled();
    return {Outcome::Played, {}};
}

} // namespace tamsel
