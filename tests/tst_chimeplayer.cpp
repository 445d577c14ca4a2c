// The chime's file and player: what is read and what is refused without blocking, that a chime
// sounds at every time-up of a session, that "Prev" and the end stop a chime that sounds, that a
// stuck sound server is left behind, that a chime sounds within its bound of time-up or not at
// all, and that a chime that cannot sound is told once for each kind of failure.
#include "chime/ChimeFile.h"
#include "chime/ChimePlayer.h"
#include "chime/SystemSoundOutput.h"
#include "sound/SoundOutput.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QScopeGuard>
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

// Records what the player sends to the sound server. A play that ends is heard to its end at
// once; one that holds sounds until it is told to stop or let go; one that waits stands for a
// server that does not answer: it begins when the test lets it go, if the cue still allows;
// one that is stuck ignores the cue until let go. Scripted results, when there are any, are
// given in turn instead of playing.
class RecordingOutput final : public SoundOutput {
public:
    enum class Play { Ends, Holds, Waits, Stuck };

    Result play(const PcmSound& sound, SoundCue& cue) override
    {
        const auto returning = qScopeGuard([this] { ++returned; });
        {
            const QMutexLocker lock(&mutex_);
            asked_ << sound.samples;
            if (!script_.isEmpty())
                return script_.takeFirst();
        }
        while ((how == Play::Waits && !released && !cue.dropped()) ||
               (how == Play::Stuck && !released))
            QThread::yieldCurrentThread();
        if (how == Play::Stuck) {
            ++stopped;
            return {Outcome::Stopped, {}};
        }
        if (!cue.begin())
            return {Outcome::Dropped, QStringLiteral("the server answered too late")};
        {
            const QMutexLocker lock(&mutex_);
            heard_ << sound.samples;
        }
        while (how == Play::Holds && !cue.stopping() && !released)
            QThread::yieldCurrentThread();
        if (cue.stopping()) {
            ++stopped;
            return {Outcome::Stopped, {}};
        }
        return {Outcome::Played, {}};
    }

    ~RecordingOutput() override
    {
        if (gone)
            *gone = true;
    }

    // What the player asked to play, and what began to sound.
    QList<QByteArray> asked() const
    {
        const QMutexLocker lock(&mutex_);
        return asked_;
    }
    QList<QByteArray> heard() const
    {
        const QMutexLocker lock(&mutex_);
        return heard_;
    }
    void script(const QList<Result>& results)
    {
        const QMutexLocker lock(&mutex_);
        script_ = results;
    }

    std::atomic<Play> how = Play::Ends;
    std::atomic<bool> released = false;
    std::atomic<int> stopped = 0;
    std::atomic<int> returned = 0;
    std::atomic<bool>* gone = nullptr; // set when the output goes

private:
    mutable QMutex mutex_;
    QList<QByteArray> asked_;
    QList<QByteArray> heard_;
    QList<Result> script_;
};

// The system's output, counting the plays it has returned from.
class CountingOutput final : public SoundOutput {
public:
    explicit CountingOutput(std::unique_ptr<SoundOutput> output)
        : output_(std::move(output))
    {
    }
    void prepare(const std::function<bool()>& ending) override { output_->prepare(ending); }
    Result play(const PcmSound& sound, SoundCue& cue) override
    {
        const Result result = output_->play(sound, cue);
        ++returned;
        return result;
    }
    std::atomic<int> returned = 0;

private:
    const std::unique_ptr<SoundOutput> output_;
};

// The sound thread's clock, moved by the test alone.
struct TestClock {
    std::shared_ptr<std::atomic<qint64>> now = std::make_shared<std::atomic<qint64>>(1'000'000);
    MillisecondClock reader() const
    {
        return [now = now] { return now->load(); };
    }
    void advance(qint64 milliseconds) const { *now += milliseconds; }
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
    void staleChimeNeverSounds();
    void chimeSoundsAtItsTimeUpOrNotAtAll();
    void eachKindOfFailureIsToldOnce();
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
    QTRY_COMPARE(heard.heard().size(), 1);

