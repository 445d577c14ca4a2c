// The countdown's arithmetic, the chime's folder and the wave check, without any window.
#include "countdown/Countdown.h"
#include "sound/WaveFormat.h"
#include "system/AppFolder.h"

#include <QDateTime>
#include <QTest>
#include <QtEndian>

using namespace tamsel;

namespace {

qint64 at(const char* localTime)
{
    return QDateTime::fromString(QString::fromLatin1(localTime), Qt::ISODate).toSecsSinceEpoch();
}

// A wave header: RIFF, optional extra chunk, "fmt " and "data".
QByteArray wave(quint16 tag, quint16 channels, quint32 rate, quint16 bits, bool extraChunkFirst,
                bool dataFirst = false)
{
    const auto le32 = [](quint32 v) {
        QByteArray b(4, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    const auto le16 = [](quint16 v) {
        QByteArray b(2, '\0');
        qToLittleEndian(v, b.data());
        return b;
    };
    const QByteArray fmt = "fmt " + le32(16) + le16(tag) + le16(channels) + le32(rate) +
                           le32(rate * channels * bits / 8) +
                           le16(static_cast<quint16>(channels * bits / 8)) + le16(bits);
    const QByteArray data = "data" + le32(4) + QByteArray(4, '\x10');
    const QByteArray extra = "LIST" + le32(3) + QByteArray("abc") + '\0'; // odd size, padded
    QByteArray body = "WAVE";
    if (extraChunkFirst)
        body += extra;
    body += dataFirst ? data + fmt : fmt + data;
    return "RIFF" + le32(static_cast<quint32>(body.size())) + body;
}

} // namespace

class TestCountdown final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void displayFormat_data();
    void displayFormat();
    void minutesFollowTheClock_data();
    void minutesFollowTheClock();

    void appFolder_data();
    void appFolder();

    void waveFormat_data();
    void waveFormat();
};

void TestCountdown::displayFormat_data()
{
    QTest::addColumn<qint64>("secondsLater");
    QTest::addColumn<QString>("text");
    QTest::newRow("at start one hour") << qint64(0) << "1:00";
    QTest::newRow("after one minute") << qint64(60) << "0:59";
    QTest::newRow("ten minutes left") << qint64(50 * 60) << "0:10";
    QTest::newRow("one minute left") << qint64(59 * 60) << "0:01";
    QTest::newRow("time up") << qint64(60 * 60) << "0:00";
}

void TestCountdown::displayFormat()
{
    QFETCH(qint64, secondsLater);
    QFETCH(QString, text);
    const qint64 start = at("2026-12-08T10:15:00");
    Countdown countdown;
    countdown.start({start, 0});
    countdown.tick({start + secondsLater, secondsLater * 1000});
    QCOMPARE(countdown.display(), text);
    QCOMPARE(countdown.RemainingTime().toString(u"h:mm:ss"), text + QStringLiteral(":00"));
}

void TestCountdown::minutesFollowTheClock_data()
{
    // Steps on 2026-12-08: "@t" starts at t, "t+" is a tick at t that changes the display and
    // "t-" one that does not, "t..u-" a tick every second from t to u. A time without a colon is
    // in seconds since 1970. Real time passes as the wall clock moves unless a step says "t~r":
    // the wall clock reads t when r seconds (to the millisecond) have really passed since the
    // start. A start at "t.fff" is fff milliseconds into the second the wall clock reads as t.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("minutes"); // left after the last step
    QTest::newRow("start mid-minute waits for the clock minute")
        << "@10:15:40 10:15:59- 10:16:00+" << 59;
    QTest::newRow("start in the last second moves a second later") << "@10:15:59 10:16:00+" << 59;
    QTest::newRow("ticks within a minute change nothing")
        << "@10:15:00 10:16:00+ 10:16:01..10:16:59-" << 59;
    QTest::newRow("a late tick loses no minute") << "@10:15:40 10:15:59- 10:16:01+" << 59;
    QTest::newRow("two ticks in second 0 take one minute") << "@10:15:40 10:16:00+ 10:16:00-" << 59;
    // The count goes on from the corrected clock: an attempt is not frozen until the clock
    // catches up with where it stood.
    QTest::newRow("clock put back takes nothing off")
        << "@10:15:40 10:16:00+ 09:50:00~21- 09:50:30~51- 09:51:00~81+" << 58;
    // A wall clock set forward, by hand or by a large network time step, shortens nothing.
    QTest::newRow("clock set forward takes off only the time that passed")
        << "@10:15:40 10:16:00+ 10:26:05~26- 10:27:00~80+" << 58;
    QTest::newRow("clock set back and forward again takes off nothing more")
        << "@10:15:40 10:16:00+ 10:06:10~30- 10:16:10~40- 10:17:00~80+" << 58;
    QTest::newRow("a sleeping machine comes back further on") << "@10:15:40 10:25:30+" << 50;
    QTest::newRow("never below zero") << "@10:15:40 13:00:00+ 13:01:00-" << 0;
    QTest::newRow("clock before 1970") << "@-30 -1- 0+" << 59; // 23:59:30 UTC on 1969-12-31
    // The wall clock and the clock of real time are read one after the other, and a timer's
    // tick comes a little late or early: 2 ms between them must not cost a clock minute.
    QTest::newRow("two clocks a little apart lose no minute")
        << "@10:15:59.999 10:16:00+ 10:17:00~59.999+ 10:17:01~61- 10:18:00~120+" << 57;
    QTest::newRow("start again begins afresh")
        << "@10:15:40 10:40:00+ @10:45:10 10:45:59- 10:46:00+" << 59;
}

void TestCountdown::minutesFollowTheClock()
{
    QFETCH(QString, steps);
    QFETCH(int, minutes);
    const auto time = [](const QString& text) {
        return text.contains(u':') ? at(qPrintable(QStringLiteral("2026-12-08T") + text))
                                   : text.toLongLong();
    };
    Countdown countdown;
    qint64 startedMilliseconds = 0;
    for (const QString& step : steps.split(u' ')) {
        if (step.startsWith(u'@')) {
            const QStringList secondAndFraction = step.mid(1).split(u'.');
            const qint64 started = time(secondAndFraction.first());
            startedMilliseconds = started * 1000 + secondAndFraction.value(1).toLongLong();
            countdown.start({started, startedMilliseconds});
            QCOMPARE(countdown.display(), QStringLiteral("1:00"));
            continue;
        }
        const QStringList wallAndReal = step.chopped(1).split(u'~');
        const QStringList range = wallAndReal.first().split(QStringLiteral(".."));
        for (qint64 s = time(range.first()); s <= time(range.last()); ++s) {
            const qint64 real =
                wallAndReal.size() > 1
                    ? startedMilliseconds + qRound64(wallAndReal.last().toDouble() * 1000)
                    : s * 1000;
            QVERIFY2(countdown.tick({s, real}) == step.endsWith(u'+'), qPrintable(step));
        }
    }
    QCOMPARE(countdown.RemainingMinutes(), minutes);
}

void TestCountdown::appFolder_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain folder gets one separator") << u"/opt/tamsel"_qs << u"/opt/tamsel/"_qs;
    QTest::newRow("root folder gets none") << u"/"_qs << u"/"_qs;
    QTest::newRow("Windows folder") << u"C:/exam"_qs << u"C:/exam/"_qs;
    QTest::newRow("Windows drive root") << u"D:/"_qs << u"D:/"_qs;
    QTest::newRow("Japanese folder") << u"/home/学生/模試"_qs << u"/home/学生/模試/"_qs;
}

