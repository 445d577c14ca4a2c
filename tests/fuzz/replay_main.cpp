// Runs a fuzz target over saved inputs without libFuzzer, so that the normal build replays every
// seed and regression input under ctest. Arguments are files or folders of files.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

bool replay(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "replay: cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray input = file.readAll();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input.constData()),
                           static_cast<std::size_t>(input.size()));
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    int replayed = 0;
    bool ok = argc > 1;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        QStringList files{argument};
        if (QFileInfo(argument).isDir()) {
            files.clear();
            const QDir folder(argument);
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
                files << folder.filePath(name);
        }
        for (const QString& file : std::as_const(files)) {
            ok = replay(file) && ok;
            ++replayed;
        }
    }
    std::printf("replay: %d inputs\n", replayed);
    return ok && replayed > 0 ? 0 : 1;
}
