#pragma once
// Which pass-line window a score opens. The bands are tested in order and the first that holds
// decides: 100; 80 and above; 60; 40; 1; and 0 alone. Pure: it reads the score's text as handed
// to it and knows nothing of windows.

#include <QStringView>

#include <array>
#include <optional>

namespace tamsel {

struct ScoreBand {
    enum class Test { Equal, AtLeast };
    Test test;
    int bound;
    int window; // 1 to 6: frm合格ライン1 … frm合格ライン6
};

inline constexpr std::array<ScoreBand, 6> scoreBands{{
    {ScoreBand::Test::Equal, 100, 1},
    {ScoreBand::Test::AtLeast, 80, 2},
    {ScoreBand::Test::AtLeast, 60, 3},
    {ScoreBand::Test::AtLeast, 40, 4},
    {ScoreBand::Test::AtLeast, 1, 5},
    {ScoreBand::Test::Equal, 0, 6},
}};

// The window of the first band that holds for score, if any.
std::optional<int> passLineWindowFor(int score);

// The window for the score display's text: nothing for an empty text or one that is not a whole
// number written in decimal digits.
std::optional<int> passLineWindowFor(QStringView scoreText);

} // namespace tamsel
