#pragma once
// A label that shows a value written at run time (the remaining time, the score) beside the label
// that names it. Assistive technology reads it by its own text, a whole phrase, also while it is
// empty. It owns nothing but its text.

#include <QLabel>

namespace tamsel {

class DisplayLabel final : public QLabel {
    Q_OBJECT

public:
    explicit DisplayLabel(QWidget* parent)
        : QLabel(parent)
    {
    }
};

} // namespace tamsel
