#include "chime/ChimePlayer.h"

#include "sound/WaveFormat.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamsel {
namespace {

// Enough for a RIFF header with a few chunks before the data.
constexpr qint64 headerBytes = 4096;

// An open file, closed when it goes.
class FileDescriptor final {
public:
    explicit FileDescriptor(int fd)
        : fd_(fd)
    {
    }
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_ = -1;
};

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
    // Opening without blocking and asking the open file what it is leaves no moment in which a
    // pipe put in the chime's place could make the window wait for a writer.
    const FileDescriptor fd(
        ::open(QFile::encodeName(fileName_).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    FileStamp stamp{fileName_};
    if (fd.get() >= 0 && ::fstat(fd.get(), &status) == 0) {
        stamp.regular = S_ISREG(status.st_mode);
        stamp.size = status.st_size;
        stamp.modifiedMilliseconds =
            qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1'000'000;
    }
    if (opened_ == stamp)
        return;
    opened_ = stamp;

    playable_ = stamp.regular && stamp.size <= largestChimeBytes && holdsPlayableWave(fd.get());
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

bool ChimePlayer::holdsPlayableWave(int fd)
{
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return false;
    return readPcmWaveFormat(file.read(headerBytes)).has_value();
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
