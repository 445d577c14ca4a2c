#pragma once
// The keys of an answer sheet, so that a whole attempt goes quickly from the keyboard: the digits
// 1 to 8 act as a click on that choice's box of the item in view (the box takes the focus and
// toggles as under the mouse), and Left and Right, the keypad's included, move between the boxes of
// an item. It owns nothing but its shortcuts; the sheet and the boxes stay the window's.

#include <QObject>

#include <functional>
#include <vector>

class QCheckBox;

namespace tamsel {

class TabbedDialog;

class AnswerSheetKeys final : public QObject {
public:
    using Boxes = std::function<const std::vector<QCheckBox*>&(int item)>;

    // boxes gives the boxes of the item on page item of sheet, in their order.
    AnswerSheetKeys(TabbedDialog* sheet, Boxes boxes);
    // Left and Right move among these boxes of one item, made after the keys.
    void watch(const std::vector<QCheckBox*>& itemBoxes);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void choose(int choice);

    TabbedDialog* sheet_;
    Boxes boxes_;
};

} // namespace tamsel
