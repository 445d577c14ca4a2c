#pragma once
// The accessibility factory of the program's own controls: tabbed dialogs as page tab lists, the
// client area of a window as a filler rather than a frame, a figure as an image that reads as a
// text of sentences, a display read by its own text (its frame kept out of review), and the
// announcer as a notification. Install it once with QAccessible::installFactory.

class QAccessibleInterface;
class QObject;
class QString;

namespace tamsel {

QAccessibleInterface* createControlAccessible(const QString& className, QObject* object);

} // namespace tamsel
