#include "controls/TabbedDialogAccessible.h"

#include "controls/TabbedDialog.h"

namespace tamsel {
namespace {

// The dialog while it is whole. QWidget's destructor, which runs after the dialog's own parts are
// gone, still gives up the focus and hides the dialog, and assistive technology may ask about it
// then: the dialog is no TabbedDialog any more by that time, and nothing of it is read.
TabbedDialog* wholeDialog(QObject* object)
{
    return qobject_cast<TabbedDialog*>(object);
}

// One tab of the dialog. It is no QObject, so it reaches its dialog through the parent.
class TabAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(TabbedDialog* dialog, int index)
        : dialog_(dialog)
        , index_(index)
    {
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QObject* object() const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    bool isValid() const override
    {
        const TabbedDialog* whole = dialog();
        return whole && index_ < whole->count();
    }
    QAccessibleInterface* parent() const override
    {
        return QAccessible::queryAccessibleInterface(dialog_);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        switch (t) {
        case QAccessible::Name:
            return dialog()->tabText(index_);
        case QAccessible::Description:
            return dialog()->tabDescription(index_);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = dialog()->tabRect(index_);
        return {dialog()->mapToGlobal(local.topLeft()), local.size()};
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        const bool current = dialog()->currentIndex() == index_;
        s.selected = current;
        s.focused = current && dialog()->hasFocus();
        s.invisible = !dialog()->isVisible();
        s.disabled = !dialog()->isEnabled();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override
    {
        if (name == pressAction() && isValid())
            dialog()->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    // Null once the dialog's destructor has begun: it is then no longer a TabbedDialog.
    TabbedDialog* dialog() const { return wholeDialog(dialog_); }

    // Held as what it stays to the end of its destruction, so that no look at it casts down.
    QPointer<QObject> dialog_;
    int index_ = 0;
};

} // namespace

TabbedDialogAccessible::TabbedDialogAccessible(TabbedDialog* dialog)
    : QAccessibleWidget(dialog, QAccessible::PageTabList)
{
}

TabbedDialogAccessible::~TabbedDialogAccessible()
{
    for (QAccessible::Id id : std::as_const(tabs_))
        QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* TabbedDialogAccessible::create(const QString&, QObject* object)
{
    if (auto* dialog = qobject_cast<TabbedDialog*>(object))
        return new TabbedDialogAccessible(dialog);
    return nullptr;
}

void TabbedDialogAccessible::notifyTabChange(TabbedDialog* dialog, int previous)
{
    for (int tab : {previous, dialog->currentIndex()}) {
        if (tab < 0)
            continue;
        // The bridge reports the tab's selected state as it now is.
        QAccessibleEvent selection(dialog, QAccessible::Selection);
        selection.setChild(tab);
        QAccessible::updateAccessibility(&selection);
    }
    notifyFocus(dialog);
}

void TabbedDialogAccessible::notifyDescriptionChange(TabbedDialog* dialog, int index)
{
    QAccessibleEvent change(dialog, QAccessible::DescriptionChanged);
    change.setChild(index);
    QAccessible::updateAccessibility(&change);
}

void TabbedDialogAccessible::notifyFocus(TabbedDialog* dialog)
{
    if (!dialog->hasFocus() || dialog->currentIndex() < 0)
        return;
    QAccessibleEvent focus(dialog, QAccessible::Focus);
    focus.setChild(dialog->currentIndex());
    QAccessible::updateAccessibility(&focus);
}

TabbedDialog* TabbedDialogAccessible::dialog() const
{
    return wholeDialog(widget());
}

bool TabbedDialogAccessible::isValid() const
{
    return QAccessibleWidget::isValid() && dialog();
}

int TabbedDialogAccessible::childCount() const
{
    return isValid() ? dialog()->count() + QAccessibleWidget::childCount() : 0;
}

QAccessibleInterface* TabbedDialogAccessible::child(int index) const
{
    if (!isValid() || index < 0)
        return nullptr;
    const int tabs = dialog()->count();
    if (index >= tabs)
        return QAccessibleWidget::child(index - tabs);
    if (auto found = tabs_.constFind(index); found != tabs_.constEnd())
        return QAccessible::accessibleInterface(*found);
    auto* tab = new TabAccessible(dialog(), index);
    tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
    return tab;
}

int TabbedDialogAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    if (!isValid() || !child)
        return -1;
    if (child->role() == QAccessible::PageTab) {
        const QAccessible::Id id = QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child));
        for (auto it = tabs_.constBegin(); it != tabs_.constEnd(); ++it) {
            if (it.value() == id)
                return it.key();
        }
        return -1;
    }
    const int index = QAccessibleWidget::indexOfChild(child);
    return index < 0 ? -1 : index + dialog()->count();
}

QAccessibleInterface* TabbedDialogAccessible::childAt(int x, int y) const
{
    if (!isValid())
        return nullptr;
    const QPoint local = dialog()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < dialog()->count(); ++i) {
        if (dialog()->tabRect(i).contains(local))
            return child(i);
    }
    return QAccessibleWidget::childAt(x, y);
}

// With the focus on the tab list, the selected tab has it, as a screen reader expects of Qt's own
// tab bars; with the focus on a control of a page, that control.
QAccessibleInterface* TabbedDialogAccessible::focusChild() const
{
    if (!isValid())
        return nullptr;
    for (int i = 0; i < dialog()->count(); ++i) {
        QAccessibleInterface* tab = child(i);
        if (tab->state().focused)
            return tab;
    }
    return QAccessibleWidget::focusChild();
}

} // namespace tamsel
