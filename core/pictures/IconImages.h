#pragma once
// Picks one image out of an icon file. Qt reads every image of an .ico as 32-bit, so the depth
// does not tell a 16-colour image from a 256-colour one: the colours actually used do.

#include <QImage>
#include <QString>

namespace tamsel {

qsizetype distinctColours(const QImage& image);

// The image of the given width with the most colours, the smoothest; null when there is none.
QImage richestImage(const QString& iconPath, int width);

} // namespace tamsel
