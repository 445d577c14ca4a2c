// Guards the seven figures of the question booklet as they are committed in content/: each must
// decode through Qt at the size its picture box was laid out for, keep nothing but white in the
// strip that box clips away, and have the file layout the booklet's figures are made with: a
// baseline JFIF 1.02 JPEG at 72 dpi with an sRGB profile, a Photoshop resource block, a comment
// and restart markers. The layout is read by walking the JPEG's markers, not by trusting a
// decoder that would accept far more. Each figure also has its text alternative for a student
// who cannot see it.

#include "TestFiles.h"

#include <QColor>
#include <QColorSpace>
#include <QImage>
#include <QImageReader>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QSize>
#include <QtTest>

#include <optional>

namespace {

// What a walk through a JPEG's markers found. Segments keep their payload (after the length).
struct JpegLayout {
    QString error;         // empty when the walk reached EOI cleanly
    QList<quint8> markers; // every segment marker before the first scan, in file order
    QByteArray app0;
    QList<QByteArray> app2;
    QList<QByteArray> app13;
    QList<QByteArray> comments;
    std::optional<quint16> restartInterval;
    QList<quint8> frameMarkers; // SOF0 ... SOF15, whichever occur
    QByteArray frame;           // the payload of the first frame header
    int scans = 0;
    QList<quint8> restartMarkers; // RST0 ... RST7 in the order they occur in the scan data
};

bool isFrameMarker(quint8 m)
{
    // SOF0 to SOF15, leaving out DHT (C4), JPG (C8) and DAC (CC), which share the range.
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

JpegLayout walkJpeg(const QByteArray& data)
{
    JpegLayout out;
    const auto fail = [&out](const QString& error) {
        out.error = error;
        return out;
    };
    if (data.size() < 4 || u8(data, 0) != 0xFF || u8(data, 1) != 0xD8)
        return fail(QStringLiteral("no SOI at the start"));
    qsizetype pos = 2;
    while (true) {
        if (pos + 2 > data.size())
            return fail(QStringLiteral("no EOI at the end"));
        if (u8(data, pos) != 0xFF)
            return fail(QStringLiteral("no marker at offset %1").arg(pos));
        const quint8 marker = u8(data, pos + 1);
        if (marker == 0xD9) {
            if (out.scans == 0)
                return fail(QStringLiteral("EOI before any scan"));
            return pos + 2 == data.size() ? out : fail(QStringLiteral("bytes after EOI"));
        }
        if (pos + 4 > data.size())
            return fail(QStringLiteral("the file ends inside the headers"));
        const quint16 length = be<quint16>(data, pos + 2);
        if (length < 2 || pos + 2 + length > data.size()) {
            return fail(QStringLiteral("segment FF%1 overruns the file")
                            .arg(int{marker}, 2, 16, QLatin1Char('0')));
        }
        const QByteArray payload = data.mid(pos + 4, length - 2);
        if (out.scans == 0)
            out.markers.append(marker);
        if (marker == 0xE0 && out.app0.isNull())
            out.app0 = payload;
        else if (marker == 0xE2)
            out.app2.append(payload);
        else if (marker == 0xED)
            out.app13.append(payload);
        else if (marker == 0xFE)
            out.comments.append(payload);
        else if (marker == 0xDD && payload.size() == 2)
            out.restartInterval = be<quint16>(payload, 0);
        else if (isFrameMarker(marker)) {
            out.frameMarkers.append(marker);
            if (out.frame.isNull())
                out.frame = payload;
        }
        pos += 2 + length;
        if (marker != 0xDA)
            continue;
        // Entropy-coded data: FF 00 is a stuffed byte, FF D0..D7 a restart marker; any other
        // marker ends the scan (a fill run of FF bytes may come before it).
        ++out.scans;
        while (true) {
            if (pos + 1 >= data.size())
                return fail(QStringLiteral("the scan runs to the end of the file"));
            if (u8(data, pos) != 0xFF) {
                ++pos;
                continue;
            }
            const quint8 next = u8(data, pos + 1);
            if (next == 0x00 || next == 0xFF) {
                pos += next == 0x00 ? 2 : 1;
                continue;
            }
            if (next >= 0xD0 && next <= 0xD7) {
                out.restartMarkers.append(next);
                pos += 2;
                continue;
            }
            break;
        }
    }
}

QString figureFile(int number)
{
    return contentPath(QStringLiteral("figure%1.jpg").arg(number));
}

} // namespace

class FiguresTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesAtItsSize_data() { addFigureRows(); }
    void decodesAtItsSize();
    void hasTheBookletsFileLayout_data() { addFigureRows(); }
    void hasTheBookletsFileLayout();
    void hasATextAlternative_data() { addFigureRows(); }
    void hasATextAlternative();

private:
    static void addFigureRows();
};

// One row per figure: its number, its size, how much of it its picture box shows (the box is
// given in twips in the window design, 15 twips to the pixel, less its border), and the first
// figure number the booklet gives it.
void FiguresTest::addFigureRows()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("visible");
    QTest::addColumn<QString>("caption");
    const struct {
        const char* name;
        QSize size;
        QSize visible;
        const char* caption;
    } rows[] = {
        {"micrograph (図１)", {525, 349}, {525, 349}, "図１"},
        {"DNA graphs (図２、図３)", {373, 357}, {373, 357}, "図２"},
        {"apparatus (図４)", {447, 359}, {447, 359}, "図４"},
        {"results, right edge clipped (図５)", {501, 336}, {468, 336}, "図５"},
        {"glucose and insulin, bottom clipped (図６)", {431, 244}, {431, 238}, "図６"},
        {"coleoptiles, right edge clipped (図７)", {545, 356}, {534, 356}, "図７"},
        {"tree (図８)", {310, 237}, {310, 237}, "図８"},
    };
    int number = 0;
    for (const auto& row : rows) {
        ++number;
        QTest::addRow("figure%d %s", number, row.name)
            << number << row.size << row.visible << QString::fromUtf8(row.caption);
    }
}

