#pragma once
// The ring a control with the keyboard focus shows: a solid line two pixels wide just inside its
// border, in the selection's colour darkened to stand out at least 3:1 from a light background,
// so that the focus never hides in a one-pixel caret or a dotted line.

#include <QPainter>
#include <QPalette>

namespace tamsel {

inline QColor focusRingColour(const QPalette& palette)
{
    return palette.color(QPalette::Highlight).darker(140);
}

inline void drawFocusRing(QPainter& painter, const QRect& inside, const QPalette& palette)
{
    painter.save();
    painter.setPen(QPen(focusRingColour(palette), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(inside).adjusted(1, 1, -1, -1));
    painter.restore();
}

} // namespace tamsel
