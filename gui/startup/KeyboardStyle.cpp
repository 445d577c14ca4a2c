#include "startup/KeyboardStyle.h"

#include <QStyleOptionMenuItem>

namespace tamsel {

int KeyboardStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                             QStyleHintReturn* returnData) const
{
    if (hint == SH_MenuBar_AltKeyNavigation)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void KeyboardStyle::drawControl(ControlElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const
{
    // The styles highlight a menu bar's item only while its menu is down.
    if (element == CE_MenuBarItem && (option->state & State_Selected)) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QStyleOptionMenuItem highlighted = *item;
            highlighted.state |= State_Sunken;
            QProxyStyle::drawControl(element, &highlighted, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

} // namespace tamsel
