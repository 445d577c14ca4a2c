#include "marking/Marking.h"

#include <numeric>

namespace tamsel {

MarkOutcome markItem(const AnswerKeyRow& key, std::span<const BoxState> boxes)
{
    // Boxes are read from ① upwards and the first one that decides Hide ends the reading;
    // a grayed box other than the right one counts as not ticked.
    const auto stateOf = [&](int box) {
        return box <= static_cast<int>(boxes.size()) ? boxes[box - 1] : BoxState::Clear;
    };
    for (int box = 1; box <= key.consulted; ++box) {
        const BoxState state = stateOf(box);
        if (box == key.correct ? state == BoxState::Clear : state == BoxState::Ticked)
            return MarkOutcome::Hide;
    }
    return stateOf(key.correct) == BoxState::Ticked ? MarkOutcome::Show : MarkOutcome::Leave;
}

SheetMarking markSheet(const SheetBoxes& sheet)
{
    SheetMarking result;
    for (int n = 0; n < itemCount; ++n) {
        result.outcomes[n] = markItem(AnswerKey[n], sheet[n]);
        if (result.outcomes[n] == MarkOutcome::Show)
            result.ItemPoints[n] = AnswerKey[n].points;
    }
    result.TotalScore = std::accumulate(result.ItemPoints.begin(), result.ItemPoints.end(), 0);
    return result;
}

} // namespace tamsel
