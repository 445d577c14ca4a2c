#pragma once
// The media player of the exam window. Every "Open" has the chime's file looked at by a reader
// (see ChimeFile.h: what is read, and what never is), away from the window's thread; the sound
// that reader found is the one played. Opens that come while a look is under way make one more
// look once it is done, and a "Play" that comes meanwhile plays what the looks end with.

#include "chime/ChimeFile.h"
#include "sound/MediaPlayer.h"

#include <QObject>

#include <optional>

namespace tamsel {

class ChimeReader;
class SoundOutput;

class ChimePlayer final : public MediaPlayer {
public:
    // The player looks at files through reader and sends what it plays to output; both outlive
    // it.
    ChimePlayer(ChimeReader& reader, SoundOutput& output);

    void setFileName(const QString& path) override;
    void open() override;
    void prev() override;
    void play() override;

    // Whether the looks so far found a chime it can play.
    bool isPlayable() const { return sound_.has_value(); }

private:
    void look();
    void onLooked(std::optional<ChimeLook> look);

    ChimeReader& reader_;
    SoundOutput& output_;
    QObject context_; // the looks report back in its name
    QString fileName_;
    std::optional<ChimeStamp> opened_;
    std::optional<PcmSound> sound_;
    bool looking_ = false;
    bool lookAgain_ = false;
    bool playWhenLooked_ = false;
};

} // namespace tamsel
