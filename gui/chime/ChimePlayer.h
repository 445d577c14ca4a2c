#pragma once
// The media player of the exam window, over Qt Multimedia's sound effect. It checks a file before
// handing it on: only a regular, reasonably small PCM wave file is played, so that a directory, a
// pipe, a huge file or garbage under the chime's name can neither block nor break the window.
// Opening the file it already holds costs an open and an fstat: nothing is read or decoded again.

#include "sound/MediaPlayer.h"

#include <QObject>

#include <optional>

class QSoundEffect;

namespace tamsel {

class ChimePlayer final : public QObject, public MediaPlayer {
    Q_OBJECT

public:
    static constexpr qint64 largestChimeBytes = 16 * 1024 * 1024;

    explicit ChimePlayer(QObject* parent = nullptr);

    void setFileName(const QString& path) override;
    void open() override;
    void prev() override;
    void play() override;

    // Whether the last "Open" found a chime it can play.
    bool isPlayable() const { return playable_; }

private:
    struct FileStamp {
        QString path;
        bool regular = false;
        qint64 size = -1;
        qint64 modifiedMilliseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };

    static bool holdsPlayableWave(int fd);

    QString fileName_;
    std::optional<FileStamp> opened_;
    bool playable_ = false;
    QSoundEffect* effect_ = nullptr; // made with the first playable file, not at start-up
};

} // namespace tamsel
