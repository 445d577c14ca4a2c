#include "controls/ControlAccessibles.h"

#include "controls/Announcer.h"
#include "controls/DisplayLabel.h"
#include "controls/PictureBox.h"
#include "controls/TabbedDialogAccessible.h"

#include <QAccessibleWidget>

namespace tamsel {
namespace {

// Qt names an empty label after the label whose buddy it is; a display stays empty instead, and
// its naming label stays a relation, not its name.
class DisplayLabelAccessible final : public QAccessibleWidget {
public:
    explicit DisplayLabelAccessible(DisplayLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? static_cast<const QLabel*>(widget())->text() : name;
    }
};

// A display's frame text is there for the eye: the display's own phrase says it all, so the
// frame is kept out of what a screen reader reviews. It keeps its words as its name.
class DisplayFrameAccessible final : public QAccessibleWidget {
public:
    explicit DisplayFrameAccessible(DisplayFrame* frame)
        : QAccessibleWidget(frame, QAccessible::StaticText)
    {
    }

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        return static_cast<const QLabel*>(widget())->text().simplified();
    }

    QAccessible::State state() const override
    {
        QAccessible::State hidden = QAccessibleWidget::state();
        hidden.invisible = true;
        return hidden;
    }
};

// A figure is an image that holds what it shows in words, one sentence a line: a screen reader
// reads the sentence at its reading position and moves through them as through a text.
class FigureAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit FigureAccessible(PictureBox* figure)
        : QAccessibleWidget(figure, QAccessible::Graphic)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    using QAccessibleWidget::text;
    QString text(int startOffset, int endOffset) const override
    {
        return figure()->readingText().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return static_cast<int>(figure()->readingText().size()); }
    int cursorPosition() const override { return figure()->readingPosition(); }
    void setCursorPosition(int position) override { figure()->setReadingPosition(position); }
    // The words stand for the whole picture: each character is where the figure is.
    QRect characterRect(int) const override { return rect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QString();
    }
    // Nothing is selected in a picture.
    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

private:
    PictureBox* figure() const { return static_cast<PictureBox*>(widget()); }
};

} // namespace

QAccessibleInterface* createControlAccessible(const QString& className, QObject* object)
{
    if (QAccessibleInterface* dialog = TabbedDialogAccessible::create(className, object))
        return dialog;
    // Qt takes any frame for a window's border, which a screen reader announces as a window.
    if (auto* picture = qobject_cast<PictureBox*>(object)) {
        if (picture->kind() == PictureBox::Kind::Figure)
            return new FigureAccessible(picture);
        return new QAccessibleWidget(picture, QAccessible::Client);
    }
    if (auto* display = qobject_cast<DisplayLabel*>(object))
        return new DisplayLabelAccessible(display);
    if (auto* frame = qobject_cast<DisplayFrame*>(object))
        return new DisplayFrameAccessible(frame);
    if (auto* announcer = qobject_cast<Announcer*>(object))
        return new QAccessibleWidget(announcer, QAccessible::Notification);
    return nullptr;
}

} // namespace tamsel
