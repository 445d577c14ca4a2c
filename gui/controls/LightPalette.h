#pragma once
// The light palette the program's windows keep whatever the desktop's theme: the style's own
// standard palette follows a dark theme, so this one is made from fixed colours, those of the
// style's light palette.

#include <QPalette>

namespace tamsel {

inline QPalette lightPalette()
{
    QPalette light(QColor(239, 239, 239)); // the button and window face; the rest derive from it
    light.setColor(QPalette::Highlight, QColor(48, 140, 198));
    light.setColor(QPalette::HighlightedText, Qt::white);
    light.setColor(QPalette::Link, QColor(0, 0, 255));
    light.setColor(QPalette::ToolTipBase, QColor(255, 255, 220));
    light.setColor(QPalette::ToolTipText, Qt::black);
    light.setColor(QPalette::PlaceholderText, QColor(0, 0, 0, 128));
    return light;
}

} // namespace tamsel
