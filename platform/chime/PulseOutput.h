#pragma once
// The chime on the sound server, through PulseAudio's asynchronous API (which PipeWire desktops
// serve too) on a main loop of its own that runs only inside these calls: every wait on the
// server is then a poll with a timeout of ours, which the simple API's calls are not (its
// connection gives up after half a minute, its writes never). A connection is made ahead by
// prepare(), used by the one play that follows and closed after it, so that time-up has only to
// write and no play depends on the state an earlier one left. Samples go out in short pieces, so
// that a stop is heard within a twentieth of a second. It blocks while the sound plays; the chime
// player calls it on its sound thread.

#include "sound/SoundOutput.h"

#include <memory>

namespace tamsel {

class PulseOutput final : public SoundOutput {
public:
    PulseOutput();
    ~PulseOutput() override;
    PulseOutput(const PulseOutput&) = delete;
    PulseOutput& operator=(const PulseOutput&) = delete;

    void prepare(const std::function<bool()>& ending) override;
    Result play(const PcmSound& sound, SoundCue& cue) override;

private:
    class Connection;
    std::unique_ptr<Connection> connection_;
};

} // namespace tamsel
