#include "controls/KeyboardStyle.h"

#include "controls/FocusRing.h"

#include <QCheckBox>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionMenuItem>

namespace tamsel {

int KeyboardStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                               const QWidget* widget) const
{
    // A choice box is as narrow as its square and a circled digit: the caption moves towards the
    // square to leave room round it for the focus ring, which keeps a pixel from the square.
    if (metric == PM_CheckBoxLabelSpacing)
        return captionMargin + 2;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

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
    // The styles tell a focused button by the shade of its one-pixel border alone.
    if (element == CE_PushButton && (option->state & State_HasFocus))
        drawFocusRing(*painter, option->rect.marginsRemoved(QMargins(1, 1, 1, 1)), option->palette);
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
        // A check box's ring takes the whole box right of the square, round the caption: past the
        // box's edge it would be cut off.
        if (qobject_cast<const QCheckBox*>(widget)) {
            QStyleOptionButton box;
            box.initFrom(widget);
            const QRect caption = subElementRect(SE_CheckBoxContents, &box, widget);
            drawFocusRing(*painter,
                          QRect(QPoint(caption.left() - captionMargin, 0),
                                QPoint(widget->width() - 1, widget->height() - 1)),
                          option->palette);
            return;
        }
        // A button has its own ring, drawn with the button.
        if (qobject_cast<const QPushButton*>(widget))
            return;
        break;
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

} // namespace tamsel
