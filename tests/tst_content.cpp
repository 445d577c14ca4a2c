// Guards the form of the pictures and the chime that ship with the program: the backdrop and the
// correct-answer mark as embedded in the resources, and the chime placed beside the executable.
// Each is checked byte by byte against the layout the program relies on, then decoded the way
// the program decodes it.

#include "pictures/IconImages.h"
#include "sound/WaveFormat.h"

#include "TestFiles.h"

#include <QColor>
#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QResource>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

namespace {

quint16 u16(const QByteArray& data, qsizetype pos)
{
    return le<quint16>(data, pos);
}

quint32 u32(const QByteArray& data, qsizetype pos)
{
    return le<quint32>(data, pos);
}

QString describe(const QImage& image, int x, int y)
{
    const QColor c = image.pixelColor(x, y);
    return QStringLiteral("(%1,%2) rgba %3,%4,%5,%6")
        .arg(x)
        .arg(y)
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(c.alpha());
}

constexpr int backgroundWidth = 794;
constexpr int backgroundHeight = 567;

} // namespace

class TestContent : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void backgroundIsAStoredBitmap();
    void backgroundStaysLight_data();
    void backgroundStaysLight();
    void maruImage_data();
    void maruImage();
    void chime();
};

void TestContent::backgroundIsAStoredBitmap()
{
    // Stored as it is in the resources: the bitmap is there to spare the window's thread the
    // GIF's decompression, which rcc's own compression would bring back.
    const QResource resource(QStringLiteral(":/background.bmp"));
    QVERIFY2(resource.isValid(), "background.bmp is missing from the resources");
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);

    // A Windows bitmap at the window's size, 8 bits a pixel from a table of colours, rows
    // uncompressed (BI_RGB), bottom row first as the height is positive.
    const QByteArray bmp = readAll(QStringLiteral(":/background.bmp"));
    QVERIFY(bmp.size() > 54);
    QCOMPARE(bmp.left(2), QByteArray("BM"));
    QCOMPARE(int(u32(bmp, 18)), backgroundWidth);
    QCOMPARE(int(u32(bmp, 22)), backgroundHeight);
    QCOMPARE(int(u16(bmp, 28)), 8);
    QCOMPARE(u32(bmp, 30), 0u);

    // Qt's own reader decodes it whole; a gradient with ornaments, not a flat fill: the left
    // column has many colours.
    QImageReader reader(QStringLiteral(":/background.bmp"));
    QCOMPARE(reader.format(), QByteArray("bmp"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(backgroundWidth, backgroundHeight));
    const qsizetype colours = tamsel::distinctColours(image.copy(0, 0, 128, image.height()));
    QVERIFY2(colours >= 64, qPrintable(QString::number(colours)));
}

void TestContent::backgroundStaysLight_data()
{
    QTest::addColumn<QRect>("area");
    QTest::addColumn<int>("darkest"); // the least grey value any pixel may have
    QTest::addColumn<int>("average");

    // Black text is drawn straight onto the picture here.
    QTest::newRow("behind the average score") << QRect(8, 264, 129, 18) << 200 << 225;
    QTest::newRow("left column, whole height") << QRect(0, 0, 128, 554) << 100 << 215;
    QTest::newRow("beside the upper tabs") << QRect(400, 0, 388, 20) << 200 << 220;
    QTest::newRow("between the tab controls") << QRect(128, 418, 661, 6) << 200 << 220;
}

void TestContent::backgroundStaysLight()
{
    QFETCH(QRect, area);
    QFETCH(int, darkest);
    QFETCH(int, average);

    const QImage image(QStringLiteral(":/background.bmp"));
    QVERIFY(!image.isNull());
    QVERIFY(image.rect().contains(area));
    int lowest = 255;
    qint64 sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const int g = qGray(image.pixel(x, y));
            lowest = std::min(lowest, g);
            sum += g;
        }
    }
    const qint64 mean = sum / (qint64(area.width()) * area.height());
    QVERIFY2(lowest >= darkest, qPrintable(QStringLiteral("darkest grey %1").arg(lowest)));
    QVERIFY2(mean >= average, qPrintable(QStringLiteral("average grey %1").arg(mean)));
}

