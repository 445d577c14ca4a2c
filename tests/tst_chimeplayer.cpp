// The chime's file and player: what is read and what is refused without blocking, that a chime
// sounds at every time-up of a session, that "Prev" and the end stop a chime that sounds, that a
// stuck sound server is left behind, and that a chime that cannot sound is told once.
#include "chime/ChimeFile.h"
#include "chime/ChimePlayer.h"
#include "chime/SystemSoundOutput.h"
#include "sound/SoundOutput.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QtEndian>

#include <atomic>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

using namespace tamsel;

namespace {

// Records what the player sends to the sound server. A play that holds lasts until it is told
// to stop, or, when stuck, until the test lets it go.
class RecordingOutput final : public SoundOutput {
public:
    enum class Play { Ends, Holds, Stuck };

    Result play(const PcmSound& sound, const std::function<bool()>& stopping) override
    {
        {
            const QMutexLocker lock(&mutex_);
            played_ << sound.samples;
        }
        while ((how == Play::Holds && !stopping()) || (how == Play::Stuck && !released))
            QThread::yieldCurrentThread();
        if (how == Play::Ends)
            return {Outcome::Played, {}};
        ++stopped;
        return {Outcome::Stopped, {}};
    }

    ~RecordingOutput() override
    {
        if (gone)
            *gone = true;
    }

    QList<QByteArray> played() const
    {
        const QMutexLocker lock(&mutex_);
        return played_;
    }

    std::atomic<Play> how = Play::Ends;
    std::atomic<bool> released = false;
    std::atomic<int> stopped = 0;
    std::atomic<bool>* gone = nullptr; // set when the output goes

private:
    mutable QMutex mutex_;
    QList<QByteArray> played_;
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

// What is written on stderr while it lives.
class StderrCapture final {
public:
    explicit StderrCapture(const QString& path)
        : path_(path)
    {
        std::fflush(stderr);
        file_ = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        saved_ = ::dup(2);
        ::dup2(file_, 2);
    }
    ~StderrCapture() { restore(); }
    QString text()
    {
        restore();
        QFile written(path_);
        return written.open(QIODevice::ReadOnly) ? QString::fromUtf8(written.readAll()) : QString();
    }

private:
    void restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(std::exchange(saved_, -1));
        ::close(file_);
    }
    QString path_;
    int file_ = -1;
    int saved_ = -1;
};

} // namespace

class TestChimePlayer final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void readsTheShippedChime();
    void refusesWhatIsNoChime_data();
    void refusesWhatIsNoChime();
    void readsWhatTheDataChunkHolds();
    void chimesAtEveryTimeUpOfASession();
    void prevAndTheEndStopAChimeThatSounds();
    void stuckSoundIsLeftBehind();
    void chimeThatCannotSoundIsToldOnce_data();
    void chimeThatCannotSoundIsToldOnce();

private:
    QString chime() const { return QFINDTESTDATA("../content/Zikan.wav"); }
    QString path() const { return dir->filePath(QStringLiteral("Zikan.wav")); }
    void write(const QByteArray& bytes) const;
    // Makes a thing of this kind that is no file (a pipe, a device, a link loop, a directory)
    // where the chime is looked for, as this system has it; returns the name to read it by, or
    // an empty name when it could not be made.
    QString makeSpecial(const QString& kind);
    // Start, the ticks' opens, time-up: as the exam window drives its player.
    static void attempt(ChimePlayer& player, const QString& file);

    std::unique_ptr<QTemporaryDir> dir;
#ifdef Q_OS_WIN
    HANDLE pipe_ = INVALID_HANDLE_VALUE;
#endif
};

void TestChimePlayer::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

