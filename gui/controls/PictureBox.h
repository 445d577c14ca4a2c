#pragma once
// A picture box: draws its picture unscaled from the top-left corner inside its border and clips
// what does not fit. Nothing scrolls, and the picture keeps its size in the window's pixels: on a
// high-density screen the box draws the picture's sharpest version that it holds, at that size.
// The border is drawn last, so that the picture never covers it where the screen's scale puts
// the edge of the picture inside a border pixel. It owns its picture only. A backdrop is the
// client area behind a window's controls; a figure is a picture in its own right, which shows a
// focus ring while it has the keyboard's focus.

#include "controls/Densities.h"

#include <QFrame>
#include <QPixmap>

namespace tamsel {

class PictureBox final : public QFrame {
    Q_OBJECT

public:
    enum class Kind { Backdrop, Figure };

    explicit PictureBox(QWidget* parent, Kind kind = Kind::Backdrop);

    Kind kind() const { return kind_; }

    // A picture in two densities, drawn from the one that suits the screen.
    void setPicture(const DensityPicture& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_ = Kind::Backdrop;
    DensityPicture picture_;
    QPixmap shown_;          // picture_ for the screen's density the box last painted on...
    qreal shownDensity_ = 0; // ...which is this
};

} // namespace tamsel
