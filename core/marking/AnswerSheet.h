#pragma once
// The answer sheet's items: their labels in the question paper and how many choice boxes each has.
// It owns nothing that changes; where the items stand on the window is the window design's
// business.

#include <array>
#include <string_view>

namespace tamsel {

inline constexpr int itemCount = 34;
inline constexpr int maxBoxesPerItem = 8;

struct AnswerItem {
    std::string_view label; // the tab caption, e.g. "4-A1-1"
    int boxCount = 0;       // choice boxes ① … on the sheet
};

inline constexpr std::array<AnswerItem, itemCount> answerItems{{
    {"1-A1", 5},   {"1-A2", 6},   {"1-A3", 4},   {"1-B4", 4},   {"1-B5", 4},   {"2-1", 4},
    {"2-2", 4},    {"2-3", 4},    {"2-4", 4},    {"2-5", 4},    {"3-1", 4},    {"3-2", 5},
    {"3-3", 5},    {"3-4", 5},    {"3-5", 5},    {"4-A1-1", 7}, {"4-A1-2", 7}, {"4-A2-3", 8},
    {"4-A2-4", 8}, {"4-B3-5", 8}, {"4-B3-6", 8}, {"4-B3-7", 8}, {"4-B4", 4},   {"5-1", 5},
    {"5-2", 5},    {"5-3", 5},    {"5-4-4", 6},  {"5-4-5", 6},  {"6-A1", 4},   {"6-A2", 4},
    {"6-A3", 4},   {"6-B4", 5},   {"6-B5-5", 6}, {"6-B5-6", 6},
}};

// The circled digits that caption the choice boxes, choice 1 first.
inline constexpr std::array<std::string_view, maxBoxesPerItem> choiceCaptions{"①", "②", "③", "④",
                                                                              "⑤", "⑥", "⑦", "⑧"};

constexpr int totalBoxCount()
{
    int total = 0;
    for (const AnswerItem& item : answerItems)
        total += item.boxCount;
    return total;
}
static_assert(totalBoxCount() == 181);

} // namespace tamsel
