// Guards the seven figures of the question booklet as they are committed in content/: each must
// decode through Qt, with its colour profile, at the size its picture box was laid out for, and
// keep nothing but white in the strip that box clips away. Their file layout is held by
// tools/make_figures.py --check, their text alternatives by the accessibility tests.

#include "TestFiles.h"

#include <QColor>
#include <QColorSpace>
#include <QImage>
#include <QImageReader>
#include <QSize>
#include <QtTest>

namespace {

QString figureFile(int number)
{
    return contentPath(QStringLiteral("figure%1.jpg").arg(number));
}

} // namespace

class FiguresTest final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesAtItsSize_data();
    void decodesAtItsSize();
};

// One row per figure: its number, its size, and how much of it its picture box shows (the box
// is given in twips in the window design, 15 twips to the pixel, less its border).
void FiguresTest::decodesAtItsSize_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("visible");
    const struct {
        const char* name;
        QSize size;
        QSize visible;
    } rows[] = {
        {"micrograph (図１)", {525, 349}, {525, 349}},
        {"DNA graphs (図２、図３)", {373, 357}, {373, 357}},
        {"apparatus (図４)", {447, 359}, {447, 359}},
        {"results, right edge clipped (図５)", {501, 336}, {468, 336}},
        {"glucose and insulin, bottom clipped (図６)", {431, 244}, {431, 238}},
        {"coleoptiles, right edge clipped (図７)", {545, 356}, {534, 356}},
        {"tree (図８)", {310, 237}, {310, 237}},
    };
    int number = 0;
    for (const auto& row : rows) {
        ++number;
        QTest::addRow("figure%d %s", number, row.name) << number << row.size << row.visible;
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

QTEST_MAIN(FiguresTest)
#include "tst_figures.moc"
