#pragma once
// The keys of an answer sheet, so that a whole attempt goes quickly from the keyboard: the digits
// 1 to 8 act as a click on that choice's box of the item in view (the box takes the focus and
// toggles as under the mouse), and Left and Right, the keypad's included, move between the boxes of
// an item. The controls the student reads the questions in take no typed text: from them the
// digits tick the item in view too, leaving the focus where the student reads, and Ctrl+Tab and
// Ctrl+Shift+Tab move on to the next or back to the previous item. It owns nothing but its
// shortcuts; the sheet, the boxes and the reading controls stay the window's.

#include <QObject>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QKeyEvent;

namespace tamsel {

class TabbedDialog;

class AnswerSheetKeys final : public QObject {
public:
    using Boxes = std::function<const std::vector<QCheckBox*>&(int item)>;

    // boxes gives the boxes of the item on page item of sheet, in their order.
    AnswerSheetKeys(TabbedDialog* sheet, Boxes boxes);
    // Left and Right move among these boxes of one item, made after the keys.
    void watch(const std::vector<QCheckBox*>& itemBoxes);
    // The digits and the item keys answer from reader, which takes no typed text.
    void answerFrom(QWidget* reader);
    // What a key in a reader does besides: tick is how a digit ticks or clears a box (a click
    // unless set), reached is told the page of the item an item key moved to.
    struct FromReader {
        std::function<void(QCheckBox* box)> tick;
        std::function<void(int page)> reached;
    };
    void setFromReader(FromReader fromReader) { fromReader_ = std::move(fromReader); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What a key pressed in a reader does to the sheet.
    struct ReaderKey {
        int choice = 0;   // a digit's choice, or 0
        int itemStep = 0; // an item key's step, or 0
    };
    static std::optional<ReaderKey> readerKey(const QKeyEvent& key);
    bool moveAmongBoxes(QObject* watched, const QKeyEvent& key);
    // The box of choice on the item in view, or null where the item has fewer.
    QCheckBox* boxInView(int choice) const;
    void choose(int choice);

    TabbedDialog* sheet_;
    Boxes boxes_;
    std::vector<QObject*> readers_;
    FromReader fromReader_;
};

} // namespace tamsel
