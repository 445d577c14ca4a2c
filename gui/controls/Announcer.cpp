#include "controls/Announcer.h"

namespace tamsel {

Announcer::Announcer(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    resize(1, 1);
    hide();
}

void Announcer::announce(const QString& text)
{
    // A screen reader speaks a notification as it turns from hidden to showing.
    hide();
    setAccessibleName(text);
    show();
}

} // namespace tamsel
