#pragma once
// Places top-level windows in the middle of their screen's available area, frame included. The
// window manager adds the frame only once it takes the window on, so a window placed before it is
// shown first uses the frame of a window already on the screen, and is placed once more, without
// a visible jump where the guess was right, when its own frame is known.

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace tamsel {

// Where the top-left corner of a frame of that size goes: centred in available; where it does not
// fit, its top-left corner (title bar and menus) stays inside available.
QPoint centredFramePosition(QSize frame, const QRect& available);

// Centres window's frame on its screen, now and once more when the window manager has framed it.
void centreOnScreen(QWidget* window);

// Tells framed the frame of window, not shown yet, once the window manager has framed it; never
// where no window manager frames it.
void whenFramed(QWidget* window, std::function<void(const QMargins&)> framed);

// Where the frame round a shown window is read from, null while it has none: the window system,
// unless a test puts a stand-in in its place (the offscreen platform frames every window alike);
// an empty reader restores the window system.
using FrameMarginsReader = std::function<QMargins(const QWidget* window)>;
void setFrameMarginsReader(FrameMarginsReader reader);

// The size of a window whose client area, below a menu bar of menuHeight, may not fit the free
// area of its screen with its frame: the whole window where it fits; otherwise as much as fits,
// the client area then scrolling, with room for the scroll bars it needs.
struct ClientFit {
    QSize window;
    bool scrolls = false;
};
ClientFit fitClient(QSize client, int menuHeight, const QRect& available, const QMargins& frame,
                    int scrollBarExtent);

// The frame the window manager will give window: that of another shown window of the program,
// or a common title bar's where there is none yet.
QMargins likelyFrameMargins(const QWidget* window);

} // namespace tamsel
