#include "forms/WindowShelf.h"

#include "forms/FormBuilder.h"
#include "forms/ScreenPlacement.h"

#include <QApplication>

namespace tamsel {

WindowShelf::~WindowShelf()
{
    for (auto& [name, window] : windows_)
        delete window.data();
}

QWidget* WindowShelf::show(const DocumentFormDesign& design, const QWidget* openedFrom)
{
    QPointer<QWidget>& held = windows_[QString::fromUtf8(design.form.name)];
    if (!held) {
        QWidget* window = buildDocumentForm(design, openedFrom->screen());
        window->setAttribute(Qt::WA_DeleteOnClose);
        held = window;
        centreOnScreen(window);
        // Closed, it gives the keyboard back to the window it was opened from.
        if (QWidget* opener = QApplication::activeWindow())
            QObject::connect(window, &QObject::destroyed, opener,
                             [opener] { opener->activateWindow(); });
        window->show();
    }
    // Its coming up is what a screen reader speaks, with the window's description: the window
    // takes the keyboard, as a window manager would give it, also where none runs.
    held->raise();
    held->activateWindow();
    return held;
}

QWidget* WindowShelf::window(const QString& name) const
{
    const auto found = windows_.find(name);
    return found == windows_.end() ? nullptr : found->second.data();
}

void WindowShelf::close(std::span<const char* const> names)
{
    for (const char* name : names) {
        if (QWidget* open = window(QString::fromUtf8(name)))
            open->close();
    }
}

} // namespace tamsel
