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

} // namespace

QAccessibleInterface* createControlAccessible(const QString& className, QObject* object)
{
    if (QAccessibleInterface* dialog = TabbedDialogAccessible::create(className, object))
        return dialog;
    // Qt takes any frame for a window's border, which a screen reader announces as a window.
    if (auto* picture = qobject_cast<PictureBox*>(object))
        return new QAccessibleWidget(picture, picture->kind() == PictureBox::Kind::Figure
                                                  ? QAccessible::Graphic
                                                  : QAccessible::Client);
    if (auto* display = qobject_cast<DisplayLabel*>(object))
        return new DisplayLabelAccessible(display);
    if (auto* announcer = qobject_cast<Announcer*>(object))
        return new QAccessibleWidget(announcer, QAccessible::Notification);
    return nullptr;
}

} // namespace tamsel
