#pragma once
// The parts a designed window is made of, as constexpr data in the units of the design: twips,
// RGB triples and fonts by face, size and weight. Any window of the program is a few rows of
// these; turning them into widgets is the form builder's job, and nothing here changes at run
// time.

#include "design/DesignUnits.h"

#include <optional>
#include <span>

namespace tamsel {

// The face every window of the program is designed in.
inline constexpr const char* msGothic = "ＭＳ ゴシック";

// The program's icon for every window's frame and task bar button: the one the desktop's menus and
// Explorer show (content/icons/, drawn by tools/make_icon.py), in the sizes a frame draws it at,
// as bitmaps.
inline constexpr const char* programIcon = ":/icons/tamsel-frame.ico";

enum class Align { Left, Right, Centre };

struct FormDesign {
    const char* name;    // the window's object name, e.g. "frmTamsel"
    const char* caption; // the title bar's text
    TwipsSize clientArea;
    FontDesign font;
    std::optional<Rgb> backgroundColour;     // painted behind the controls...
    const char* backgroundPicture = nullptr; // ...or a picture drawn unscaled from the top-left
    const char* icon = nullptr;
};

struct ButtonDesign {
    const char* name;
    const char* text;
    TwipsRect rect;
    FontDesign font;
};

struct LabelDesign {
    const char* name;
    const char* text;
    TwipsRect rect;
    FontDesign font;
    Align align = Align::Left;
    std::optional<Rgb> background; // nothing: what lies behind the label shows through
    Rgb foreground = black;
};

// A read-only rich-text box holding one of the program's documents, a Qt resource.
struct RichTextBoxDesign {
    const char* name;
    TwipsRect rect;
    FontDesign font;
    const char* document;
    const char* accessibleName = nullptr; // what a screen reader calls the box
};

// Captions carry their access key after "&", as in "終了(&Q)".
struct MenuItemDesign {
    const char* name;
    const char* caption;
};

struct MenuDesign {
    const char* name;
    const char* caption;
    std::span<const MenuItemDesign> items;
};

// A window that shows one document under a few labels and has no code of its own: the
// pass-line windows and the help window. Controls stand in tab order, the box first.
struct DocumentFormDesign {
    FormDesign form;
    RichTextBoxDesign document;
    std::span<const LabelDesign> labels;
};

} // namespace tamsel
