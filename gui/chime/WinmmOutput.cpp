#include "chime/WinmmOutput.h"

#include "chime/SystemSoundOutput.h"

#include <windows.h>

#include <mmsystem.h>

#include <memory>

namespace tamsel {
namespace {

struct HandleClose {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

QString waveOutError(MMRESULT error)
{
    wchar_t text[MAXERRORLENGTH] = {};
    waveOutGetErrorTextW(error, text, MAXERRORLENGTH);
    return QString::fromWCharArray(text);
}

// A stop is looked for this often while the sound plays.
constexpr DWORD stopCheckMilliseconds = 50;

} // namespace

std::unique_ptr<SoundOutput> makeSystemSoundOutput()
{
    return std::make_unique<WinmmOutput>();
}

SoundOutput::Result WinmmOutput::play(const PcmSound& sound, const std::function<bool()>& stopping)
{
    const WaveFormat& format = sound.format;
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(format.channels);
    wave.nSamplesPerSec = static_cast<DWORD>(format.sampleRate);
    wave.wBitsPerSample = static_cast<WORD>(format.bitsPerSample);
    wave.nBlockAlign = static_cast<WORD>(wave.nChannels * wave.wBitsPerSample / 8);
    wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;

    // Signalled when the device opens, when it has played a buffer and when it closes.
    const std::unique_ptr<void, HandleClose> signal(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!signal)
        return {Outcome::NoSound, QStringLiteral("no event for the sound device")};
    HWAVEOUT device = nullptr;
    const MMRESULT opened = waveOutOpen(
        &device, WAVE_MAPPER, &wave, reinterpret_cast<DWORD_PTR>(signal.get()), 0, CALLBACK_EVENT);
    if (opened != MMSYSERR_NOERROR)
        return {Outcome::NoSound, QStringLiteral("no sound server: ") + waveOutError(opened)};

    // The device reads the samples while they play: a copy of its own, alive until it is closed.
    QByteArray samples = sound.samples;
    WAVEHDR buffer{};
    buffer.lpData = samples.data();
    buffer.dwBufferLength = static_cast<DWORD>(samples.size());
    waveOutPrepareHeader(device, &buffer, sizeof buffer);
    const MMRESULT written = waveOutWrite(device, &buffer, sizeof buffer);
    Result result{Outcome::Played, {}};
    if (written != MMSYSERR_NOERROR) {
        result = {Outcome::NoSound,
                  QStringLiteral("the sound server broke off: ") + waveOutError(written)};
    } else {
        // The device sets the done flag before it signals, and the wait orders the two.
        while ((buffer.dwFlags & WHDR_DONE) == 0) {
            if (stopping()) {
                waveOutReset(device);
                result = {Outcome::Stopped, {}};
                break;
            }
            WaitForSingleObject(signal.get(), stopCheckMilliseconds);
        }
    }
    waveOutUnprepareHeader(device, &buffer, sizeof buffer);
    waveOutClose(device);
    return result;
}

} // namespace tamsel
