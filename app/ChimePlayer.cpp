#include "app/ChimePlayer.h"

#include "app/WaveFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace tamsel {
namespace {

// Enough for a RIFF header with a few chunks before the data.
constexpr qint64 headerBytes = 4096;

bool holdsPlayableWave(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return readPcmWaveFormat(file.read(headerBytes)).has_value();
}

} // namespace

ChimePlayer::ChimePlayer(QObject* parent)
    : QObject(parent)
{
}

void ChimePlayer::setFileName(const QString& path)
{
    fileName_ = path;
}

void ChimePlayer::open()
{
    const QFileInfo info(fileName_);
    const FileStamp stamp{fileName_, info.isFile(), info.size(), info.lastModified()};
    if (opened_ == stamp)
        return;
    opened_ = stamp;

    // Only a regular file is opened at all: opening a pipe would wait for a writer.
    playable_ = stamp.regular && stamp.size <= largestChimeBytes && holdsPlayableWave(fileName_);
    if (!playable_) {
        if (effect_)
            effect_->setSource(QUrl());
        return;
    }
    if (!effect_)
        effect_ = new QSoundEffect(this);
    // Clearing first makes a changed file under the same name load again.
    effect_->setSource(QUrl());
    effect_->setSource(QUrl::fromLocalFile(fileName_));
}

void ChimePlayer::prev()
{
    if (effect_)
        effect_->stop();
}

void ChimePlayer::play()
{
    if (playable_ && effect_)
        effect_->play();
}

} // namespace tamsel
