#pragma once
// Builds windows and their plain controls from their designs: fonts, the client area with its
// picture or colour, menus, buttons, labels and rich-text boxes, placed in pixels, and whole
// document windows that have no code of their own. Owns nothing; the parent owns what is built.

#include "design/FormDesign.h"

#include <QFont>
#include <QString>

#include <map>
#include <span>

class QAction;
class QLabel;
class QMainWindow;
class QMenuBar;
class QPushButton;
class QScreen;
class QWidget;

namespace tamsel {

class PictureBox;
class RichTextBox;

QFont makeFont(const FontDesign& design);
QPushButton* makeButton(const ButtonDesign& design, QWidget* parent);
QLabel* makeLabel(const LabelDesign& design, QWidget* parent);
// Gives a label made elsewhere the design's name, text, place, font and colours; returns it.
QLabel* designLabel(QLabel* label, const LabelDesign& design);
// The box holds its document, read from the design's resource.
RichTextBox* makeRichTextBox(const RichTextBoxDesign& design, QWidget* parent);
// The actions made for a window's menu items, by their design names.
using MenuActions = std::map<QString, QAction*>;
// Every menu item becomes an action named as designed; the window wires the actions returned.
MenuActions buildMenus(QMenuBar* bar, std::span<const MenuDesign> menus);
// The action made for the design's item of that name, which the design must have.
QAction* menuAction(const MenuActions& actions, const char* name);

// Gives window the design's name, caption, font and icon, and returns its client area: fixed at
// the design's size, showing the background picture or colour. Controls go on the client area.
PictureBox* buildForm(QWidget* window, const FormDesign& design);

// Makes client the window's client area, below its menu bar: fixed at its size where the window
// fits its screen's free area, frame included; in a scroll area as large as fits where it does
// not (a small screen at a large scale), so that every control can still be reached. The frame
// is guessed until the window manager has framed the window; by its real frame the window may
// then scroll after all.
void setClientArea(QMainWindow* window, QWidget* client);

// A new top-level window built from a design, its controls in tab order, for screen (the primary
// screen where none is given).
QWidget* buildDocumentForm(const DocumentFormDesign& design, QScreen* screen = nullptr);

// A label that sizes itself to its text keeps its left edge and its height and grows to the
// right; an empty text keeps its designed width.
void setTextAndFit(QLabel* label, const QString& text, int emptyWidth);

} // namespace tamsel
