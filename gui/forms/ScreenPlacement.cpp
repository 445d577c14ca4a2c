#include "forms/ScreenPlacement.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace tamsel {
namespace {

QMargins windowSystemFrame(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

FrameMarginsReader& frameReader()
{
    static FrameMarginsReader reader = windowSystemFrame;
    return reader;
}

QMargins frameMargins(const QWidget* window)
{
    return frameReader()(window);
}

// The frame another shown window of the program has: the window manager gives every window of
// the same kind the same frame.
QMargins expectedFrameMargins(const QWidget* window)
{
    for (const QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && other->windowFlags() == window->windowFlags())
            return frameMargins(other);
    }
    return {};
}

// The client area's size: before the first show that is the size the window asks for, or its
// fixed size where it asks for none.
QSize clientSize(const QWidget* window)
{
    return window->isVisible() ? window->size() : window->size().expandedTo(window->sizeHint());
}

void place(QWidget* window, const QMargins& margins)
{
    const QScreen* screen = window->screen();
    if (!screen)
        return;
    const QSize client = clientSize(window);
    const QPoint frame = centredFramePosition(client.grownBy(margins), screen->availableGeometry());
    // The client area's place: the window manager keeps it and builds the frame around it.
    window->setGeometry(QRect(frame + QPoint(margins.left(), margins.top()), client));
}

// Watches a window until the window manager has framed it, then tells framed its frame once and
// goes. The frame comes with the window's first exposure, or with a move when the window manager
// moves the window as it frames it. Without a window manager there is no frame, and nothing is
// told.
class FrameWatch final : public QObject {
public:
    FrameWatch(QWidget* window, std::function<void(const QMargins&)> framed)
        : QObject(window)
        , window_(window)
        , framed_(std::move(framed))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Show:
            if (watched == window_ && window_->windowHandle())
                window_->windowHandle()->installEventFilter(this);
            break;
        case QEvent::Expose:
        case QEvent::Move:
            tellOnceFramed();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void tellOnceFramed()
    {
        const QMargins margins = frameMargins(window_);
        if (margins.isNull())
            return;
        window_->removeEventFilter(this);
        if (window_->windowHandle())
            window_->windowHandle()->removeEventFilter(this);
        deleteLater();
        framed_(margins);
    }

    QWidget* window_;
    std::function<void(const QMargins&)> framed_;
};

} // namespace

ClientFit fitClient(QSize client, int menuHeight, const QRect& available, const QMargins& frame,
                    int scrollBarExtent)
{
    const int widest = available.width() - frame.left() - frame.right();
    const int tallest = available.height() - frame.top() - frame.bottom();
    QSize needed(client.width(), client.height() + menuHeight);
    if (needed.width() <= widest && needed.height() <= tallest)
        return {needed, false};
    // A scroll bar across takes height, one down takes width, which may call for the other.
    bool across = needed.width() > widest;
    if (needed.height() + (across ? scrollBarExtent : 0) > tallest) {
        needed.rwidth() += scrollBarExtent;
        across = needed.width() > widest;
    }
    if (across)
        needed.rheight() += scrollBarExtent;
    return {needed.boundedTo(QSize(widest, tallest)), true};
}

QMargins likelyFrameMargins(const QWidget* window)
{
    const QMargins known = expectedFrameMargins(window);
    // Without a window of the program framed yet: a thin border and a common title bar. A pixel
    // more each way, which a fractional scale can take when it rounds the window's size.
    return (known.isNull() ? QMargins(1, 23, 1, 1) : known) + QMargins(1, 1, 1, 1);
}

QPoint centredFramePosition(QSize frame, const QRect& available)
{
    QRect placed({}, frame);
    placed.moveCenter(available.center());
    return {std::max(placed.left(), available.left()), std::max(placed.top(), available.top())};
}

void centreOnScreen(QWidget* window)
{
    const QMargins guessed =
        window->isVisible() ? frameMargins(window) : expectedFrameMargins(window);
    place(window, guessed);
    if (!window->isVisible()) {
        whenFramed(window, [window, guessed](const QMargins& frame) {
            if (frame != guessed)
                place(window, frame);
        });
    }
}

void whenFramed(QWidget* window, std::function<void(const QMargins&)> framed)
{
    new FrameWatch(window, std::move(framed));
}

void setFrameMarginsReader(FrameMarginsReader reader)
{
    frameReader() = reader ? std::move(reader) : windowSystemFrame;
}

} // namespace tamsel
