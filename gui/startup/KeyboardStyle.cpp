#include "startup/KeyboardStyle.h"

#include "controls/FocusRing.h"

#include <QCheckBox>
#include <QPainter>
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

void KeyboardStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                  QPainter* painter, const QWidget* widget) const
{
    switch (element) {
    case PE_IndicatorCheckBox:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        painter->save();
        painter->setPen(QColor(outline));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option->rect).adjusted(0.5, 0.5, -0.5, -0.5));
        painter->restore();
        return;
    case PE_FrameFocusRect:
        if (qobject_cast<const QCheckBox*>(widget)) {
            drawFocusRing(*painter, option->rect.adjusted(-2, -1, 2, 1), option->palette);
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

} // namespace tamsel
