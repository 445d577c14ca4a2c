#include "controls/PictureBox.h"

#include "controls/FocusRing.h"
#include "controls/WholeBorder.h"

#include <QPainter>

namespace tamsel {

PictureBox::PictureBox(QWidget* parent, Kind kind)
    : QFrame(parent)
    , kind_(kind)
{
}

void PictureBox::setPicture(const DensityPicture& picture)
{
    picture_ = picture;
    shownDensity_ = 0;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!picture_.isNull()) {
        const qreal density = devicePixelRatioF();
        if (density != shownDensity_) {
            shown_ = picture_.forDensity(density);
            shownDensity_ = density;
        }
        painter.save();
        painter.setClipRect(contentsRect());
        painter.drawPixmap(contentsRect().topLeft(), shown_);
        painter.restore();
    }
    drawWholeBorder(painter, devicePixelRatioF(), [&] { drawFrame(&painter); });
    if (hasFocus())
        drawFocusRing(painter, contentsRect(), palette());
}

} // namespace tamsel