    // The file is read at the first open of its name only: spoiled afterwards, the chime read
    // at first still sounds, at every time-up.
    write("JUNK");
    for (int time = 2; time <= 8; ++time) {
        attempt(player, path());
        QTRY_COMPARE(heard.heard().size(), time);
    }
    for (const QByteArray& samples : heard.heard())
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
    QTRY_COMPARE(heard.heard().size(), 1);
    // The next time-up rewinds: the chime that sounds stops, the new one sounds.
    player.prev();
    player.play();
    QTRY_COMPARE(heard.heard().size(), 2);
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
        QTRY_COMPARE(heard.asked().size(), 1);
        QVERIFY2(!player.finish(QDeadlineTimer(0)), "a stuck sound thread is left behind");
        // The window's thread goes on: nothing more is taken, nothing waits.
        attempt(player, path());
        QVERIFY(!player.finish());
    }
    // Let go, the thread left behind ends its work and lets the output go.
    heard.released = true;
    QTRY_VERIFY(gone);
}

void TestChimePlayer::staleChimeNeverSounds()
{
    // The server stops before time-up and goes on only after Score and the next Start: the
    // chime of the first attempt must not sound in the second.
    QVERIFY(QFile::copy(chime(), path()));
    auto output = std::make_unique<RecordingOutput>();
    RecordingOutput& heard = *output;
    heard.how = RecordingOutput::Play::Waits;
    const TestClock clock;
    StderrCapture said(dir->filePath(QStringLiteral("stderr")));
    ChimePlayer player(std::move(output), clock.reader());
    attempt(player, path());
    QTRY_COMPARE(heard.asked().size(), 1);
    player.dropWaiting(); // 得点
    player.dropWaiting(); // スタート
    heard.released = true;
    QTRY_COMPARE(heard.returned.load(), 1);
    QVERIFY(heard.heard().isEmpty());
    // The thread is free for the next attempt's chime, which sounds.
    heard.how = RecordingOutput::Play::Ends;
    attempt(player, path());
    QTRY_COMPARE(heard.heard().size(), 1);
    QVERIFY(player.finish());
    // Dropped by the student's going on, it is no failure to be told of.
    QCOMPARE(said.text(), QString());
}

void TestChimePlayer::chimeSoundsAtItsTimeUpOrNotAtAll()
{
    QVERIFY(QFile::copy(chime(), path()));
    auto output = std::make_unique<RecordingOutput>();
    RecordingOutput& heard = *output;
    heard.how = RecordingOutput::Play::Waits;
    const TestClock clock;
    StderrCapture said(dir->filePath(QStringLiteral("stderr")));
    ChimePlayer player(std::move(output), clock.reader());

    // A server that has not answered by the bound: the chime is dropped, and said to be.
    attempt(player, path());
    QTRY_COMPARE(heard.asked().size(), 1);
    clock.advance(chimeBoundMilliseconds - 1);
    attempt(player, path()); // a later time-up takes the place of the first, which goes quietly
    QTRY_COMPARE(heard.returned.load(), 1);
    // The bound is passed only once the sound thread waits on the server for the second.
    QTRY_COMPARE(heard.asked().size(), 2);
    clock.advance(chimeBoundMilliseconds);
    QTRY_COMPARE(heard.returned.load(), 2);

    // A server that answers within the bound: the chime sounds, and a Score while it sounds
    // lets it play to its end.
    heard.how = RecordingOutput::Play::Holds;
    attempt(player, path());
    QTRY_COMPARE(heard.heard().size(), 1);
    player.dropWaiting();
    clock.advance(chimeBoundMilliseconds);
    heard.released = true;
    QTRY_COMPARE(heard.returned.load(), 3);
    QCOMPARE(heard.stopped.load(), 0);

    // A time-up the thread comes to only after the bound, behind a server that held it up:
    // dropped without asking the server.
    heard.released = false;
    heard.how = RecordingOutput::Play::Stuck;
    attempt(player, path());
    QTRY_COMPARE(heard.asked().size(), 4);
    attempt(player, path());
    clock.advance(chimeBoundMilliseconds);
    heard.released = true;
    QVERIFY(player.finish());
    QCOMPARE(heard.asked().size(), 4);
    QCOMPARE(heard.heard().size(), 1);

    const QStringList lines = said.text().split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].startsWith(
                 QStringLiteral("tamsel: チャイムが鳴りませんでした。the chime did not sound: ")),
             qPrintable(lines[0]));
    QVERIFY2(lines[0].contains(QStringLiteral("the server answered too late")),
             qPrintable(lines[0]));
}

