// Which pass-line window a score opens: every score from 0 to 100, the band edges, and the texts
// of the score display that are no score at all.

#include "passline/ScoreBands.h"

#include <QTest>

#include <optional>

using tamsel::passLineWindowFor;

class TestScoreBands final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bandEdges_data();
    void bandEdges();
    void everyScoreOpensOneWindowAndBandsAreContiguous();
    void textsThatAreNoScore_data();
    void textsThatAreNoScore();
};

void TestScoreBands::bandEdges_data()
{
    QTest::addColumn<QString>("score");
    QTest::addColumn<int>("window");
    const struct {
        const char* score;
        int window;
    } rows[] = {{"100", 1}, {"99", 2}, {"80", 2}, {"79", 3}, {"60", 3}, {"59", 4},
                {"40", 4},  {"39", 5}, {"10", 5}, {"9", 5},  {"1", 5},  {"0", 6}};
    for (const auto& row : rows)
        QTest::newRow(row.score) << QString::fromLatin1(row.score) << row.window;
}

void TestScoreBands::bandEdges()
{
    QFETCH(QString, score);
    QFETCH(int, window);
    QCOMPARE(passLineWindowFor(score), std::optional<int>(window));
}

void TestScoreBands::everyScoreOpensOneWindowAndBandsAreContiguous()
{
    // Walking down from 100, the window number never falls, and each of the six is reached.
    int previous = 1;
    QList<int> reached;
    for (int score = 100; score >= 0; --score) {
        const std::optional<int> window = passLineWindowFor(QString::number(score));
        QVERIFY2(window.has_value(), qPrintable(QString::number(score)));
        QVERIFY2(*window >= previous && *window <= previous + 1,
                 qPrintable(QString::number(score)));
        QCOMPARE(passLineWindowFor(score), window);
        if (reached.isEmpty() || reached.last() != *window)
            reached << *window;
        previous = *window;
    }
    QCOMPARE(reached, (QList<int>{1, 2, 3, 4, 5, 6}));
}

void TestScoreBands::textsThatAreNoScore_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty, before any marking or after Start") << QString();
    QTest::newRow("a word") << QStringLiteral("点");
    QTest::newRow("digits and a word") << QStringLiteral("80点");
    QTest::newRow("a space before") << QStringLiteral(" 80");
    QTest::newRow("full-width digits") << QStringLiteral("８０");
    QTest::newRow("a fraction") << QStringLiteral("79.5");
    QTest::newRow("a lone sign") << QStringLiteral("-");
    QTest::newRow("negative") << QStringLiteral("-5");
    QTest::newRow("too long to be a number") << QStringLiteral("99999999999999999999");
}

void TestScoreBands::textsThatAreNoScore()
{
    QFETCH(QString, text);
    QCOMPARE(passLineWindowFor(text), std::nullopt);
}

QTEST_GUILESS_MAIN(TestScoreBands)
#include "tst_scorebands.moc"
