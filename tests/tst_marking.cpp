// Marking against the answer key, without any window.
#include "marking/Marking.h"

#include <QTest>

#include <numeric>
#include <string>

using namespace tamsel;

namespace {

struct Box {
    int item;
    int box;
    BoxState state = BoxState::Ticked;
};
using Boxes = QList<Box>;
using Outcomes = QList<std::pair<int, MarkOutcome>>; // item → outcome

SheetBoxes sheetWith(const Boxes& boxes)
{
    SheetBoxes sheet{};
    for (const Box& b : boxes)
        sheet[static_cast<size_t>(b.item - 1)][static_cast<size_t>(b.box - 1)] = b.state;
    return sheet;
}

Boxes keyAnswers()
{
    Boxes boxes;
    for (int n = 1; n <= itemCount; ++n)
        boxes.append({n, AnswerKey[static_cast<size_t>(n - 1)].correct});
    return boxes;
}

Boxes without(Boxes boxes, int item)
{
    boxes.removeIf([item](const Box& b) { return b.item == item; });
    return boxes;
}

} // namespace

Q_DECLARE_METATYPE(Boxes)
Q_DECLARE_METATYPE(Outcomes)

class TestMarking final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void marking_data();
    void marking();
    void everyItemAloneScoresItsPoints();
};

void TestMarking::marking_data()
{
    QTest::addColumn<Boxes>("boxes");
    QTest::addColumn<int>("total");
    QTest::addColumn<Outcomes>("outcomes");

    const auto H = MarkOutcome::Hide;
    const auto S = MarkOutcome::Show;
    const auto L = MarkOutcome::Leave;

    QTest::newRow("nothing ticked scores 0 and hides every mark")
        << Boxes{} << 0 << Outcomes{{1, H}, {21, H}, {34, H}};
    QTest::newRow("every key answer scores 100")
        << keyAnswers() << 100 << Outcomes{{1, S}, {19, S}, {21, S}, {22, S}, {34, S}};
    QTest::newRow("right box with a wrong one before it is wrong")
        << Boxes{{1, 4}, {1, 1}} << 0 << Outcomes{{1, H}};
    QTest::newRow("right box with a wrong one after it is wrong")
        << Boxes{{1, 4}, {1, 5}} << 0 << Outcomes{{1, H}};
    QTest::newRow("only a wrong box is wrong") << Boxes{{3, 1}} << 0 << Outcomes{{3, H}};
    QTest::newRow("item 21 ignores its boxes 6 to 8")
        << Boxes{{21, 5}, {21, 6}, {21, 7}, {21, 8}} << 2 << Outcomes{{21, S}};
    QTest::newRow("item 22 ignores its boxes 5 to 8")
        << Boxes{{22, 3}, {22, 5}, {22, 8}} << 2 << Outcomes{{22, S}};
    QTest::newRow("item 22 box 4 is still read")
        << Boxes{{22, 3}, {22, 4}} << 0 << Outcomes{{22, H}};
    QTest::newRow("item 19 reads its eighth box") << Boxes{{19, 8}} << 2 << Outcomes{{19, S}};
    QTest::newRow("items 27 and 28 swapped score neither")
        << Boxes{{27, 5}, {28, 2}} << 0 << Outcomes{{27, H}, {28, H}};
    QTest::newRow("items 27 and 28 each right")
        << Boxes{{27, 2}, {28, 5}} << 6 << Outcomes{{27, S}, {28, S}};
    QTest::newRow("grayed right box leaves the mark and scores 0")
        << Boxes{{5, 1, BoxState::Grayed}} << 0 << Outcomes{{5, L}};
    QTest::newRow("grayed right box with a wrong tick hides")
        << Boxes{{5, 1, BoxState::Grayed}, {5, 2}} << 0 << Outcomes{{5, H}};
    QTest::newRow("grayed wrong box does no harm")
        << Boxes{{5, 1}, {5, 3, BoxState::Grayed}} << 3 << Outcomes{{5, S}};
    QTest::newRow("all key answers but one left blank")
        << without(keyAnswers(), 3) << 96 << Outcomes{{3, H}, {4, S}};
}

void TestMarking::marking()
{
    QFETCH(Boxes, boxes);
    QFETCH(int, total);
    QFETCH(Outcomes, outcomes);

    const SheetMarking result = markSheet(sheetWith(boxes));
    QCOMPARE(result.TotalScore, total);
    QCOMPARE(std::accumulate(result.ItemPoints.begin(), result.ItemPoints.end(), 0), total);
    for (const auto& [item, outcome] : outcomes)
        QCOMPARE(result.outcomes[static_cast<size_t>(item - 1)], outcome);
    // Marking is a function of the boxes alone: a second marking gives the same.
    const SheetMarking again = markSheet(sheetWith(boxes));
    QCOMPARE(again.TotalScore, result.TotalScore);
    QVERIFY(again.outcomes == result.outcomes);
}

void TestMarking::everyItemAloneScoresItsPoints()
{
    for (int n = 1; n <= itemCount; ++n) {
        const AnswerKeyRow& key = AnswerKey[static_cast<size_t>(n - 1)];
        const SheetMarking result = markSheet(sheetWith({{n, key.correct}}));
        QCOMPARE(result.TotalScore, key.points);
        for (int other = 1; other <= itemCount; ++other) {
            const auto expected = other == n ? MarkOutcome::Show : MarkOutcome::Hide;
            QCOMPARE(result.outcomes[static_cast<size_t>(other - 1)], expected);
        }
    }
}

QTEST_APPLESS_MAIN(TestMarking)
#include "tst_marking.moc"
