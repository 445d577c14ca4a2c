#include "chime/ChimeFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

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

ChimeFile noSound(const char* why)
{
    return {std::nullopt, QString::fromUtf8(why)};
}

} // namespace

ChimeFile readChimeFile(const QString& path)
{
    // The name is resolved once, to a descriptor that gives no access and so opens no device and
    // waits for no pipe's writer; what it stands for is checked through that descriptor.
    const FileDescriptor named(::open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC));
    struct stat status {};
    if (named.get() < 0 || ::fstat(named.get(), &status) != 0)
        return noSound(std::strerror(errno));
    if (!S_ISREG(status.st_mode))
        return noSound("not a regular file");
    if (status.st_size > largestChimeBytes)
        return noSound("larger than 16 MiB");

    // Reopened for reading through that descriptor: the file read is the one checked, whatever
    // has taken its name since.
    const QByteArray checked = "/proc/self/fd/" + QByteArray::number(named.get());
    const FileDescriptor file(::open(checked.constData(), O_RDONLY | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return noSound(std::strerror(errno));
    std::optional<PcmSound> sound = readPcmSound(readAll(file.get(), status.st_size));
    if (!sound)
        return noSound("not an uncompressed wave file of 8 to 32 bits, mono or stereo");
    return {std::move(sound), {}};
}

} // namespace tamsel
