#pragma once
// The built-in answer key: for every item, how many of its boxes are read, which one is right and
// what it is worth. Fixed data; marking the sheet against it is Marking's job.

#include "marking/AnswerSheet.h"

#include <array>

namespace tamsel {

struct AnswerKeyRow {
    int consulted = 0; // boxes 1..consulted are read; boxes above it never count
    int correct = 0;   // the one right choice, 1..consulted
    int points = 0;
};

inline constexpr std::array<AnswerKeyRow, itemCount> AnswerKey{{
    {5, 4, 3}, {6, 2, 3}, {4, 3, 4}, {4, 3, 4}, {4, 1, 3}, // 1-A1 … 1-B5
    {4, 1, 3}, {4, 3, 3}, {4, 2, 3}, {4, 2, 3}, {4, 4, 4}, // 2-1 … 2-5
    {4, 3, 3}, {5, 4, 3}, {5, 2, 4}, {5, 1, 3}, {5, 5, 4}, // 3-1 … 3-5
    {7, 3, 2}, {7, 5, 2}, {8, 3, 2}, {8, 8, 2}, {8, 2, 2}, // 4-A1-1 … 4-B3-5
    {5, 5, 2}, {4, 3, 2}, {4, 4, 3},                       // 4-B3-6 … 4-B4
    {5, 2, 4}, {5, 4, 3}, {5, 4, 3}, {6, 2, 3}, {6, 5, 3}, // 5-1 … 5-4-5
    {4, 1, 3}, {4, 2, 3}, {4, 3, 4}, {5, 1, 3}, {6, 3, 2}, // 6-A1 … 6-B5-5
    {6, 5, 2},                                             // 6-B5-6
}};

constexpr bool answerKeyFitsTheSheet()
{
    for (int n = 0; n < itemCount; ++n) {
        const AnswerKeyRow& row = AnswerKey[n];
        if (row.consulted < 1 || row.consulted > answerItems[n].boxCount)
            return false;
        if (row.correct < 1 || row.correct > row.consulted)
            return false;
    }
    return true;
}
static_assert(answerKeyFitsTheSheet());

} // namespace tamsel
