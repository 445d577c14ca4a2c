#pragma once
// Window designs are written in twips, as drawn; this is the one place that turns them into
// pixels. 15 twips make a pixel at 100 %; Qt's high-DPI scaling takes it from there.

#include <QColor>
#include <QRect>
#include <QSize>

namespace tamsel {

inline constexpr int twipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    return twips / twipsPerPixel;
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct TwipsSize {
    int width = 0;
    int height = 0;
};

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb white{255, 255, 255};

// Weights are regular (400) or bold (700); every face of the designs has the Shift-JIS
// character set.
struct FontDesign {
    const char* face = "";
    double points = 9.0;
    bool bold = false;
};

inline QRect toPixels(TwipsRect r)
{
    return {twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width),
            twipsToPixels(r.height)};
}

inline QSize toPixels(TwipsSize s)
{
    return {twipsToPixels(s.width), twipsToPixels(s.height)};
}

inline QColor toColor(Rgb c)
{
    return QColor(c.red, c.green, c.blue);
}

} // namespace tamsel