void TestContent::maruImage_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bits");

    QTest::newRow("first: 32x32, 16 colours") << 0 << 32 << 4;
    QTest::newRow("second: 16x16, 16 colours") << 1 << 16 << 4;
    QTest::newRow("third: 32x32, 256 colours") << 2 << 32 << 8;
}

void TestContent::maruImage()
{
    QFETCH(int, index);
    QFETCH(int, size);
    QFETCH(int, bits);

    // The directory entry and the image's BITMAPINFOHEADER, whose height counts colour bitmap
    // and mask; the image is exactly as long as its header, palette, bitmap and mask.
    const QByteArray ico = readAll(QStringLiteral(":/maru.ico"));
    QVERIFY2(ico.size() >= 6 + 3 * 16, "maru.ico is missing from the resources or too short");
    QCOMPARE(ico.left(6), QByteArray("\0\0\1\0\3\0", 6)); // an icon, not a cursor, of three

    const qsizetype entry = 6 + 16 * index;
    QCOMPARE(int(u8(ico, entry)), size);
    QCOMPARE(int(u8(ico, entry + 1)), size);
    QCOMPARE(int(u8(ico, entry + 2)), bits == 4 ? 16 : 0); // 0 stands for 256 and more
    QCOMPARE(int(u16(ico, entry + 6)), bits);
    const quint32 length = u32(ico, entry + 8);
    const quint32 offset = u32(ico, entry + 12);
    QVERIFY2(offset >= 6 + 3 * 16 && qsizetype(offset) + length <= ico.size(),
             "the image lies outside the file");
    QVERIFY(length >= 40);
    QCOMPARE(u32(ico, offset), quint32(40));
    QCOMPARE(le<qint32>(ico, offset + 4), size);
    QCOMPARE(le<qint32>(ico, offset + 8), 2 * size);
    QCOMPARE(int(u16(ico, offset + 12)), 1);
    QCOMPARE(int(u16(ico, offset + 14)), bits);
    QCOMPARE(u32(ico, offset + 16), quint32(0)); // uncompressed

    const quint32 used = u32(ico, offset + 32);
    const quint32 colours = used ? used : (1u << bits);
    QVERIFY(colours <= (1u << bits));
    const int colourStride = ((size * bits + 31) / 32) * 4;
    const int maskStride = ((size + 31) / 32) * 4;
    const quint32 expected = 40 + 4 * colours + quint32(size) * (colourStride + maskStride);
    QCOMPARE(length, expected);

    // Qt reads it with its mask: clear at the corners and the centre, the red ring between.
    QImageReader reader(QStringLiteral(":/maru.ico"));
    QVERIFY(reader.jumpToImage(index));
    const QImage read = reader.read();
    QVERIFY2(!read.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(read.size(), QSize(size, size));
    QVERIFY2(read.hasAlphaChannel(), "the mask was lost");
    const QImage image = read.convertToFormat(QImage::Format_ARGB32);

    const int last = size - 1;
    for (const QPoint p : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last), QPoint(last, last),
                           QPoint(size / 2, size / 2), QPoint(size / 2 - 1, size / 2 - 1)}) {
        QVERIFY2(qAlpha(image.pixel(p)) == 0, qPrintable(describe(image, p.x(), p.y())));
    }

    // From the middle of each edge towards the centre: clear, then the ring, then clear again
    // all the way in. Every opaque pixel is a red, and the ring is at least two pixels thick.
    const int c = size / 2;
    const struct {
        QPoint from;
        QPoint step;
    } walks[] = {{{c, 0}, {0, 1}}, {{c, last}, {0, -1}}, {{0, c}, {1, 0}}, {{last, c}, {-1, 0}}};
    for (const auto& walk : walks) {
        int stage = 0; // 0 outside, 1 on the ring, 2 inside
        int thickness = 0;
        bool strongRed = false;
        for (QPoint p = walk.from; p != QPoint(c, c); p += walk.step) {
            const QRgb px = image.pixel(p);
            const bool opaque = qAlpha(px) == 255;
            QVERIFY2(opaque || qAlpha(px) == 0, qPrintable(describe(image, p.x(), p.y())));
            if (opaque) {
                QVERIFY2(stage < 2,
                         qPrintable("a second ring at " + describe(image, p.x(), p.y())));
                stage = 1;
                ++thickness;
                QVERIFY2(qRed(px) >= qGreen(px) + 60 && qRed(px) >= qBlue(px) + 60,
                         qPrintable("not red: " + describe(image, p.x(), p.y())));
                strongRed = strongRed || (qRed(px) >= 180 && qGreen(px) <= 80 && qBlue(px) <= 80);
            } else if (stage == 1) {
                stage = 2;
            }
            QVERIFY2(stage > 0 || p != walk.from + 3 * walk.step,
                     "the ring does not reach within three pixels of the edge");
        }
        QCOMPARE(stage, 2);
        QVERIFY2(thickness >= 2, qPrintable(QString::number(thickness)));
        QVERIFY2(thickness <= size / 6 + 1, qPrintable(QString::number(thickness)));
        QVERIFY2(strongRed, "the ring has no full red pixel on this side");
    }
}

