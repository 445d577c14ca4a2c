#pragma once
// A picture box: draws its picture unscaled from the top-left corner inside its border and clips
// what does not fit. Nothing scrolls, and the picture keeps its size in the window's pixels: on a
// high-density screen the box draws the picture's sharpest version that it holds, at that size.
// The border is drawn last, so that the picture never covers it where the screen's scale puts
// the edge of the picture inside a border pixel. It owns its picture only. A backdrop is the
// client area behind a window's controls; a figure is a picture in its own right, which shows a
// focus ring while it has the keyboard's focus, and can hold what it shows in words, one sentence
// a line, with a reading position that a screen reader reads at: Up and Down move it a sentence,
// Home and End to the first and the last.

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

    // What the figure shows in words, read from its first sentence.
    void setReadingText(const QStringList& sentences);
    const QString& readingText() const { return readingText_; }
    int readingPosition() const { return readingPosition_; }
    // Moves the reading position to offset (within the text), and tells assistive technology.
    void setReadingPosition(int offset);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Kind kind_ = Kind::Backdrop;
    DensityPicture picture_;
    QPixmap shown_;          // picture_ for the screen's density the box last painted on...
    qreal shownDensity_ = 0; // ...which is this
    QString readingText_;    // the sentences, one a line
    int readingPosition_ = 0;
};

} // namespace tamsel