void TestChimePlayer::eachKindOfFailureIsToldOnce()
{
    QVERIFY(QFile::copy(chime(), path()));
    auto output = std::make_unique<RecordingOutput>();
    RecordingOutput& heard = *output;
    using Outcome = SoundOutput::Outcome;
    heard.script({{Outcome::Dropped, QStringLiteral("late 1")},
                  {Outcome::NoServer, QStringLiteral("none 1")},
                  {Outcome::Dropped, QStringLiteral("late 2")},
                  {Outcome::Played, {}},
                  {Outcome::Stalled, QStringLiteral("hung 1")},
                  {Outcome::NoServer, QStringLiteral("none 2")},
                  {Outcome::BrokeOff, QStringLiteral("gone 1")},
                  {Outcome::Stalled, QStringLiteral("hung 2")},
                  {Outcome::Stopped, {}}});
    const TestClock clock;
    StderrCapture said(dir->filePath(QStringLiteral("stderr")));
    {
        ChimePlayer player(std::move(output), clock.reader());
        for (int time = 1; time <= 9; ++time) {
            attempt(player, path());
            QTRY_COMPARE(heard.returned.load(), time);
        }
        QVERIFY(player.finish());
    }
    const QString did =
        QStringLiteral("tamsel: チャイムが鳴りませんでした。the chime did not sound: ");
    const QString broke =
        QStringLiteral("tamsel: チャイムが途中で止まりました。the chime broke off: ");
    // (Windows' stderr ends its lines with CR LF.)
    QCOMPARE(said.text().remove(u'\r'),
             did + QStringLiteral("late 1\n") + did + QStringLiteral("none 1\n") + broke +
                 QStringLiteral("hung 1\n") + broke + QStringLiteral("gone 1\n"));
}

void TestChimePlayer::chimeThatCannotSoundIsToldOnce_data()
{
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<QString>("line");
    QTest::newRow("no file") << false << "no chime will sound: ";
    QTest::newRow("no sound server") << true << "the chime did not sound: no sound server: ";
}

void TestChimePlayer::chimeThatCannotSoundIsToldOnce()
{
    QFETCH(bool, fileThere);
    QFETCH(QString, line);
    if (fileThere)
        QVERIFY(QFile::copy(chime(), path()));
    const QByteArray nowhere = "unix:" + QFile::encodeName(dir->filePath(QStringLiteral("none")));
    const QByteArray server = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", nowhere);
    StderrCapture said(dir->filePath(QStringLiteral("stderr")));
    {
        auto output = std::make_unique<CountingOutput>(makeSystemSoundOutput());
        const std::atomic<int>& returned = output->returned;
        ChimePlayer player(std::move(output));
        for (int time = 1; time <= 3; ++time) {
            attempt(player, path());
            if (fileThere)
                QTRY_COMPARE(returned.load(), time);
        }
        QVERIFY(player.finish(QDeadlineTimer::Forever));
    }
    if (server.isNull())
        qunsetenv("PULSE_SERVER");
    else
        qputenv("PULSE_SERVER", server);
    const QString text = said.text();
    QCOMPARE(text.count(u'\n'), 1);
    QVERIFY2(text.contains(line), qPrintable(text));
    QVERIFY2(text.contains(fileThere ? QStringLiteral("no sound server")
                                     : QStringLiteral("Zikan.wav: No such file")),
             qPrintable(text));
}

QTEST_MAIN(TestChimePlayer)
#include "tst_chimeplayer.moc"