void TestContent::chime()
{
    // A PCM wave the chime player takes, its format chunk consistent, the samples filling the
    // file to its end, 1.5 to 3 seconds long.
    const QByteArray wav = readAll(contentPath(QStringLiteral("Zikan.wav")));
    const auto format = tamsel::readPcmWaveFormat(wav);
    QVERIFY2(format.has_value(), "not a PCM wave file that the chime player takes");
    QVERIFY2(format->channels == 1 || format->channels == 2,
             qPrintable(QString::number(format->channels)));
    QVERIFY2(format->sampleRate == 44100 || format->sampleRate == 22050,
             qPrintable(QString::number(format->sampleRate)));
    QCOMPARE(format->bitsPerSample, 16);
    const qsizetype fmt = wav.indexOf("fmt ") + 8;
    QCOMPARE(int(u16(wav, fmt + 12)), 2 * format->channels);
    QCOMPARE(u32(wav, fmt + 8), quint32(format->sampleRate * 2 * format->channels));
    QCOMPARE(format->dataOffset + qsizetype(format->dataSize), wav.size());
    QCOMPARE(format->dataSize % quint32(2 * format->channels), 0u);
    const double seconds = double(format->dataSize) / (2.0 * format->channels * format->sampleRate);
    QVERIFY2(seconds >= 1.5 && seconds <= 3.0, qPrintable(QString::number(seconds)));

    const qsizetype count = qsizetype(format->dataSize) / 2;
    int peak = 0;
    int tailPeak = 0;
    const qsizetype tail = count - qsizetype(format->sampleRate / 50) * format->channels; // 20 ms
    for (qsizetype i = 0; i < count; ++i) {
        const int v =
            std::abs(int(qFromLittleEndian<qint16>(wav.constData() + format->dataOffset + 2 * i)));
        peak = std::max(peak, v);
        if (i >= tail)
            tailPeak = std::max(tailPeak, v);
    }
    // Loud enough to be heard (above -10 dBFS) yet well clear of full scale.
    QVERIFY2(peak >= 10362, qPrintable(QStringLiteral("peak %1").arg(peak)));
    QVERIFY2(peak <= 31000, qPrintable(QStringLiteral("peak %1").arg(peak)));
    // It dies away instead of stopping with a click.
    QVERIFY2(tailPeak <= 328, qPrintable(QStringLiteral("tail peak %1").arg(tailPeak)));
}

QTEST_MAIN(TestContent)
#include "tst_content.moc"
