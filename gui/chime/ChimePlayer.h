#pragma once
// The media player of the exam window. It checks a file before anything is read from it: only a
// regular, reasonably small PCM wave file is read, once, and exactly the bytes that were checked
// are played, so that a directory, a pipe, a terminal, a huge file or garbage under the chime's
// name, or one swapped in later, can neither block nor break the window. Opening the file it
// already holds costs a look at its name (an open without access, and a stat): nothing is read
// or decoded again.

#include "sound/MediaPlayer.h"
#include "sound/WaveFormat.h"

#include <optional>

namespace tamsel {

class SoundOutput;

class ChimePlayer final : public MediaPlayer {
public:
    static constexpr qint64 largestChimeBytes = 16 * 1024 * 1024;

    // The player sends what it plays to output, which outlives it.
    explicit ChimePlayer(SoundOutput& output);

    void setFileName(const QString& path) override;
    void open() override;
    void prev() override;
    void play() override;

    // Whether the last "Open" found a chime it can play.
    bool isPlayable() const { return sound_.has_value(); }

private:
    struct FileStamp {
        QString path;
        bool regular = false;
        qint64 size = -1;
        qint64 modifiedMilliseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };

    SoundOutput& output_;
    QString fileName_;
    std::optional<FileStamp> opened_;
    std::optional<PcmSound> sound_;
};

} // namespace tamsel
