#include "controls/PictureBox.h"

#include <QPainter>

namespace tamsel {

PictureBox::PictureBox(QWidget* parent, Kind kind)
    : QFrame(parent)
    , kind_(kind)
{
}

void PictureBox::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawPixmap(contentsRect().topLeft(), picture_);
}

} // namespace tamsel
