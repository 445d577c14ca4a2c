#pragma once
// What the exam window says to a screen reader besides what it shows: the time and the score as
// a phrase with their unit and without the layout spaces of the window's frame texts, what each
// answer-sheet tab tells of its item, and the announcements of an attempt's start, of the
// minutes left, of the score, of a second tick on one item and of answers given from the booklet.

#include "countdown/Countdown.h"
#include "design/DesignText.h"
#include "design/ExamWindowDesign.h"

#include <QString>
#include <QStringList>

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

// The score with how many items were right, which the rings show to the eye.
inline QString marked(int points, int rightItems, int items)
{
    return score(points) + QStringLiteral("。%1 問中 %2 問正解").arg(items).arg(rightItems);
}

inline QString attemptStarted()
{
    return QStringLiteral("試験開始。制限時間は %1 分です。").arg(Countdown::attemptMinutes);
}

inline QString timeUp()
{
    return QStringLiteral("時間です。") + remainingTime(0);
}

// The words of a button, without its layout spaces.
inline constexpr const char16_t* scoreButton = u"得点";
inline constexpr const char16_t* answered = u"解答済み";
inline constexpr const char16_t* unanswered = u"未解答";
// An item with more than one box ticked.
inline constexpr const char16_t* severalTicked = u"複数選択";

// A box ticked or cleared from where the student reads, which the sheet does not show them:
// the item, the choice and its new state in one phrase (「1-A1 ④ チェック」), with 複数選択 while
// more than one box of the item is ticked.
inline constexpr const char16_t* boxTicked = u"チェック";
inline constexpr const char16_t* boxCleared = u"チェックなし";
inline QString boxChanged(const QString& item, const QString& choice, bool ticked, int ticks)
{
    QString said =
        item + u' ' + choice + u' ' + QString::fromUtf16(ticked ? boxTicked : boxCleared);
    if (ticks > 1)
        said += u'、' + QString::fromUtf16(severalTicked);
    return said;
}

// The item moved to from where the student reads, with what is ticked there: 「1-A2 未解答」,
// 「1-A2 ③」, 「1-A2 ②③、複数選択」, and 正解 while its ring shows.
inline QString itemReached(const QString& item, const QStringList& tickedChoices, bool ringShown)
{
    QString said = item + u' ';
    said +=
        tickedChoices.isEmpty() ? QString::fromUtf16(unanswered) : tickedChoices.join(QString());
    if (tickedChoices.size() > 1)
        said += u'、' + QString::fromUtf16(severalTicked);
    if (ringShown)
        said += u'、' + designText(examdesign::markName);
    return said;
}

// What Ctrl+T says when no countdown runs: before Start, and after 得点.
inline QString noAttempt()
{
    return QStringLiteral("試験中ではありません。スタートで制限時間 %1 分の試験が始まります。")
        .arg(Countdown::attemptMinutes);
}

// What an answer-sheet tab says of its item: how it is answered and, while its ring shows, the
// ring's name (正解). A wrong item says nothing of it, as its page shows no ring.
inline QString itemState(int ticks, bool ringShown)
{
    QString state = QString::fromUtf16(ticks == 0   ? unanswered
                                       : ticks == 1 ? answered
                                                    : severalTicked);
    if (ringShown)
        state += u'、' + designText(examdesign::markName);
    return state;
}

} // namespace tamsel::spoken
