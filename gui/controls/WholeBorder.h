#pragma once
// Borders that stay whole at any screen scale. Where the scale is fractional, a widget's edge
// falls between two screen pixels, and a one-pixel line along it can end up wholly in the pixel
// row the widget does not own: the line is lost. Drawn once more half a screen pixel inward and
// outward, every line keeps at least one whole screen pixel; at whole-number scales the border is
// drawn once, as designed.

#include <QPainter>

#include <cmath>

namespace tamsel {

template <typename Draw> void drawWholeBorder(QPainter& painter, qreal density, Draw draw)
{
    draw();
    if (density == std::floor(density))
        return;
    const qreal half = 0.5 / density;
    for (const qreal shift : {half, -half}) {
        painter.save();
        painter.translate(shift, shift);
        draw();
        painter.restore();
    }
}

} // namespace tamsel
