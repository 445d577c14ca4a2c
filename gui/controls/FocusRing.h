#pragma once
// The ring a control with the keyboard focus shows: a closed solid line two pixels wide just
// inside the rectangle it is given, by default in the selection's colour darkened until it
// stands out at least 3:1 from the light faces and the grey borders it lies on, so that the focus
// never hides in a one-pixel caret, a dotted line or a change of a border's shade.

#include <QPainter>
#include <QPalette>

namespace tamsel {

inline QColor focusRingColour(const QPalette& palette)
{
    return palette.color(QPalette::Highlight).darker(300);
}

inline void drawFocusRing(QPainter& painter, const QRect& inside, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(inside).adjusted(1, 1, -1, -1));
    painter.restore();
}

inline void drawFocusRing(QPainter& painter, const QRect& inside, const QPalette& palette)
{
    drawFocusRing(painter, inside, focusRingColour(palette));
}

} // namespace tamsel
