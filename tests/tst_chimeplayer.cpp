// The chime player with real files: what it plays, what it refuses without blocking, that it
// plays the bytes it checked whatever takes the file's name later, that opening the same file
// again reads nothing, and that the program's reader does all that away from the window's thread.
// The sound module's output with a sound server that never answers, and without its module.
#include "chime/ChimePlayer.h"
#include "chime/ChimeReader.h"
#include "chime/SoundModuleOutput.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cstdio>
#include <optional>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace tamsel;

namespace {

// Records what the player sends to the sound device.
class RecordingOutput final : public SoundOutput {
public:
    void prepare() override { ++prepared; }
    void play(const PcmSound& sound) override { played << sound.samples; }
    void stop() override { ++stopped; }

    int prepared = 0;
    int stopped = 0;
    QList<QByteArray> played;
};

// Looks at the file at once, on the caller's thread.
class ReadAtOnce final : public ChimeReader {
public:
    void look(const QString& path, std::optional<ChimeStamp> last, QObject*, Done done) override
    {
        done(lookAtChime(path, last));
    }
};

// A 16-bit mono wave file whose data chunk claims claimedBytes and holds heldBytes.
QByteArray wave(quint32 claimedBytes, int heldBytes)
{
    QByteArray bytes(
        "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xac\0\0\x88\x58\x01\0\x02\0\x10\0"
        "data\0\0\0\0",
        44);
    qToLittleEndian(claimedBytes, bytes.data() + 40);
    return bytes + QByteArray(heldBytes, '\x20');
}

} // namespace

class TestChimePlayer final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void playsTheShippedChime();
    void refusesWhatIsNoChime_data();
    void refusesWhatIsNoChime();
    void playsWhatTheDataChunkHolds();
    void playsTheBytesItChecked();
    void openingTheSameFileReadsNothing();
    void chimeThatAppearsLaterIsFound();
    void readingHoldsUpNothing();
    void soundServerThatNeverAnswersHoldsUpNothing();
    void missingModuleSaysWhyOnce();

private:
    QString chime() const { return QFINDTESTDATA("../content/Zikan.wav"); }
    QString path() const { return dir->filePath(QStringLiteral("Zikan.wav")); }
    void write(const QByteArray& bytes) const;
    // A fresh player on file, opened once.
    ChimePlayer& openedOn(const QString& file);

    std::unique_ptr<QTemporaryDir> dir;
    ReadAtOnce reader;
    RecordingOutput output;
    std::optional<ChimePlayer> player_;
};

void TestChimePlayer::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    player_.reset();
    output = RecordingOutput();
}

ChimePlayer& TestChimePlayer::openedOn(const QString& file)
{
    player_.emplace(reader, output);
    player_->setFileName(file);
    player_->open();
    return *player_;
}

