#include "pictures/IconImages.h"

#include <QImageReader>
#include <QSet>

namespace tamsel {

qsizetype distinctColours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return colours.size();
}

QImage richestImage(const QString& iconPath, int width)
{
    QImageReader reader(iconPath);
    QImage best;
    qsizetype bestColours = 0;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (image.width() != width)
            continue;
        const qsizetype colours = distinctColours(image);
        if (best.isNull() || colours > bestColours) {
            best = image;
            bestColours = colours;
        }
    }
    return best;
}

} // namespace tamsel
