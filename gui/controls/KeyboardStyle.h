#pragma once
// The platform's style with the keyboard habits of the desktop the program was made for: a lone
// Alt puts the menu bar in keyboard mode, and the menu the keys stand on is highlighted as an
// open one is, so the student sees where the arrows and Enter go. The check boxes stand on the
// windows' own pictures, so their outlines are drawn dark enough to stand out at least 3:1 from
// any light background; a focused button or check box shows a closed ring two pixels wide, whole
// inside the control.

#include <QProxyStyle>

namespace tamsel {

class KeyboardStyle final : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

    // The outline of a check box.
    static constexpr QRgb outline = qRgb(88, 88, 88);
    // The room between a check box's caption and its focus ring's outer edge.
    static constexpr int captionMargin = 3;
};

} // namespace tamsel