void TestChimePlayer::write(const QByteArray& bytes) const
{
    QFile file(path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestChimePlayer::playsTheShippedChime()
{
    QFile shipped(chime());
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray bytes = shipped.readAll();
    ChimePlayer& player = openedOn(chime());
    QVERIFY(player.isPlayable());
    QCOMPARE(output.prepared, 1);
    player.prev();
    player.play();
    QCOMPARE(output.stopped, 1);
    QCOMPARE(output.played.size(), 1);
    // The samples are the file after its 44-byte header.
    QCOMPARE(output.played[0], bytes.mid(44));
}

void TestChimePlayer::refusesWhatIsNoChime_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("directory") << "directory";
    QTest::newRow("named pipe with no writer") << "fifo";
    QTest::newRow("terminal") << "terminal";
    QTest::newRow("symbolic link loop") << "loop";
    QTest::newRow("1 GB file") << "huge";
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("data chunk shorter than a frame") << "short";
}

void TestChimePlayer::refusesWhatIsNoChime()
{
    QFETCH(QString, kind);
    const QByteArray name = QFile::encodeName(path());
    if (kind == QStringLiteral("directory")) {
        QVERIFY(QDir().mkdir(path()));
    } else if (kind == QStringLiteral("fifo")) {
        QCOMPARE(::mkfifo(name.constData(), 0600), 0);
    } else if (kind == QStringLiteral("terminal")) {
        QCOMPARE(::symlink("/dev/tty", name.constData()), 0);
    } else if (kind == QStringLiteral("loop")) {
        QCOMPARE(::symlink(name.constData(), name.constData()), 0);
    } else if (kind == QStringLiteral("huge")) {
        // A sparse file: a wave header at the front of a gigabyte of nothing.
        write(wave(0xFFFFFFFF, 0));
        QVERIFY(QFile::resize(path(), qint64(1) << 30));
    } else if (kind == QStringLiteral("text")) {
        write("Not a sound at all.\n");
    } else if (kind == QStringLiteral("empty")) {
        write({});
    } else if (kind == QStringLiteral("short")) {
        write(wave(3, 1));
    }

    ChimePlayer player(reader, output);
    player.setFileName(path());
    QElapsedTimer elapsed;
    elapsed.start();
    for (int tick = 0; tick < 3; ++tick)
        player.open();
    player.prev();
    player.play();
    QVERIFY(!player.isPlayable());
    QVERIFY2(elapsed.elapsed() < 1000, "refusing a file must not block");
    // Nothing of a refused file reaches the sound device, nor wakes it.
    QCOMPARE(output.prepared + output.stopped + output.played.size(), 0);
}

void TestChimePlayer::playsWhatTheDataChunkHolds()
{
    // Headers that claim more than the file holds play what there is, in whole frames.
    for (const quint32 claimed : {0x7FFFFFFFU, 0xFFFFFFFFU, 1001U}) {
        write(wave(claimed, 1001));
        openedOn(path()).play();
        QCOMPARE(output.played.takeLast(), QByteArray(1000, '\x20'));
    }
}

void TestChimePlayer::playsTheBytesItChecked()
{
    QVERIFY(QFile::copy(chime(), path()));
    ChimePlayer& player = openedOn(path());
    QVERIFY(player.isPlayable());

    // A pipe takes the chime's name after the check: the sound played is the one checked, and
    // nothing waits for the pipe.
    const QString pipe = dir->filePath(QStringLiteral("pipe"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(::rename(QFile::encodeName(pipe).constData(), QFile::encodeName(path()).constData()),
             0);
    player.prev();
    player.play();
    QCOMPARE(output.played.size(), 1);
    QCOMPARE(output.played[0].size(), 229364 - 44);

    // The next Open sees the pipe and lets the chime go.
    player.open();
    QVERIFY(!player.isPlayable());
}

void TestChimePlayer::openingTheSameFileReadsNothing()
{
    QVERIFY(QFile::copy(chime(), path()));
    ChimePlayer& player = openedOn(path());
    QVERIFY(player.isPlayable());

    // Spoil the file behind the player's back but keep its size and time: a second Open that
    // read the file again would find it unplayable.
    QFile file(path());
    const QDateTime modified = QFileInfo(path()).lastModified();
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.write("JUNKJUNKJUNK");
    file.flush();
    file.setFileTime(modified, QFileDevice::FileModificationTime);
    file.close();
    player.setFileName(path());
    player.open();
    QVERIFY(player.isPlayable());
    QCOMPARE(output.prepared, 1);

    // A file that really changed is looked at again.
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.setFileTime(modified.addSecs(5), QFileDevice::FileModificationTime);
    file.close();
    player.open();
    QVERIFY(!player.isPlayable());
}

void TestChimePlayer::chimeThatAppearsLaterIsFound()
{
    ChimePlayer& player = openedOn(path());
    QVERIFY(!player.isPlayable());
    QVERIFY(QFile::copy(chime(), path()));
    player.open();
    QVERIFY(player.isPlayable());
}

void TestChimePlayer::readingHoldsUpNothing()
{
    // The largest chime there is, a new one at every tick, with the time up at the third.
    write(wave(0xFFFFFFFF, int(largestChimeBytes) - 44));
    ThreadedChimeReader threaded;
    ChimePlayer player(threaded, output);
    player.setFileName(path());
    QElapsedTimer elapsed;
    elapsed.start();
    for (int tick = 0; tick < 3; ++tick) {
        player.open();
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(tick + 1),
                                 QFileDevice::FileModificationTime));
    }
    player.prev();
    player.play();
    QVERIFY2(elapsed.elapsed() < 50, "the window's thread reads nothing");
    QVERIFY(output.played.isEmpty());
    // Once the looks are done, the chime they found plays, once.
    QTRY_COMPARE(output.played.size(), 1);
    QCOMPARE(output.played[0].size(), largestChimeBytes - 44);
    QVERIFY(threaded.finish());
}

void TestChimePlayer::soundServerThatNeverAnswersHoldsUpNothing()
{
    // A sound server that takes the connection and then says nothing.
    const QByteArray socketPath = QFile::encodeName(dir->filePath(QStringLiteral("silent")));
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(server >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    qstrncpy(address.sun_path, socketPath.constData(), sizeof address.sun_path);
    QCOMPARE(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    QCOMPARE(::listen(server, 8), 0);
    qputenv("PULSE_SERVER", "unix:" + socketPath);

    QFile shipped(chime());
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const std::optional<PcmSound> sound = readPcmSound(shipped.readAll());
    QVERIFY(sound);
    QElapsedTimer elapsed;
    elapsed.start();
    {
        SoundModuleOutput module(QStringLiteral(TAMSEL_SOUND_MODULE));
        module.prepare();
        module.stop();
        module.play(*sound);
        QVERIFY2(elapsed.elapsed() < 200, "sound calls return at once");
        // Give the module time to load and to get stuck in the server.
        QTest::qWait(300);
        QVERIFY2(!module.finish(), "the thread stuck in the server is left behind");
    }
    QVERIFY2(elapsed.elapsed() < 300 + BackgroundThread::endMilliseconds + 300,
             "the end of the program waits for the sound thread no longer than it allows");
    ::close(server);
}

void TestChimePlayer::missingModuleSaysWhyOnce()
{
    // What the module's thread writes on stderr goes to a file for the while.
    const QString said = dir->filePath(QStringLiteral("stderr"));
    const int file = ::open(QFile::encodeName(said).constData(), O_WRONLY | O_CREAT, 0600);
    QVERIFY(file >= 0);
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(file, 2);
    {
        SoundModuleOutput module(dir->filePath(QStringLiteral("no-such-module.so")));
        module.prepare();
        module.stop();
        module.play(PcmSound{});
        QVERIFY(module.finish());
    }
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    ::close(file);
    QFile written(said);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    QCOMPARE(text.count(QStringLiteral("no chime will sound")), 1);
    QVERIFY2(text.contains(QStringLiteral("no-such-module.so")), qPrintable(text));
}

QTEST_MAIN(TestChimePlayer)
#include "tst_chimeplayer.moc"
