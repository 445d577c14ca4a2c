#include "chime/ChimeFile.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tamsel {
namespace {

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

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The whole of a regular file, read from the descriptor that was checked.
QByteArray readAll(int fd, qint64 size)
{
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            ::read(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

} // namespace

std::optional<ChimeLook> lookAtChime(const QString& path, const std::optional<ChimeStamp>& last)
{
    // What the name stands for is asked without opening it, so that no device is ever opened and
    // no pipe can make the reader wait for a writer.
    const QByteArray name = QFile::encodeName(path);
    const FileDescriptor named(::open(name.constData(), O_PATH | O_CLOEXEC));
    struct stat status {};
    ChimeLook look{{path}, std::nullopt};
    ChimeStamp& stamp = look.stamp;
    if (named.get() >= 0 && ::fstat(named.get(), &status) == 0) {
        stamp.regular = S_ISREG(status.st_mode);
        stamp.size = status.st_size;
        stamp.modifiedMilliseconds =
            qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1'000'000;
    }
    if (last == stamp)
        return std::nullopt;
    if (!stamp.regular || stamp.size > largestChimeBytes)
        return look;

    // Opened for reading only if it is still the file that was looked at; should anything else
    // have taken its name in between, it cannot block nor become the controlling terminal.
    const FileDescriptor file(
        ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat opened {};
    if (file.get() >= 0 && ::fstat(file.get(), &opened) == 0 && sameFile(status, opened))
        look.sound = readPcmSound(readAll(file.get(), stamp.size));
    return look;
}

} // namespace tamsel
