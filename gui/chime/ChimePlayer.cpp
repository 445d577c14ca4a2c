#include "chime/ChimePlayer.h"

#include "chime/ChimeFile.h"
#include "sound/SampleConversion.h"
#include "sound/SoundOutput.h"

#include <atomic>
#include <cstdio>
#include <optional>

namespace tamsel {

// What the sound thread works on. Only the play counter is touched by both threads.
struct ChimePlayer::Chime {
    explicit Chime(std::unique_ptr<SoundOutput> soundOutput)
        : output(std::move(soundOutput))
    {
    }

    void read(const QString& path)
    {
        ChimeFile file = readChimeFile(path);
        if (file.sound)
            sound = toPlayableSamples(*std::move(file.sound));
        else
            sayWhyNoSound(path + QStringLiteral(": ") + file.whyNoSound);
    }

    void play(int number)
    {
        if (!sound)
            return;
        const SoundOutput::Result result =
            output->play(*sound, [this, number] { return plays.load() != number; });
        if (result.outcome == SoundOutput::Outcome::NoSound)
            sayWhyNoSound(result.whyNoSound);
    }

    // Said once, in one line: the student would wonder why no chime sounds.
    void sayWhyNoSound(const QString& why)
    {
        if (std::exchange(toldWhyNoSound, true))
            return;
        std::fprintf(stderr, "tamsel: チャイムは鳴りません。no chime will sound: %s\n",
                     qUtf8Printable(why));
    }

    const std::unique_ptr<SoundOutput> output;
    std::optional<PcmSound> sound;
    bool toldWhyNoSound = false;
    // Moved on by every "Prev" and at the end: a sound sounds only while its number is current.
    std::atomic<int> plays = 0;
};

ChimePlayer::ChimePlayer(std::unique_ptr<SoundOutput> output)
    : chime_(std::make_shared<Chime>(std::move(output)))
{
}

ChimePlayer::~ChimePlayer()
{
    finish();
}

void ChimePlayer::setFileName(const QString& path)
{
    fileName_ = path;
}

void ChimePlayer::open()
{
    if (fileName_ == opened_)
        return;
    opened_ = fileName_;
    if (!thread_.post([chime = chime_, path = fileName_] { chime->read(path); }))
        chime_->sayWhyNoSound(QStringLiteral("no thread can be made for the sound"));
}

void ChimePlayer::prev()
{
    ++chime_->plays;
}

void ChimePlayer::play()
{
    thread_.post([chime = chime_, number = chime_->plays.load()] { chime->play(number); });
}

bool ChimePlayer::finish(QDeadlineTimer deadline)
{
    ++chime_->plays;
    return thread_.finish(deadline);
}

} // namespace tamsel
