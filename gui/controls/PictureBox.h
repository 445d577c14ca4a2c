#pragma once
// A picture box: draws its picture unscaled from the top-left corner inside its border and clips
// what does not fit. Nothing scrolls and nothing is scaled. It owns its picture only. A backdrop
// is the client area behind a window's controls; a figure is a picture in its own right.

#include <QFrame>
#include <QPixmap>

namespace tamsel {

class PictureBox final : public QFrame {
    Q_OBJECT

public:
    enum class Kind { Backdrop, Figure };

    explicit PictureBox(QWidget* parent, Kind kind = Kind::Backdrop);

    Kind kind() const { return kind_; }

    void setPicture(const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Kind kind_ = Kind::Backdrop;
    QPixmap picture_;
};

} // namespace tamsel