void FiguresTest::decodesAtItsSize()
{
    QFETCH(int, number);
    QFETCH(QSize, size);
    QFETCH(QSize, visible);

    QImageReader reader(figureFile(number));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
    // The embedded profile reaches Qt: the picture is tagged, and in sRGB's primaries.
    QVERIFY(image.colorSpace().isValid());
    QCOMPARE(image.colorSpace().primaries(), QColorSpace::Primaries::SRgb);

    // A figure is a drawing, not an empty page: plenty of pixels are clearly not white. Whatever
    // the box cuts off must be paper: a tick, a legend or a caption drawn there is lost.
    qsizetype inked = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            inked += qGray(p) < 200 ? 1 : 0;
            if ((x >= visible.width() || y >= visible.height()) &&
                (qRed(p) < 235 || qGreen(p) < 235 || qBlue(p) < 235))
                QFAIL(qPrintable(QStringLiteral("ink at (%1, %2) outside the visible %3 x %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(visible.width())
                                     .arg(visible.height())));
        }
    }
    QVERIFY2(inked > qsizetype{size.width()} * size.height() / 100,
             qPrintable(QStringLiteral("only %1 dark pixels").arg(inked)));
}

void FiguresTest::hasTheBookletsFileLayout()
{
    QFETCH(int, number);
    QFETCH(QSize, size);

    const JpegLayout jpeg = walkJpeg(readAll(figureFile(number)));
    QVERIFY2(jpeg.error.isEmpty(), qPrintable(jpeg.error));

    // JFIF 1.02 first, densities in dots per inch, 72 by 72.
    QCOMPARE(jpeg.markers.value(0), quint8{0xE0});
    QVERIFY(jpeg.app0.size() >= 14);
    QCOMPARE(jpeg.app0.left(12), QByteArray("JFIF\0\1\2\1\0\x48\0\x48", 12));
    // No Adobe segment turning the components into RGB or CMYK.
    QVERIFY(!jpeg.markers.contains(quint8{0xEE}));

    // One baseline frame and a single scan: SOF0, 8-bit, the figure's size, three components
    // (Y, Cb, Cr); no progressive or other frame type.
    QCOMPARE(jpeg.frameMarkers, QList<quint8>{0xC0});
    QCOMPARE(jpeg.scans, 1);
    QCOMPARE(jpeg.frame.size(), 6 + 3 * 3);
    QCOMPARE(u8(jpeg.frame, 0), quint8{8});
    QCOMPARE(int{be<quint16>(jpeg.frame, 1)}, size.height());
    QCOMPARE(int{be<quint16>(jpeg.frame, 3)}, size.width());
    QCOMPARE(u8(jpeg.frame, 5), quint8{3});

    // The colour profile: one ICC_PROFILE chunk, 1 of 1, holding a whole ICC RGB profile.
    QCOMPARE(jpeg.app2.size(), 1);
    const QByteArray& app2 = jpeg.app2.first();
    QCOMPARE(app2.left(14), QByteArray("ICC_PROFILE\0\1\1", 14));
    QVERIFY(app2.size() > 14 + 128);
    const QByteArray profile = app2.mid(14);
    QCOMPARE(qsizetype{be<quint32>(profile, 0)}, profile.size());
    QCOMPARE(profile.mid(36, 4), QByteArray("acsp"));
    QCOMPARE(profile.mid(16, 4), QByteArray("RGB "));

    // The editor's resource block, an IPTC one among its 8BIM blocks.
    QCOMPARE(jpeg.app13.size(), 1);
    QVERIFY(jpeg.app13.first().startsWith(QByteArray("Photoshop 3.0\0", 14)));
    QVERIFY(jpeg.app13.first().contains("8BIM\x04\x04"));

    // The comment names the figure, so a file copied over another's name shows up.
    QCOMPARE(jpeg.comments, QList<QByteArray>{"Tamsel figure " + QByteArray::number(number)});

    // Restart markers, counting RST0 ... RST7 round and round.
    QVERIFY(jpeg.restartInterval.value_or(0) > 0);
    QVERIFY(!jpeg.restartMarkers.isEmpty());
    for (qsizetype i = 0; i < jpeg.restartMarkers.size(); ++i)
        QCOMPARE(jpeg.restartMarkers.at(i), static_cast<quint8>(0xD0 + i % 8));
}

void FiguresTest::hasATextAlternative()
{
    QFETCH(int, number);
    QFETCH(QString, caption);

    QJsonParseError error{};
    const QJsonDocument json =
        QJsonDocument::fromJson(readAll(contentPath(u"figure-descriptions.json"_qs)), &error);
    QVERIFY2(json.isObject(), qPrintable(error.errorString()));
    // One description for each of the seven figures and none for a figure that is not there.
    QCOMPARE(json.object().size(), 7);
    const QJsonValue description = json.object().value(QStringLiteral("figure%1.jpg").arg(number));
    QVERIFY(description.isString());
    // It opens by naming the figure as the booklet's questions do ("図４は，…"), so that the
    // student hears which figure it stands for; a description filed under another figure's
    // name fails here.
    const QString opening = caption + u'は';
    QVERIFY2(description.toString().startsWith(opening),
             qPrintable(description.toString().left(20)));
}

QTEST_MAIN(FiguresTest)
#include "tst_figures.moc"
