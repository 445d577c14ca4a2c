#pragma once
// What assistive technology sees of a TabbedDialog: a page tab list whose first children are the
// tabs, each a page tab named by its caption and described by its description, that its action
// selects, followed by the pages. It answers where the focus is, and it and its tabs turn invalid
// once the dialog's destructor begins; the tabs' interfaces go with it.

#include <QAccessibleWidget>
#include <QHash>

namespace tamsel {

class TabbedDialog;

class TabbedDialogAccessible final : public QAccessibleWidget {
public:
    explicit TabbedDialogAccessible(TabbedDialog* dialog);
    ~TabbedDialogAccessible() override;

    // The factory to install once with QAccessible::installFactory.
    static QAccessibleInterface* create(const QString& className, QObject* object);

    // Tells assistive technology that the selected tab moved from previous to the current one:
    // the old tab is deselected, the new one selected and, with the focus on the strip, focused.
    static void notifyTabChange(TabbedDialog* dialog, int previous);
    // Tells it that a tab's description changed.
    static void notifyDescriptionChange(TabbedDialog* dialog, int index);
    // Tells it that the focus is on the selected tab, once the strip has taken the focus.
    static void notifyFocus(TabbedDialog* dialog);

    // Invalid from the moment the dialog's destructor begins.
    bool isValid() const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // The dialog, or nothing once its destructor has begun.
    TabbedDialog* dialog() const;

private:
    mutable QHash<int, QAccessible::Id> tabs_;
};

} // namespace tamsel
