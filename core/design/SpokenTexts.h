#pragma once
// What the exam window says to a screen reader besides what it shows: the time and the score as
// a phrase with their unit and without the layout spaces of the window's frame texts, and the
// announcements of an attempt's start and of the minutes left.

#include "countdown/Countdown.h"

#include <QString>

#include <array>

namespace tamsel::spoken {

// The minutes left at which the countdown is announced, besides time-up.
inline constexpr std::array<int, 4> announcedMinutes{30, 10, 5, 1};

inline QString remainingTime(int minutes)
{
    return QStringLiteral("あと %1 分").arg(minutes);
}

inline QString score(int points)
{
    return QStringLiteral("%1 点").arg(points);
}

inline QString attemptStarted()
{
    return QStringLiteral("試験開始。制限時間は %1 分です。").arg(Countdown::attemptMinutes);
}

inline QString timeUp()
{
    return QStringLiteral("時間です。") + remainingTime(0);
}

// The words of the buttons and frame texts, without their layout spaces.
inline constexpr const char16_t* scoreButton = u"得点";
inline constexpr const char16_t* timeFrame = u"あと 分";
inline constexpr const char16_t* answered = u"解答済み";
inline constexpr const char16_t* unanswered = u"未解答";

} // namespace tamsel::spoken
