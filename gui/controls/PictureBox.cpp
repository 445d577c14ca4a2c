#include "controls/PictureBox.h"

#include "controls/FocusRing.h"
#include "controls/WholeBorder.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

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

void PictureBox::setReadingText(const QStringList& sentences)
{
    readingText_ = sentences.join(u'\n');
    readingPosition_ = 0;
}

void PictureBox::setReadingPosition(int offset)
{
    offset = std::clamp(offset, 0, static_cast<int>(readingText_.size()));
    if (offset == readingPosition_)
        return;
    readingPosition_ = offset;
    QAccessibleTextCursorEvent moved(this, offset);
    QAccessible::updateAccessibility(&moved);
}

void PictureBox::keyPressEvent(QKeyEvent* event)
{
    const int position = readingPosition_;
    // Where the line that holds offset begins.
    const auto lineStart = [&](int offset) {
        return offset <= 0 ? 0 : static_cast<int>(readingText_.lastIndexOf(u'\n', offset - 1)) + 1;
    };
    const auto modifiers = event->modifiers() & ~(Qt::ControlModifier | Qt::KeypadModifier);
    if (readingText_.isEmpty() || modifiers != Qt::NoModifier)
        return QFrame::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Up:
        setReadingPosition(lineStart(lineStart(position) - 1));
        break;
    case Qt::Key_Down:
        if (const auto next = readingText_.indexOf(u'\n', position); next >= 0)
            setReadingPosition(static_cast<int>(next) + 1);
        break;
    case Qt::Key_Home:
        setReadingPosition(0);
        break;
    case Qt::Key_End:
        setReadingPosition(lineStart(static_cast<int>(readingText_.size())));
        break;
    default:
        return QFrame::keyPressEvent(event);
    }
}

} // namespace tamsel
