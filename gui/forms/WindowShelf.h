#pragma once
// The single-instance windows that the exam window opens beside itself: each is built from its
// design the first time it is shown, for the screen of the window that opens it, shown modeless
// with no owner, destroyed when the user closes it and built afresh at the next show. A show
// while it is open raises it instead of making a copy. A shown window takes the keyboard, and a
// screen reader speaks its name and description (a pass-line window's verdict) as it comes up.
// Closed, a window gives the keyboard back to the window it was opened from. The shelf holds
// guarded pointers only: the windows own themselves.

#include "design/FormDesign.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <span>

namespace tamsel {

class WindowShelf final {
public:
    WindowShelf() = default;
    WindowShelf(const WindowShelf&) = delete;
    WindowShelf& operator=(const WindowShelf&) = delete;
    // Windows still open when the shelf goes are closed with it.
    ~WindowShelf();

    // Shows the window of design, built for the screen that openedFrom stands on.
    QWidget* show(const DocumentFormDesign& design, const QWidget* openedFrom);
    // The open window of that name, or nothing.
    QWidget* window(const QString& name) const;
    // Closes the open windows among names, in that order; the others are neither built nor shown.
    void close(std::span<const char* const> names);

private:
    std::map<QString, QPointer<QWidget>> windows_;
};

} // namespace tamsel
