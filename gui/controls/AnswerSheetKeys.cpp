#include "controls/AnswerSheetKeys.h"

#include "controls/TabbedDialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QShortcut>

#include <algorithm>

namespace tamsel {

AnswerSheetKeys::AnswerSheetKeys(TabbedDialog* sheet, Boxes boxes)
    : QObject(sheet)
    , sheet_(sheet)
    , boxes_(std::move(boxes))
{
    constexpr int choices = 8;
    for (int choice = 1; choice <= choices; ++choice) {
        const auto digit = static_cast<Qt::Key>(Qt::Key_0 + choice);
        for (const QKeyCombination keys : {QKeyCombination(digit), Qt::KeypadModifier | digit}) {
            auto* shortcut = new QShortcut(QKeySequence(keys), sheet);
            shortcut->setContext(Qt::WidgetWithChildrenShortcut);
            connect(shortcut, &QShortcut::activated, this, [this, choice] { choose(choice); });
        }
    }
}

void AnswerSheetKeys::watch(const std::vector<QCheckBox*>& itemBoxes)
{
    for (QCheckBox* box : itemBoxes)
        box->installEventFilter(this);
}

void AnswerSheetKeys::choose(int choice)
{
    const std::vector<QCheckBox*>& boxes = boxes_(sheet_->currentIndex());
    if (choice > static_cast<int>(boxes.size()))
        return;
    QCheckBox* box = boxes[static_cast<size_t>(choice - 1)];
    box->setFocus(Qt::ShortcutFocusReason);
    box->click();
}

bool AnswerSheetKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int step = key->key() == Qt::Key_Right ? 1 : key->key() == Qt::Key_Left ? -1 : 0;
    // The keypad's arrows, with NumLock off, come with the keypad modifier: they are arrows too.
    if (step == 0 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const std::vector<QCheckBox*>& boxes = boxes_(sheet_->currentIndex());
    const auto at = std::find(boxes.begin(), boxes.end(), watched);
    if (at == boxes.end())
        return false;
    const auto next = at - boxes.begin() + step;
    if (next >= 0 && next < static_cast<long>(boxes.size()))
        boxes[static_cast<size_t>(next)]->setFocus(Qt::TabFocusReason);
    return true;
}

} // namespace tamsel
