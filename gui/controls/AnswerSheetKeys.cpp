#include "controls/AnswerSheetKeys.h"

#include "controls/TabbedDialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QShortcut>

#include <algorithm>

namespace tamsel {

namespace {

constexpr int choices = 8;

// The choice a digit stands for, the keypad's included, or 0.
int choiceOf(const QKeyEvent& key)
{
    if ((key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return 0;
    const int choice = key.key() - Qt::Key_0;
    return choice >= 1 && choice <= choices ? choice : 0;
}

} // namespace

AnswerSheetKeys::AnswerSheetKeys(TabbedDialog* sheet, Boxes boxes)
    : QObject(sheet)
    , sheet_(sheet)
    , boxes_(std::move(boxes))
{
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

void AnswerSheetKeys::answerFrom(QWidget* reader)
{
    readers_.push_back(reader);
    reader->installEventFilter(this);
}

std::optional<AnswerSheetKeys::ReaderKey> AnswerSheetKeys::readerKey(const QKeyEvent& key)
{
    if (const int choice = choiceOf(key))
        return ReaderKey{.choice = choice};
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::ShiftModifier;
    if (modifiers != Qt::ControlModifier)
        return std::nullopt;
    if (key.key() == Qt::Key_Tab && !(key.modifiers() & Qt::ShiftModifier))
        return ReaderKey{.itemStep = 1};
    if (key.key() == Qt::Key_Backtab)
        return ReaderKey{.itemStep = -1};
    return std::nullopt;
}

QCheckBox* AnswerSheetKeys::boxInView(int choice) const
{
    const std::vector<QCheckBox*>& boxes = boxes_(sheet_->currentIndex());
    return choice <= static_cast<int>(boxes.size()) ? boxes[static_cast<size_t>(choice - 1)]
                                                    : nullptr;
}

// The box takes the focus, so that the arrows go on from it.
void AnswerSheetKeys::choose(int choice)
{
    if (QCheckBox* box = boxInView(choice)) {
        box->setFocus(Qt::ShortcutFocusReason);
        box->click();
    }
}

bool AnswerSheetKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (std::ranges::find(readers_, watched) == readers_.end())
        return event->type() == QEvent::KeyPress && moveAmongBoxes(watched, *key);

    const std::optional<ReaderKey> action = readerKey(*key);
    if (!action)
        return false;
    // Taken before any shortcut, the booklet viewer's paging on Ctrl+Tab among them, the key
    // comes to the reader as a key press, and is acted on there.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (action->choice > 0) {
        if (QCheckBox* box = boxInView(action->choice))
            fromReader_.tick ? fromReader_.tick(box) : box->click();
    } else {
        sheet_->stepTab(action->itemStep);
        if (fromReader_.reached)
            fromReader_.reached(sheet_->currentIndex());
    }
    return true;
}

bool AnswerSheetKeys::moveAmongBoxes(QObject* watched, const QKeyEvent& key)
{
    const int step = key.key() == Qt::Key_Right ? 1 : key.key() == Qt::Key_Left ? -1 : 0;
    // The keypad's arrows, with NumLock off, come with the keypad modifier: they are arrows too.
    if (step == 0 || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
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
