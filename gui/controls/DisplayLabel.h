#pragma once
// A label that shows a value written at run time (the remaining time, the score) in the gap that
// its frame text leaves for it. Assistive technology reads it by its own text, a whole phrase
// ("あと 53 分"), also while it is empty; the frame text around it is drawn for the eye alone, so a
// screen reader's review finds the phrase once, not mixed with the frame's words. Both own
// nothing but their text.

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

class DisplayFrame final : public QLabel {
    Q_OBJECT

public:
    explicit DisplayFrame(QWidget* parent)
        : QLabel(parent)
    {
    }
};

} // namespace tamsel
