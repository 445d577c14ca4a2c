#pragma once
// The platform's style with the keyboard habits of the desktop the program was made for: a lone
// Alt puts the menu bar in keyboard mode, and the menu the keys stand on is highlighted as an
// open one is, so the student sees where the arrows and Enter go. The check boxes stand on the
// windows' own pictures, so their outlines and the focus are drawn dark enough to stand out at
// least 3:1 from any light background.

#include <QProxyStyle>

namespace tamsel {

class KeyboardStyle final : public QProxyStyle {
    Q_OBJECT

public:
    using QProxyStyle::QProxyStyle;

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

    // The outline of a check box.
    static constexpr QRgb outline = qRgb(88, 88, 88);
};

} // namespace tamsel
