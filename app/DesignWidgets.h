#pragma once
// Builds the plain controls of a window design: fonts, buttons and labels, placed in pixels.
// Owns nothing; the parent owns what is built.

#include "app/ExamWindowDesign.h"

#include <QFont>

class QLabel;
class QPushButton;
class QWidget;

namespace tamsel {

QFont makeFont(const FontDesign& design);
QPushButton* makeButton(const examdesign::ButtonDesign& design, QWidget* parent);
QLabel* makeLabel(const examdesign::LabelDesign& design, QWidget* parent);

// A label that sizes itself to its text keeps its left edge and its height and grows to the
// right; an empty text keeps its designed width.
void setTextAndFit(QLabel* label, const QString& text, int emptyWidth);

} // namespace tamsel
