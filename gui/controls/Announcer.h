#pragma once
// What a screen reader speaks wherever the focus is: assistive technology sees this widget as a
// notification, and a notification that comes into view is read out at once. It is one pixel,
// draws nothing and takes no input; it owns only the text of its last announcement.

#include <QWidget>

namespace tamsel {

class Announcer final : public QWidget {
    Q_OBJECT

public:
    explicit Announcer(QWidget* parent);

    // Shows the text as a new notification; the same text twice is announced twice.
    void announce(const QString& text);
};

} // namespace tamsel
