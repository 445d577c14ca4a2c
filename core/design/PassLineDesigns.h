#pragma once
// The six pass-line windows, one per score band: a badge with the pass rate in its own colour, a
// one-line message and the pass-line table below them. They differ only in these rows; the third
// window stands its controls 120 twips higher, with a box as much taller, so that every box ends
// 60 twips below the client area.

#include "design/FormDesign.h"

#include <array>

namespace tamsel::passlinedesign {

inline constexpr Rgb windowColour{255, 128, 128};
inline constexpr FontDesign badgeFont{msGothic, 15.75, true};
inline constexpr FontDesign messageFont{msGothic, 12.0, true};
inline constexpr FontDesign tableFont{msGothic, 9.0, false};
inline constexpr int badgeHeight = 375;
inline constexpr int messageHeight = 255;
inline constexpr TwipsSize clientArea{11880, 8595};
inline constexpr int boxWidth = 11895;
inline constexpr const char* tableDocument = ":/passline.rtf";

constexpr FormDesign form(const char* name)
{
    return {name,         "合格ライン", clientArea, {msGothic, 9.0, false},
            windowColour, nullptr,      programIcon};
}

constexpr LabelDesign badge(const char* text, int left, int top, int width, Rgb colour)
{
    return {"Label1", text, {left, top, width, badgeHeight}, badgeFont, Align::Left, colour};
}

constexpr LabelDesign message(const char* text, int left, int top, int width)
{
    return {"Label2",    text,        {left, top, width, messageHeight},
            messageFont, Align::Left, windowColour};
}

inline constexpr std::array<LabelDesign, 2> labels1{{
    badge(" 合格率 ９９％", 4560, 240, 2535, {255, 0, 0}),
    message(" あなたは八百長です。 一流大学でも不正入試できるでしょう。", 2160, 840, 7455),
}};
inline constexpr std::array<LabelDesign, 2> labels2{{
    badge(" 合格率 ８０％", 4680, 240, 2535, {255, 128, 0}),
    message(" もっと頑張りましょう。 一流大学までもう少しです。", 2760, 840, 6495),
}};
inline constexpr std::array<LabelDesign, 2> labels3{{
    badge(" 合格率 ５０％", 4680, 120, 2535, {255, 255, 128}),
    message(" 浪人生活にリーチです。 一生懸命お祈りしましょう。", 2640, 720, 6495),
}};
inline constexpr std::array<LabelDesign, 2> labels4{{
    badge(" 合格率 １０％", 4680, 240, 2535, {128, 255, 128}),
    message(" 受験料がもったいないです。 合コン生活はあきらめましょう。", 2160, 840, 7455),
}};
inline constexpr std::array<LabelDesign, 2> labels5{{
    badge(" 合格率 ０％", 4920, 240, 2175, {128, 255, 255}),
    message(" 進学は無茶です。 金属バットは捨てておきましょう。", 2760, 840, 6495),
}};
inline constexpr std::array<LabelDesign, 2> labels6{{
    badge(" 予測不能", 5040, 240, 1815, {128, 128, 255}),
    message(" 受験する資格はありません。 勉強しないで体を鍛えましょう。", 2160, 840, 7455),
}};

// The table stands 1080 twips below the badge, and its box ends 60 twips below the client area.
constexpr DocumentFormDesign window(const char* name, const std::array<LabelDesign, 2>& labels)
{
    const int top = labels[0].rect.top + 1080;
    const TwipsRect box{0, top, boxWidth, clientArea.height + 60 - top};
    return {
        form(name), {"RichTextBox1", box, tableFont, tableDocument, "大学別合格ライン"}, labels};
}

// Window n of the score bands is element n - 1.
inline constexpr std::array<DocumentFormDesign, 6> windows{{
    window("frm合格ライン1", labels1),
    window("frm合格ライン2", labels2),
    window("frm合格ライン3", labels3),
    window("frm合格ライン4", labels4),
    window("frm合格ライン5", labels5),
    window("frm合格ライン6", labels6),
}};

} // namespace tamsel::passlinedesign
