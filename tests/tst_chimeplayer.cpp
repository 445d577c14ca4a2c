// The chime player with real files: what it plays, what it refuses without blocking, and that
// opening the same file again reads nothing.
#include "chime/ChimePlayer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace tamsel;

class TestChimePlayer final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void playsTheShippedChime();
    void refusesWhatIsNoChime_data();
    void refusesWhatIsNoChime();
    void openingTheSameFileReadsNothing();
    void chimeThatAppearsLaterIsFound();

private:
    QString chime() const { return QFINDTESTDATA("../content/Zikan.wav"); }
    QString copyOfChime(const QString& name) const;

    std::unique_ptr<QTemporaryDir> dir;
};

void TestChimePlayer::init()
{
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
}

QString TestChimePlayer::copyOfChime(const QString& name) const
{
    const QString path = dir->filePath(name);
    QFile::copy(chime(), path);
    return path;
}

void TestChimePlayer::playsTheShippedChime()
{
    QVERIFY(!chime().isEmpty());
    ChimePlayer player;
    player.setFileName(chime());
    player.open();
    QVERIFY(player.isPlayable());
    // Rewinding and playing return at once, with or without a sound server.
    QElapsedTimer elapsed;
    elapsed.start();
    player.prev();
    player.play();
    QVERIFY(elapsed.elapsed() < 2000);
}

void TestChimePlayer::refusesWhatIsNoChime_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("directory") << "directory";
    QTest::newRow("named pipe with no writer") << "fifo";
    QTest::newRow("1 GB file") << "huge";
    QTest::newRow("text file") << "text";
    QTest::newRow("empty file") << "empty";
}

void TestChimePlayer::refusesWhatIsNoChime()
{
    QFETCH(QString, kind);
    const QString path = dir->filePath(QStringLiteral("Zikan.wav"));
    if (kind == QStringLiteral("directory")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind == QStringLiteral("fifo")) {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    } else if (kind != QStringLiteral("missing")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == QStringLiteral("huge")) {
            // A sparse file: a RIFF header at the front of a gigabyte of nothing.
            QFile::copy(chime(), path + QStringLiteral(".src"));
            QFile source(path + QStringLiteral(".src"));
            QVERIFY(source.open(QIODevice::ReadOnly));
            file.write(source.read(4096));
            QVERIFY(file.resize(qint64(1) << 30));
        } else if (kind == QStringLiteral("text")) {
            file.write("Not a sound at all.\n");
        }
    }

    ChimePlayer player;
    player.setFileName(path);
    QElapsedTimer elapsed;
    elapsed.start();
    for (int tick = 0; tick < 3; ++tick)
        player.open();
    player.prev();
    player.play();
    QVERIFY(!player.isPlayable());
    QVERIFY2(elapsed.elapsed() < 1000, "refusing a file must not block");
}

void TestChimePlayer::openingTheSameFileReadsNothing()
{
    const QString path = copyOfChime(QStringLiteral("Zikan.wav"));
    ChimePlayer player;
    player.setFileName(path);
    player.open();
    QVERIFY(player.isPlayable());

    // Spoil the file behind the player's back but keep its size and time: a second Open that
    // read the file again would find it unplayable.
    QFile file(path);
    const QDateTime modified = QFileInfo(path).lastModified();
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.write("JUNKJUNKJUNK");
    file.flush();
    file.setFileTime(modified, QFileDevice::FileModificationTime);
    file.close();
    player.setFileName(path);
    player.open();
    QVERIFY(player.isPlayable());

    // A file that really changed is looked at again.
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.setFileTime(modified.addSecs(5), QFileDevice::FileModificationTime);
    file.close();
    player.open();
    QVERIFY(!player.isPlayable());
}

void TestChimePlayer::chimeThatAppearsLaterIsFound()
{
    const QString path = dir->filePath(QStringLiteral("Zikan.wav"));
    ChimePlayer player;
    player.setFileName(path);
    player.open();
    QVERIFY(!player.isPlayable());
    QVERIFY(QFile::copy(chime(), path));
    player.open();
    QVERIFY(player.isPlayable());
}

QTEST_MAIN(TestChimePlayer)
#include "tst_chimeplayer.moc"
