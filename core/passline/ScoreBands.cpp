#include "passline/ScoreBands.h"

#include <algorithm>

namespace tamsel {
namespace {

// Long enough for any score, short enough that no text of digits can overflow an int.
constexpr qsizetype longestScoreText = 9;

std::optional<int> wholeNumber(QStringView text)
{
    const bool negative = text.startsWith(u'-');
    const QStringView digits = negative ? text.sliced(1) : text;
    if (digits.isEmpty() || digits.size() > longestScoreText)
        return std::nullopt;
    int value = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return negative ? -value : value;
}

} // namespace

std::optional<int> passLineWindowFor(int score)
{
    const auto holds = [score](const ScoreBand& band) {
        return band.test == ScoreBand::Test::Equal ? score == band.bound : score >= band.bound;
    };
    const auto found = std::find_if(scoreBands.begin(), scoreBands.end(), holds);
    if (found == scoreBands.end())
        return std::nullopt;
    return found->window;
}

std::optional<int> passLineWindowFor(QStringView scoreText)
{
    const std::optional<int> score = wholeNumber(scoreText);
    return score ? passLineWindowFor(*score) : std::nullopt;
}

} // namespace tamsel
