#include "chime/ChimeFile.h"

#include <QDir>

#include <windows.h>

#include <memory>

namespace tamsel {
namespace {

struct HandleClose {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleClose>;

Handle adopt(HANDLE handle)
{
    return Handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

ChimeFile noSound(const char* why)
{
    return {std::nullopt, QString::fromUtf8(why)};
}

// The words of the POSIX build for the failures a student can cause, so that both say the same.
ChimeFile noSoundFromError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return noSound("No such file or directory");
    case ERROR_CANT_RESOLVE_FILENAME:
        return noSound("Too many levels of symbolic links");
    case ERROR_ACCESS_DENIED:
        return noSound("Permission denied");
    default:
        return {std::nullopt, QStringLiteral("cannot be opened (Windows error %1)").arg(error)};
    }
}

// The whole of a regular file, read from the handle that was checked.
QByteArray readAll(HANDLE file, qint64 size)
{
    QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                      nullptr) ||
            got == 0)
            break;
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

} // namespace

ChimeFile readChimeFile(const QString& path)
{
    // The name is resolved once, to a handle that may read attributes and nothing else, so it
    // reads from no device and no pipe; directories open too (backup semantics), to be refused
    // below like any other thing that is no regular file. Links are followed, as a reader would.
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const Handle named = adopt(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, shareAll, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!named)
        return noSoundFromError(GetLastError());
    BY_HANDLE_FILE_INFORMATION status{};
    constexpr DWORD notRegular =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_REPARSE_POINT;
    if (GetFileType(named.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(named.get(), &status) ||
        (status.dwFileAttributes & notRegular) != 0)
        return noSound("not a regular file");
    const qint64 size = (qint64(status.nFileSizeHigh) << 32) | status.nFileSizeLow;
    if (size > largestChimeBytes)
        return noSound("larger than 16 MiB");

    // Reopened for reading through that handle: the file read is the one checked, whatever has
    // taken its name since.
    const Handle file = adopt(ReOpenFile(named.get(), GENERIC_READ, shareAll, 0));
    if (!file)
        return noSoundFromError(GetLastError());
    std::optional<PcmSound> sound = readPcmSound(readAll(file.get(), size));
    if (!sound)
        return noSound("not an uncompressed wave file of 8 to 32 bits, mono or stereo");
    return {std::move(sound), {}};
}

} // namespace tamsel
