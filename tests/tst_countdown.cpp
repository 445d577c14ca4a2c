// The countdown's arithmetic, the chime's folder, the wave check and the samples it hands to
// the outputs, without any window.
#include "countdown/Countdown.h"
#include "sound/SampleConversion.h"
#include "sound/WaveFormat.h"
#include "system/AppFolder.h"

#include <QDateTime>
#include <QTest>
#include <QtEndian>

#include <cmath>
#include <cstring>

using namespace tamsel;

namespace {

qint64 at(const char* localTime)
{
    return QDateTime::fromString(QString::fromLatin1(localTime), Qt::ISODate).toSecsSinceEpoch();
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray le16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

// A format chunk whose block align and byte rate follow from its other fields, unless
// blockAlign is given.
QByteArray fmtChunk(quint16 tag, quint16 channels, quint32 rate, quint16 bits,
                    const QByteArray& extension = {}, int blockAlign = -1)
{
    const auto align = static_cast<quint16>(blockAlign < 0 ? channels * bits / 8 : blockAlign);
    const QByteArray body = le16(tag) + le16(channels) + le32(rate) + le32(rate * align) +
                            le16(align) + le16(bits) + extension;
    return "fmt " + le32(static_cast<quint32>(body.size())) + body;
}

// The extension of WAVE_FORMAT_EXTENSIBLE (tag 0xFFFE) naming subformat by its GUID.
QByteArray extensible(quint16 validBits, quint16 subformat, quint8 guidLastByte = 0x71)
{
    return le16(22) + le16(validBits) + le32(0x4) + le16(subformat) +
           QByteArray("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B", 13) + char(guidLastByte);
}

// A wave file: RIFF, optional extra chunk, the format chunk and "data".
QByteArray waveOf(const QByteArray& fmt, bool extraChunkFirst = false, bool dataFirst = false)
{
    const QByteArray data = "data" + le32(4) + QByteArray(4, '\x10');
    const QByteArray extra = "LIST" + le32(3) + QByteArray("abc") + '\0'; // odd size, padded
    QByteArray body = "WAVE";
    if (extraChunkFirst)
        body += extra;
    body += dataFirst ? data + fmt : fmt + data;
    return "RIFF" + le32(static_cast<quint32>(body.size())) + body;
}

QByteArray wave(quint16 tag, quint16 channels, quint32 rate, quint16 bits, bool extraChunkFirst,
                bool dataFirst = false)
{
    return waveOf(fmtChunk(tag, channels, rate, bits), extraChunkFirst, dataFirst);
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
    void samplesForTheOutputs();
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
    QTest::addColumn<bool>("floats");

    QTest::newRow("16-bit mono PCM") << wave(1, 1, 44100, 16, false) << 16 << false;
    QTest::newRow("8-bit stereo PCM") << wave(1, 2, 22050, 8, false) << 8 << false;
    QTest::newRow("odd-sized chunk before the format")
        << wave(1, 1, 44100, 16, true) << 16 << false;
    QTest::newRow("24-bit stereo PCM") << wave(1, 2, 48000, 24, false) << 24 << false;
    QTest::newRow("32-bit PCM") << wave(1, 1, 96000, 32, false) << 32 << false;
    QTest::newRow("float samples") << wave(3, 1, 44100, 32, false) << 32 << true;
    QTest::newRow("float samples with an empty extension")
        << waveOf(fmtChunk(3, 2, 44100, 32, le16(0))) << 32 << true;
    QTest::newRow("extensible 16-bit PCM")
        << waveOf(fmtChunk(0xFFFE, 1, 44100, 16, extensible(16, 1))) << 16 << false;
    QTest::newRow("extensible float")
        << waveOf(fmtChunk(0xFFFE, 2, 48000, 32, extensible(32, 3))) << 32 << true;
    QTest::newRow("extensible: 20 bits in 24")
        << waveOf(fmtChunk(0xFFFE, 1, 44100, 24, extensible(20, 1))) << 24 << false;

    QTest::newRow("extensible: more bits than its container")
        << waveOf(fmtChunk(0xFFFE, 1, 44100, 16, extensible(24, 1))) << 0 << false;
    QTest::newRow("extensible: a subformat of another family")
        << waveOf(fmtChunk(0xFFFE, 1, 44100, 16, extensible(16, 1, 0x72))) << 0 << false;
    QTest::newRow("extensible: ADPCM")
        << waveOf(fmtChunk(0xFFFE, 1, 44100, 16, extensible(16, 2))) << 0 << false;
    QTest::newRow("extensible: extension cut short")
        << waveOf(fmtChunk(0xFFFE, 1, 44100, 16, extensible(16, 1).left(10))) << 0 << false;
    QTest::newRow("IMA ADPCM") << waveOf(fmtChunk(0x11, 1, 22050, 4, le16(2) + le16(505), 256)) << 0
                               << false;
    QTest::newRow("μ-law") << wave(7, 1, 8000, 8, false) << 0 << false;
    QTest::newRow("16-bit floats") << wave(3, 1, 44100, 16, false) << 0 << false;
    QTest::newRow("12-bit container") << wave(1, 1, 44100, 12, false) << 0 << false;
    QTest::newRow("block align of another width")
        << waveOf(fmtChunk(1, 2, 44100, 16, {}, 2)) << 0 << false;
    QTest::newRow("byte rate of another rate") << [] {
        QByteArray head = wave(1, 1, 44100, 16, false);
        qToLittleEndian(quint32(22050 * 2), head.data() + 28);
        return head;
    }() << 0 << false;
    QTest::newRow("data before format") << wave(1, 1, 44100, 16, false, true) << 0 << false;
    QTest::newRow("six channels") << wave(1, 6, 44100, 16, false) << 0 << false;
    QTest::newRow("absurd rate") << wave(1, 1, 5, 16, false) << 0 << false;
    QTest::newRow("big-endian RIFX")
        << QByteArray("RIFX") + wave(1, 1, 44100, 16, false).mid(4) << 0 << false;
    QTest::newRow("header cut in the format chunk")
        << wave(1, 1, 44100, 16, false).left(30) << 0 << false;
    QTest::newRow("empty") << QByteArray() << 0 << false;
    QTest::newRow("text file") << QByteArray("This is not a chime at all.\n") << 0 << false;
    QTest::newRow("chunk size beyond everything")
        << QByteArray("RIFF\x10\0\0\0WAVEjunk\xff\xff\xff\xff", 20) << 0 << false;
}

void TestCountdown::waveFormat()
{
    QFETCH(QByteArray, head);
    QFETCH(int, bits);
    QFETCH(bool, floats);
    const auto format = readPcmWaveFormat(head);
    QCOMPARE(format.has_value(), bits != 0);
    if (format) {
        QCOMPARE(format->bitsPerSample, bits);
        QCOMPARE(format->floatSamples, floats);
    }
}

void TestCountdown::samplesForTheOutputs()
{
    // Each row's samples, 16 bits wide once converted: full scale both ways, a small value and
    // the values that must not wrap (over full scale, NaN).
    const auto sound = [](int bits, bool floats, const QByteArray& samples) {
        return toPlayableSamples(PcmSound{{1, 44100, bits, floats, 44, 0}, samples});
    };
    const auto sixteen = [](std::initializer_list<qint16> values) {
        QByteArray bytes;
        for (const qint16 v : values)
            bytes += le16(static_cast<quint16>(v));
        return bytes;
    };
    const QByteArray pcm24("\xff\xff\x7f"
                           "\0\0\x80"
                           "\x00\x01\x00"
                           "\xff\xff\xff",
                           12);
    QCOMPARE(sound(24, false, pcm24).samples, sixteen({32767, -32768, 1, -1}));
    const QByteArray pcm32("\xff\xff\xff\x7f"
                           "\0\0\0\x80"
                           "\0\0\x02\0",
                           12);
    QCOMPARE(sound(32, false, pcm32).samples, sixteen({32767, -32768, 2}));
    QByteArray floats;
    for (const float v : {1.0F, -1.0F, 0.5F, 3.0F, -3.0F, std::nanf("")}) {
        quint32 bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        floats += le32(bits);
    }
    const PcmSound fromFloats = sound(32, true, floats);
    QCOMPARE(fromFloats.samples, sixteen({32767, -32767, 16384, 32767, -32768, 0}));
    QCOMPARE(fromFloats.format.bitsPerSample, 16);
    QVERIFY(!fromFloats.format.floatSamples);
    // 8 and 16 bits pass as they are.
    QCOMPARE(sound(8, false, "\x80\x01").samples, QByteArray("\x80\x01"));
    QCOMPARE(sound(16, false, pcm32).samples, pcm32);
}

QTEST_APPLESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
