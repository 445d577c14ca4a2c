#include "chime/ChimePlayer.h"

#include "chime/ChimeFile.h"
#include "chime/SoundClock.h"
#include "sound/SampleConversion.h"
#include "sound/SoundOutput.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <iterator>
#include <optional>

namespace tamsel {
namespace {

using Outcome = SoundOutput::Outcome;

// What the student reads for a failure of each kind: a sentence in Japanese, its English.
struct Telling {
    Outcome outcome;
    const char* words;
};
constexpr Telling tellings[] = {
    {Outcome::Dropped, "チャイムが鳴りませんでした。the chime did not sound"},
    {Outcome::NoServer, "チャイムが鳴りませんでした。the chime did not sound"},
    {Outcome::Stalled, "チャイムが途中で止まりました。the chime broke off"},
    {Outcome::BrokeOff, "チャイムが途中で止まりました。the chime broke off"},
};

} // namespace

// What the sound thread works on. Only the counters and flags are touched by both threads.
struct ChimePlayer::Chime {
    Chime(std::unique_ptr<SoundOutput> soundOutput, MillisecondClock millisecondClock)
        : output(std::move(soundOutput))
        , clock(std::move(millisecondClock))
    {
    }

    void read(const QString& path)
    {
        ChimeFile file = readChimeFile(path);
        if (file.sound)
            sound = toPlayableSamples(*std::move(file.sound));
        else
            sayNoChimeWillSound(path + QStringLiteral(": ") + file.whyNoSound);
    }

    void prepare()
    {
        if (sound)
            output->prepare([this] { return ending.load(); });
    }

    void play(Take& take);

    // Said once, in one line: the student would wonder why no chime sounds.
    void sayNoChimeWillSound(const QString& why)
    {
        if (std::exchange(toldNoChime, true))
            return;
        std::fprintf(stderr, "tamsel: チャイムは鳴りません。no chime will sound: %s\n",
                     qUtf8Printable(why));
    }

    // Said once for each kind in a run: a later chime may sound again, and a failure of another
    // kind says something new.
    void sayWhatHappened(Outcome outcome, const QString& why)
    {
        const unsigned kind = 1U << static_cast<unsigned>(outcome);
        const auto* telling = std::ranges::find(tellings, outcome, &Telling::outcome);
        if (telling == std::end(tellings) || (told & kind) != 0)
            return;
        told |= kind;
        std::fprintf(stderr, "tamsel: %s: %s\n", telling->words, qUtf8Printable(why));
    }

    const std::unique_ptr<SoundOutput> output;
    const MillisecondClock clock;
    std::optional<PcmSound> sound;
    bool toldNoChime = false;
    unsigned told = 0; // the kinds of failure said, one bit for each outcome
    // Moved on by every "Prev" and at the end: a sound sounds only while its number is current.
    std::atomic<int> plays = 0;
    std::atomic<bool> ending = false;
};

// One chime asked for at a time-up: it may begin until its bound, unless dropped before; once
// begun it sounds until the next time-up or the end.
class ChimePlayer::Take final : public SoundCue {
public:
    Take(std::shared_ptr<const Chime> chime, int number)
        : chime_(std::move(chime))
        , number_(number)
        , startBy_(chime_->clock() + chimeBoundMilliseconds)
    {
    }

    bool late() const { return chime_->clock() >= startBy_; }
    bool superseded() const { return chime_->plays.load() != number_; }
    bool withdrawn() const { return state_.load() == State::Withdrawn; }
    void withdraw()
    {
        State waiting = State::Waiting;
        state_.compare_exchange_strong(waiting, State::Withdrawn);
    }

    bool dropped() const override
    {
        return state_.load() != State::Waiting || superseded() || late();
    }
    bool begin() override
    {
        State waiting = State::Waiting;
        return !superseded() && !late() && state_.compare_exchange_strong(waiting, State::Began);
    }
    bool stopping() const override { return superseded(); }

private:
    enum class State { Waiting, Withdrawn, Began };
    const std::shared_ptr<const Chime> chime_;
    const int number_;
    const qint64 startBy_;
    std::atomic<State> state_ = State::Waiting;
};

void ChimePlayer::Chime::play(Take& take)
{
    if (!sound)
        return;
    // A chime the window dropped, or a later time-up took the place of, is no failure.
    const auto unwanted = [&take] { return take.withdrawn() || take.superseded(); };
    if (take.dropped()) {
        if (!unwanted())
            sayWhatHappened(Outcome::Dropped,
                            QStringLiteral("the sound thread could not begin it within %1 s of "
                                           "time-up")
                                .arg(chimeBoundMilliseconds / 1000));
        return;
    }
    const SoundOutput::Result result = output->play(*sound, take);
    if (result.outcome != Outcome::Dropped || !unwanted())
        sayWhatHappened(result.outcome, result.why);
}

ChimePlayer::ChimePlayer(std::unique_ptr<SoundOutput> output, MillisecondClock clock)
    : chime_(std::make_shared<Chime>(std::move(output), std::move(clock)))
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
    if (fileName_ != opened_) {
        opened_ = fileName_;
        if (!thread_.post([chime = chime_, path = fileName_] { chime->read(path); }))
            chime_->sayNoChimeWillSound(QStringLiteral("no thread can be made for the sound"));
    }
    if (!std::exchange(prepared_, true))
        thread_.post([chime = chime_] { chime->prepare(); });
}

void ChimePlayer::prev()
{
    ++chime_->plays;
}

void ChimePlayer::play()
{
    prepared_ = false;
    latest_ = std::make_shared<Take>(chime_, chime_->plays.load());
    thread_.post([chime = chime_, take = latest_] { chime->play(*take); });
}

void ChimePlayer::dropWaiting()
{
    if (latest_)
        latest_->withdraw();
}

bool ChimePlayer::finish(QDeadlineTimer deadline)
{
    chime_->ending = true;
    ++chime_->plays;
    return thread_.finish(deadline);
}

} // namespace tamsel
