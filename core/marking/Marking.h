#pragma once
// Marks an answer sheet against the answer key: each item's outcome for its mark and the points it
// scores, and the total. Pure: it reads box states handed to it and owns no widget or state.

#include "marking/AnswerKey.h"

#include <array>
#include <span>

namespace tamsel {

enum class BoxState { Clear, Ticked, Grayed };

// What an item's correct mark does after a marking.
enum class MarkOutcome {
    Hide,  // a wrong or missing answer
    Show,  // the right box ticked and no other consulted box
    Leave, // the right box grayed and nothing wrong ticked: the mark keeps its visibility
};

using ItemBoxes = std::array<BoxState, maxBoxesPerItem>; // index 0 is box ①
using SheetBoxes = std::array<ItemBoxes, itemCount>;     // index 0 is item 1

struct SheetMarking {
    std::array<MarkOutcome, itemCount> outcomes{};
    std::array<int, itemCount> ItemPoints{};
    int TotalScore = 0;
};

MarkOutcome markItem(const AnswerKeyRow& key, std::span<const BoxState> boxes);
SheetMarking markSheet(const SheetBoxes& sheet);

} // namespace tamsel
