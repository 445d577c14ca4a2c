#pragma once
// A picture box: draws its picture unscaled from the top-left corner inside its border and clips
// what does not fit. Nothing scrolls and nothing is scaled. It owns its picture only.

#include <QFrame>
#include <QPixmap>

namespace tamsel {

class PictureBox final : public QFrame {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent);

    void setPicture(const QPixmap& picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

} // namespace tamsel
