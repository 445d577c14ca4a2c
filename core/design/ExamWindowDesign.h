#pragma once
// The exam window's design: every control's place in twips, its text, font and colours, as data.
// Building widgets from it is the window's job; nothing here changes at run time.

#include "design/FormDesign.h"
#include "marking/AnswerSheet.h"

#include <array>
#include <string_view>

namespace tamsel::examdesign {

inline constexpr const char* gothic = msGothic;

inline constexpr FormDesign form{"frmTamsel",          "問題 （Tamsel）", {11880, 8310},
                                 {gothic, 9.0, false}, std::nullopt,      ":/background.bmp",
                                 programIcon};
// The red ring beside every right item.
inline constexpr const char* markPicture = ":/maru.ico";

inline constexpr std::array<MenuItemDesign, 1> gameItems{{{"mnuExit", "終了(&Q)"}}};
inline constexpr std::array<MenuItemDesign, 1> helpItems{{{"mnuAbout", "バージョン情報(&A)"}}};
inline constexpr std::array<MenuDesign, 2> menus{{
    {"mnuGame", "ゲーム(&G)", gameItems},
    {"mnuHelp", "ヘルプ(&H)", helpItems},
}};

inline constexpr Rgb framePink{255, 128, 255};
inline constexpr FontDesign buttonFont{gothic, 9.0, true};
inline constexpr FontDesign displayFont{gothic, 14.25, true};

inline constexpr ButtonDesign startButton{
    "cmdスタート", "スタート", {360, 960, 1215, 495}, buttonFont};
inline constexpr ButtonDesign scoreButton{"cmd得点", "得　点", {360, 3240, 1215, 495}, buttonFont};
inline constexpr ButtonDesign passRateButton{
    "cmd合格率", "合格率", {360, 5880, 1215, 495}, buttonFont};

inline constexpr LabelDesign timeFrameLabel{
    "Label1",     "あと　 　　分", {120, 1800, 1695, 375}, {gothic, 12.0, true},
    Align::Right, framePink};
inline constexpr LabelDesign scoreFrameLabel{"Label2",    "点",         {360, 4440, 1215, 375},
                                             displayFont, Align::Right, framePink};
// Transparent: the background picture shows through.
inline constexpr LabelDesign averageLabel{
    "Label4",    "（平均 70,12 点）", {120, 3960, 1935, 255}, {gothic, 9.0, true},
    Align::Left, std::nullopt};
// The score display sizes itself to its text, growing to the right from its left edge.
inline constexpr LabelDesign scoreDisplay{"lbl得点",   "",          {720, 4440, 180, 285},
                                          displayFont, Align::Left, framePink};
inline constexpr LabelDesign timeDisplay{
    "lbl秒", "", {720, 1800, 735, 375}, displayFont, Align::Centre, framePink};

struct TabbedDialogDesign {
    const char* name;
    TwipsRect rect;
    int tabsPerRow;
    const char* accessibleName; // what a screen reader calls the tab list
};

inline constexpr FontDesign tabFont{gothic, 9.0, false};
inline constexpr int tabRowHeight = 300;
inline constexpr TabbedDialogDesign bookletViewer{"stb英語", {1920, 0, 9900, 6255}, 8, "問題冊子"};
inline constexpr TabbedDialogDesign answerSheet{"SSTab1", {1920, 6360, 9975, 2055}, 12, "解答用紙"};

// A page of the booklet viewer shows either a document in a rich-text box or a figure in a
// picture box; its resource is the document or the picture.
enum class PageKind { Document, Figure };

struct BookletPageDesign {
    const char* caption;
    const char* controlName;
    TwipsRect rect; // on the tab page
    PageKind kind;
    const char* resource;
};

inline constexpr std::array<BookletPageDesign, 8> bookletPages{{
    {"問題", "RichTextBox1", {120, 360, 9735, 5775}, PageKind::Document, ":/booklet.rtf"},
    {"図１", "Picture1", {960, 600, 7935, 5295}, PageKind::Figure, ":/figure1.jpg"},
    {"図２、図３", "Picture2", {2280, 480, 5655, 5415}, PageKind::Figure, ":/figure2.jpg"},
    {"図４（実験）", "Picture3", {1560, 480, 6735, 5415}, PageKind::Figure, ":/figure3.jpg"},
    {"図５", "Picture4", {1440, 720, 7095, 5055}, PageKind::Figure, ":/figure4.jpg"},
    {"図６", "Picture5", {1680, 1440, 6495, 3615}, PageKind::Figure, ":/figure5.jpg"},
    {"図７", "Picture6", {960, 600, 8055, 5295}, PageKind::Figure, ":/figure6.jpg"},
    {"図８", "Picture7", {2520, 1440, 4695, 3615}, PageKind::Figure, ":/figure7.jpg"},
}};

// Answer sheet: each tab holds the item's frame "答え" with its row of boxes, and its mark.
inline constexpr const char* frameCaption = "答え";
inline constexpr int frameTop = 960;
inline constexpr int frameHeight = 855;
inline constexpr int boxTop = 360;
inline constexpr int boxHeight = 255;
inline constexpr int boxWidth = 495;
inline constexpr int wideBoxWidth = 1095;
inline constexpr FontDesign smallBoxFont{gothic, 8.25, false};
inline constexpr int markTop = 1200;
inline constexpr int markSize = 495;
inline constexpr std::string_view markName = "正解";

using BoxLefts = std::array<int, maxBoxesPerItem>;

inline constexpr BoxLefts lefts4a{960, 2400, 3960, 5520};
inline constexpr BoxLefts lefts4b{600, 2280, 3960, 5760};
inline constexpr BoxLefts lefts5a{840, 2160, 3360, 4560, 5880};
inline constexpr BoxLefts lefts5b{840, 2040, 3240, 4440, 5640};
inline constexpr BoxLefts lefts5c{960, 2040, 3120, 4200, 5400};
inline constexpr BoxLefts lefts5d{840, 2160, 3360, 4680, 6120};
inline constexpr BoxLefts lefts6a{600, 1680, 2760, 3840, 4800, 5880};
inline constexpr BoxLefts lefts6b{840, 1800, 2760, 3720, 4680, 5760};
inline constexpr BoxLefts lefts6c{600, 1680, 2760, 3840, 4920, 6000};
inline constexpr BoxLefts lefts7{480, 1560, 2640, 3720, 4800, 5880, 6960};
inline constexpr BoxLefts lefts8a{600, 1440, 2280, 3120, 3960, 4800, 5640, 6480};
inline constexpr BoxLefts lefts8b{480, 1320, 2160, 3000, 3720, 4560, 5400, 6240};

struct AnswerItemDesign {
    int frameLeft;
    int frameWidth;
    int markLeft;
    const BoxLefts* boxLefts;
    bool wideFirstBox = false;   // box ① is 1095 wide
    bool smallSecondBox = false; // box ② in 8.25 pt
};

inline constexpr std::array<AnswerItemDesign, itemCount> answerItemDesigns{{
    {1560, 6975, 600, &lefts5a},              // 1
    {1560, 6975, 600, &lefts6a},              // 2
    {1560, 6975, 600, &lefts4a},              // 3
    {1560, 6975, 600, &lefts4a},              // 4
    {1560, 6975, 600, &lefts4a},              // 5
    {1560, 6975, 600, &lefts4a},              // 6
    {1560, 6975, 600, &lefts4a},              // 7
    {1560, 6975, 600, &lefts4a},              // 8
    {1560, 7095, 600, &lefts4a},              // 9
    {1560, 6975, 600, &lefts4a},              // 10
    {1560, 6975, 600, &lefts4a},              // 11
    {1560, 7095, 600, &lefts5a},              // 12
    {1560, 6975, 600, &lefts5a},              // 13
    {1560, 6975, 600, &lefts5a},              // 14
    {1560, 6975, 600, &lefts5a},              // 15
    {1320, 7935, 480, &lefts7},               // 16
    {1320, 7935, 480, &lefts7},               // 17
    {1320, 7575, 480, &lefts8a},              // 18
    {1440, 7455, 480, &lefts8b},              // 19
    {1320, 7575, 480, &lefts8a},              // 20
    {1320, 7575, 480, &lefts8a, false, true}, // 21
    {1320, 7575, 480, &lefts8a},              // 22
    {1680, 6975, 600, &lefts4b},              // 23
    {1680, 6975, 600, &lefts5b},              // 24
    {1680, 6975, 600, &lefts5c},              // 25
    {1680, 7215, 600, &lefts5d},              // 26
    {1680, 7095, 600, &lefts6b},              // 27
    {1680, 7095, 600, &lefts6c},              // 28
    {1680, 6975, 600, &lefts4a, true},        // 29
    {1680, 6975, 600, &lefts4a, true},        // 30
    {1680, 6975, 600, &lefts4a, true},        // 31
    {1680, 6975, 600, &lefts5a, true, true},  // 32
    {1680, 6975, 600, &lefts6a},              // 33
    {1680, 6975, 600, &lefts6a},              // 34
}};

// Each row of lefts must hold exactly as many boxes as its item has, and every box must fit.
constexpr bool boxRowsMatchTheSheet()
{
    for (int n = 0; n < itemCount; ++n) {
        const AnswerItemDesign& design = answerItemDesigns[n];
        const BoxLefts& lefts = *design.boxLefts;
        for (int box = 0; box < maxBoxesPerItem; ++box) {
            const bool present = box < answerItems[n].boxCount;
            if (present != (lefts[box] > 0))
                return false;
            const int width = box == 0 && design.wideFirstBox ? wideBoxWidth : boxWidth;
            if (present && lefts[box] + width > design.frameWidth)
                return false;
        }
    }
    return true;
}
static_assert(boxRowsMatchTheSheet());

} // namespace tamsel::examdesign