void TestChimePlayer::write(const QByteArray& bytes) const
{
    QFile file(path());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestChimePlayer::attempt(ChimePlayer& player, const QString& file)
{
    for (int tick = 0; tick < 3; ++tick) {
        player.setFileName(file);
        player.open();
    }
    player.prev();
    player.play();
}

void TestChimePlayer::readsTheShippedChime()
{
    QFile shipped(chime());
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const ChimeFile file = readChimeFile(chime());
    QVERIFY(file.sound);
    // The samples are the file after its 44-byte header.
    QCOMPARE(file.sound->samples, shipped.readAll().mid(44));
}

void TestChimePlayer::refusesWhatIsNoChime_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("missing file") << "missing"
                                  << "No such file";
    QTest::newRow("directory") << "directory"
                               << "not a regular file";
    QTest::newRow("named pipe with no writer") << "fifo"
                                               << "not a regular file";
#ifdef Q_OS_WIN
    // Refused in the system's words: the console is a device where a program has one and no
    // file at all where it has none (Wine), and a link loop is unresolvable on Windows and
    // missing under Wine.
    const char* const terminalRefusal = "";
    const char* const loopRefusal = "";
#else
    const char* const terminalRefusal = "not a regular file";
    const char* const loopRefusal = "symbolic links";
#endif
    QTest::newRow("terminal") << "terminal" << terminalRefusal;
    QTest::newRow("endless device") << "urandom"
                                    << "not a regular file";
    QTest::newRow("symbolic link loop") << "loop" << loopRefusal;
    QTest::newRow("1 GB file") << "huge"
                               << "larger than";
    QTest::newRow("text file") << "text"
                               << "not an uncompressed wave";
    QTest::newRow("empty file") << "empty"
                                << "not an uncompressed wave";
    QTest::newRow("data chunk shorter than a frame") << "short"
                                                     << "not an uncompressed wave";
}

void TestChimePlayer::refusesWhatIsNoChime()
{
    QFETCH(QString, kind);
    QFETCH(QString, why);
    QString read = path();
    if (kind == QStringLiteral("huge")) {
        // A sparse file: a wave header at the front of a gigabyte of nothing.
        write(wave(0xFFFFFFFF, 0));
        QVERIFY(QFile::resize(path(), qint64(1) << 30));
    } else if (kind == QStringLiteral("text")) {
        write("Not a sound at all.\n");
    } else if (kind == QStringLiteral("empty")) {
        write({});
    } else if (kind == QStringLiteral("short")) {
        write(wave(3, 1));
    } else if (kind != QStringLiteral("missing")) {
        read = makeSpecial(kind);
        QVERIFY2(!read.isEmpty(), qPrintable(kind));
    }
    // A pipe with no writer or a terminal would block a reader that opened it: this returns.
    const ChimeFile file = readChimeFile(read);
    QVERIFY(!file.sound);
    QVERIFY2(file.whyNoSound.contains(why), qPrintable(file.whyNoSound));
}