void TestCountdown::appFolder()
{
    QFETCH(QString, folder);
    QFETCH(QString, expected);
    QCOMPARE(withFolderSeparator(folder), expected);
}

void TestCountdown::waveFormat_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<int>("bits"); // 0: not playable

    QTest::newRow("16-bit mono PCM") << wave(1, 1, 44100, 16, false) << 16;
    QTest::newRow("8-bit stereo PCM") << wave(1, 2, 22050, 8, false) << 8;
    QTest::newRow("odd-sized chunk before the format") << wave(1, 1, 44100, 16, true) << 16;
    QTest::newRow("24-bit PCM") << wave(1, 1, 44100, 24, false) << 0;
    QTest::newRow("float samples") << wave(3, 1, 44100, 32, false) << 0;
    QTest::newRow("data before format") << wave(1, 1, 44100, 16, false, true) << 0;
    QTest::newRow("six channels") << wave(1, 6, 44100, 16, false) << 0;
    QTest::newRow("absurd rate") << wave(1, 1, 5, 16, false) << 0;
    QTest::newRow("big-endian RIFX")
        << QByteArray("RIFX") + wave(1, 1, 44100, 16, false).mid(4) << 0;
    QTest::newRow("header cut in the format chunk") << wave(1, 1, 44100, 16, false).left(30) << 0;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("text file") << QByteArray("This is not a chime at all.\n") << 0;
    QTest::newRow("chunk size beyond everything")
        << QByteArray("RIFF\x10\0\0\0WAVEjunk\xff\xff\xff\xff", 20) << 0;
}

void TestCountdown::waveFormat()
{
    QFETCH(QByteArray, head);
    QFETCH(int, bits);
    const auto format = readPcmWaveFormat(head);
    QCOMPARE(format.has_value(), bits != 0);
    if (format)
        QCOMPARE(format->bitsPerSample, bits);
}

QTEST_APPLESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