#ifdef Q_OS_WIN
QString TestChimePlayer::makeSpecial(const QString& kind)
{
    // Windows names its pipes and devices apart from the files; a pipe is there while its
    // server's handle is open.
    if (kind == QStringLiteral("fifo")) {
        const QString name =
            QStringLiteral("\\\\.\\pipe\\tamsel-chime-%1").arg(GetCurrentProcessId());
        pipe_ = CreateNamedPipeW(qUtf16Printable(name), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 0,
                                 0, 0, nullptr);
        return pipe_ == INVALID_HANDLE_VALUE ? QString() : name;
    }
    if (kind == QStringLiteral("terminal"))
        return QStringLiteral("CON");
    if (kind == QStringLiteral("urandom"))
        return QStringLiteral("NUL");
    const QString name = QDir::toNativeSeparators(path());
    if (kind == QStringLiteral("loop") &&
        !CreateSymbolicLinkW(qUtf16Printable(name), qUtf16Printable(name),
                             SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        return QString();
    if (kind == QStringLiteral("directory") && !QDir().mkdir(path()))
        return QString();
    return path();
}

void TestChimePlayer::cleanup()
{
    if (pipe_ != INVALID_HANDLE_VALUE)
        CloseHandle(std::exchange(pipe_, INVALID_HANDLE_VALUE));
}
#else
QString TestChimePlayer::makeSpecial(const QString& kind)
{
    const QByteArray name = QFile::encodeName(path());
    const bool made = [&] {
        if (kind == QStringLiteral("fifo"))
            return ::mkfifo(name.constData(), 0600) == 0;
        if (kind == QStringLiteral("terminal"))
            return ::symlink("/dev/tty", name.constData()) == 0;
        if (kind == QStringLiteral("urandom"))
            return ::symlink("/dev/urandom", name.constData()) == 0;
        if (kind == QStringLiteral("loop"))
            return ::symlink(name.constData(), name.constData()) == 0;
        return kind == QStringLiteral("directory") && QDir().mkdir(path());
    }();
    return made ? path() : QString();
}

void TestChimePlayer::cleanup() {}
#endif

void TestChimePlayer::readsWhatTheDataChunkHolds()
{
    // Headers that claim more than the file holds give what there is, in whole frames.
    for (const quint32 claimed : {0x7FFFFFFFU, 0xFFFFFFFFU, 1001U}) {
        write(wave(claimed, 1001));
        const ChimeFile file = readChimeFile(path());
        QVERIFY(file.sound);
        QCOMPARE(file.sound->samples, QByteArray(1000, '\x20'));
    }
}

void TestChimePlayer::chimesAtEveryTimeUpOfASession()
{
    QVERIFY(QFile::copy(chime(), path()));
    auto output = std::make_unique<RecordingOutput>();
    RecordingOutput& heard = *output;
    ChimePlayer player(std::move(output));
    attempt(player, path());
    QTRY_COMPARE(heard.played().size(), 1);

    // The file is read at the first open of its name only: spoiled afterwards, the chime read
    // at first still sounds, at every time-up.
    write("JUNK");
    for (int time = 2; time <= 8; ++time) {
        attempt(player, path());
        QTRY_COMPARE(heard.played().size(), time);
    }
    for (const QByteArray& samples : heard.played())
        QCOMPARE(samples.size(), 229364 - 44);
    QVERIFY(player.finish());
}

void TestChimePlayer::prevAndTheEndStopAChimeThatSounds()
{
    QVERIFY(QFile::copy(chime(), path()));
    auto output = std::make_unique<RecordingOutput>();
    RecordingOutput& heard = *output;
    heard.how = RecordingOutput::Play::Holds;
    ChimePlayer player(std::move(output));
    attempt(player, path());
    QTRY_COMPARE(heard.played().size(), 1);
    // The next time-up rewinds: the chime that sounds stops, the new one sounds.
    player.prev();
    player.play();
    QTRY_COMPARE(heard.played().size(), 2);
    QCOMPARE(heard.stopped.load(), 1);
    // The end stops it too, and the thread ends.
    QVERIFY(player.finish());
    QCOMPARE(heard.stopped.load(), 2);
}

void TestChimePlayer::stuckSoundIsLeftBehind()
{
    QVERIFY(QFile::copy(chime(), path()));
    auto output = std::make_unique<RecordingOutput>();
    RecordingOutput& heard = *output;
    heard.how = RecordingOutput::Play::Stuck;
    std::atomic<bool> gone = false;
    heard.gone = &gone;
    {
        ChimePlayer player(std::move(output));
        attempt(player, path());
        QTRY_COMPARE(heard.played().size(), 1);
        QVERIFY2(!player.finish(QDeadlineTimer(0)), "a stuck sound thread is left behind");
        // The window's thread goes on: nothing more is taken, nothing waits.
        attempt(player, path());
        QVERIFY(!player.finish());
    }
    // Let go, the thread left behind ends its work and lets the output go.
    heard.released = true;
    QTRY_VERIFY(gone);
}

void TestChimePlayer::chimeThatCannotSoundIsToldOnce_data()
{
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<QString>("why");
    QTest::newRow("no file") << false << "Zikan.wav: No such file";
    QTest::newRow("no sound server") << true << "no sound server";
}

void TestChimePlayer::chimeThatCannotSoundIsToldOnce()
{
    QFETCH(bool, fileThere);
    QFETCH(QString, why);
    if (fileThere)
        QVERIFY(QFile::copy(chime(), path()));
    const QByteArray nowhere = "unix:" + QFile::encodeName(dir->filePath(QStringLiteral("none")));
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", nowhere);
    StderrCapture said(dir->filePath(QStringLiteral("stderr")));
    {
        ChimePlayer player(makeSystemSoundOutput());
        for (int time = 0; time < 3; ++time)
            attempt(player, path());
        QVERIFY(player.finish(QDeadlineTimer::Forever));
    }
    if (server.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", server);
    const QString text = said.text();
    QCOMPARE(text.count(QStringLiteral("no chime will sound")), 1);
    QCOMPARE(text.count(u'\n'), 1);
    QVERIFY2(text.contains(why), qPrintable(text));
}

QTEST_MAIN(TestChimePlayer)
#include "tst_chimeplayer.moc"
