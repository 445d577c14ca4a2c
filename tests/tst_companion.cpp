// The answers and explanations (content/companion/answers.html) held to the program: every item's
// caption, right choice and points to the answer sheet and the built-in key, and every choice text
// it quotes to the question booklet as the program's own rich-text reader reads it. The booklet
// and the key are the reference; the explanations are what is checked. The printed paper
// (content/companion/paper.html) is held to the answer sheet too: its mark sheet has a row for
// every item with the choices the program reads, and every item's slot is labelled in a question.

#include "TestFiles.h"
#include "documents/RtfReader.h"
#include "marking/AnswerKey.h"
#include "marking/AnswerSheet.h"

#include <QMap>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

using tamsel::answerItems;
using tamsel::AnswerKey;
using tamsel::itemCount;

namespace {

QString captionOf(int item)
{
    const std::string_view label = answerItems[static_cast<size_t>(item)].label;
    return QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
}

QString circled(int choice)
{
    return QString(QChar(static_cast<char16_t>(u'①' + choice - 1)));
}

// The text a reader gets of a quotation: F<sub>1</sub> is the booklet's F with its lowered 1,
// which the booklet's text gives as F1.
QString unescaped(QString text)
{
    return text.remove(u"<sub>"_qs)
        .remove(u"</sub>"_qs)
        .replace(u"&lt;"_qs, u"<"_qs)
        .replace(u"&gt;"_qs, u">"_qs)
        .replace(u"&quot;"_qs, u"\""_qs)
        .replace(u"&#x27;"_qs, u"'"_qs)
        .replace(u"&amp;"_qs, u"&"_qs);
}

// The choice lists of the booklet by sub-question, "4A1" for 第4問Ａ問１: each list's intro line
// ("（５）の解答群", empty for a list that follows the instruction) and its choice texts.
struct ChoiceList {
    QString intro;
    QStringList choices;
};

QMap<QString, QList<ChoiceList>> choiceLists(const QTextDocument& booklet)
{
    static const QRegularExpression heading(u"^第([1-9１-９])問　"_qs);
    static const QRegularExpression section(u"^([ＡＢ])　"_qs);
    static const QRegularExpression subQuestion(u"^問([１-９])　"_qs);
    static const QRegularExpression choice(u"([①-⑧])、((?:(?![①-⑧]、).)*)"_qs);
    QMap<QString, QList<ChoiceList>> lists;
    int question = 0;
    QString letter;
    QString current; // the sub-question being read, empty outside one
    bool listOpen = false;
    for (QTextBlock block = booklet.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (const auto m = heading.match(text); m.hasMatch()) {
            question = m.captured(1)[0].digitValue();
            letter.clear();
            current.clear();
        } else if (const auto s = section.match(text); s.hasMatch()) {
            letter = s.captured(1) == u"Ａ"_qs ? u"A"_qs : u"B"_qs;
            current.clear();
        } else if (const auto q = subQuestion.match(text); q.hasMatch()) {
            current =
                QString::number(question) + letter + QString::number(q.captured(1)[0].digitValue());
            listOpen = false;
        } else if (current.isEmpty() || text.isEmpty()) {
            listOpen = false;
        } else if (text.endsWith(u"の解答群"_qs)) {
            lists[current].append({text, {}});
            listOpen = true;
        } else if (choice.match(text).capturedStart() == 0) {
            if (!listOpen)
                lists[current].append(ChoiceList{});
            listOpen = true;
            for (const QRegularExpressionMatch& mark : choice.globalMatch(text))
                lists[current].last().choices << mark.captured(2).trimmed();
        }
    }
    return lists;
}

// The list an item is answered from: the one whose intro names the item's blank, or the
// sub-question's only list.
const ChoiceList* listOf(const QMap<QString, QList<ChoiceList>>& lists, int item)
{
    const QStringList parts = captionOf(item).split(u'-');
    const auto found = lists.find(parts[0] + parts[1]);
    if (found == lists.end())
        return nullptr;
    if (parts.size() > 2) {
        const QString blank =
            u"（"_qs + QChar(static_cast<char16_t>(u'０' + parts[2].toInt())) + u"）"_qs;
        for (const ChoiceList& list : *found) {
            if (list.intro.contains(blank))
                return &list;
        }
    }
    return found->size() == 1 ? &found->front() : nullptr;
}

struct Explained {
    QString caption;
    int correct = 0;
    int points = 0;
    QString keyText;           // what the student reads as the right choice: "④　…"
    QString pointsText;        // "3点"
    QMap<int, QString> others; // the other choices as quoted: "①　…"
};

} // namespace

class TestCompanion final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyItemIsExplainedInTheSheetsOrder();
    void explanationsGiveTheKeysAnswerAndPoints_data();
    void explanationsGiveTheKeysAnswerAndPoints();
    void answerTableIsTheKeys();
    void eachFigureIsPrintedOnceAQuestion();
    void markSheetRowsAreTheAnswerSheets();
    void paperLabelsEveryItemsSlotOnce();

private:
    QString answers_;
    QString paper_;
    QList<Explained> explained_;
    QMap<QString, QList<ChoiceList>> lists_;
};

void TestCompanion::initTestCase()
{
    answers_ = QString::fromUtf8(readAll(contentPath(u"companion/answers.html"_qs)));
    QVERIFY(!answers_.isEmpty());
    paper_ = QString::fromUtf8(readAll(contentPath(u"companion/paper.html"_qs)));
    QVERIFY(!paper_.isEmpty());
    const std::unique_ptr<QTextDocument> booklet(
        tamsel::RtfReader::read(readAll(contentPath(u"booklet.rtf"_qs))));
    lists_ = choiceLists(*booklet);
    QVERIFY(!lists_.isEmpty());

    static const QRegularExpression item(
        u"<section class=\"item\" id=\"item-(\\d+)\" data-item=\"\\d+\" "
        u"data-caption=\"([^\"]+)\" data-correct=\"(\\d+)\" data-points=\"(\\d+)\">(.*?)</section>"_qs,
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression key(u"<strong class=\"key\">(.*?)</strong>"_qs);
    static const QRegularExpression points(u"<span class=\"points\">(.*?)</span>"_qs);
    static const QRegularExpression other(
        u"<li data-choice=\"(\\d+)\"><span class=\"choice\">(.*?)</span>"_qs);
    for (const QRegularExpressionMatch& m : item.globalMatch(answers_)) {
        Explained one{unescaped(m.captured(2)),
                      m.captured(3).toInt(),
                      m.captured(4).toInt(),
                      unescaped(key.match(m.captured(5)).captured(1)),
                      points.match(m.captured(5)).captured(1),
                      {}};
        for (const QRegularExpressionMatch& o : other.globalMatch(m.captured(5)))
            one.others.insert(o.captured(1).toInt(), unescaped(o.captured(2)));
        QCOMPARE(m.captured(1).toInt(), explained_.size() + 1);
        explained_ << one;
    }
}

void TestCompanion::everyItemIsExplainedInTheSheetsOrder()
{
    QCOMPARE(explained_.size(), itemCount);
    for (int item = 0; item < itemCount; ++item)
        QCOMPARE(explained_[item].caption, captionOf(item));
}

void TestCompanion::explanationsGiveTheKeysAnswerAndPoints_data()
{
    QTest::addColumn<int>("item");
    for (int item = 0; item < itemCount; ++item)
        QTest::addRow("item %d, tab %s", item + 1, qPrintable(captionOf(item))) << item;
}

void TestCompanion::explanationsGiveTheKeysAnswerAndPoints()
{
    QFETCH(int, item);
    QVERIFY(item < explained_.size());
    const Explained& explained = explained_[item];
    const tamsel::AnswerKeyRow& key = AnswerKey[static_cast<size_t>(item)];
    const ChoiceList* list = listOf(lists_, item);
    QVERIFY2(list, "the booklet has no single list for the item");
    QCOMPARE(list->choices.size(), key.consulted);

    QCOMPARE(explained.correct, key.correct);
    QCOMPARE(explained.points, key.points);
    QCOMPARE(explained.pointsText, QString::number(key.points) + u"点"_qs);
    QCOMPARE(explained.keyText, circled(key.correct) + u'\u3000' + list->choices[key.correct - 1]);
    // Every other choice the sheet reads is given, in the booklet's words, and the key is not.
    QCOMPARE(explained.others.size(), key.consulted - 1);
    QVERIFY(!explained.others.contains(key.correct));
    for (auto it = explained.others.begin(); it != explained.others.end(); ++it) {
        QVERIFY2(it.key() >= 1 && it.key() <= key.consulted, qPrintable(it.value()));
        QCOMPARE(it.value(), circled(it.key()) + u'\u3000' + list->choices[it.key() - 1]);
    }
}

void TestCompanion::answerTableIsTheKeys()
{
    // Each row links to its item's explanation, which initTestCase found in the sheet's order.
    static const QRegularExpression row(
        u"<tr data-item=\"(\\d+)\"><th scope=\"row\">\\d+</th><td><a href=\"#item-(\\d+)\">"
        u"([^<]*)</a></td><td>([^<]*)</td><td>(\\d+)</td>"_qs);
    int rows = 0;
    int total = 0;
    for (const QRegularExpressionMatch& m : row.globalMatch(answers_)) {
        const int item = m.captured(1).toInt() - 1;
        QCOMPARE(item, rows++);
        QVERIFY(item < itemCount);
        const tamsel::AnswerKeyRow& key = AnswerKey[static_cast<size_t>(item)];
        QCOMPARE(m.captured(2).toInt(), item + 1);
        QCOMPARE(m.captured(3), captionOf(item));
        QCOMPARE(m.captured(4), circled(key.correct));
        QCOMPARE(m.captured(5).toInt(), key.points);
        total += key.points;
    }
    QCOMPARE(rows, itemCount);
    QVERIFY2(
        answers_.contains(u"<th scope=\"row\" colspan=\"3\">合計</th><td>%1</td>"_qs.arg(total)),
        "the table's total is not the key's");
}

// A figure reprinted for every item that looks at it made the printed answers half as long again.
void TestCompanion::eachFigureIsPrintedOnceAQuestion()
{
    static const QRegularExpression picture(u"<img src=\"([^\"]+)\""_qs);
    const QStringList questions = answers_.split(u"<section class=\"question\""_qs);
    QCOMPARE(questions.size(), 7); // the text before the first question, and six questions
    int printed = 0;
    for (const QString& question : questions) {
        QStringList seen;
        for (const QRegularExpressionMatch& m : picture.globalMatch(question)) {
            QVERIFY2(!seen.contains(m.captured(1)), qPrintable(m.captured(1)));
            seen << m.captured(1);
        }
        printed += int(seen.size());
    }
    QVERIFY(printed >= 7);
}

// Marked by hand against the answer table, the sheet must score as the program does: the program
// reads boxes ① to the key's last consulted choice, so the sheet offers exactly those.
void TestCompanion::markSheetRowsAreTheAnswerSheets()
{
    static const QRegularExpression row(
        u"<tr data-item=\"(\\d+)\" data-caption=\"([^\"]+)\"><th scope=\"row\">\\d+</th>"
        u"<td>([^<]*)</td><td class=\"bubbles\">(.*?)</td></tr>"_qs);
    static const QRegularExpression bubble(
        u"<span class=\"bubble\" data-choice=\"(\\d+)\">([^<]*)</span>"_qs);
    int rows = 0;
    for (const QRegularExpressionMatch& m : row.globalMatch(paper_)) {
        const int item = m.captured(1).toInt() - 1;
        QCOMPARE(item, rows++);
        QVERIFY(item < itemCount);
        QCOMPARE(m.captured(2), captionOf(item));
        QCOMPARE(m.captured(3), captionOf(item));
        const tamsel::AnswerKeyRow& key = AnswerKey[static_cast<size_t>(item)];
        QVERIFY(key.consulted <= answerItems[static_cast<size_t>(item)].boxCount);
        int choice = 0;
        for (const QRegularExpressionMatch& b : bubble.globalMatch(m.captured(4))) {
            ++choice;
            QCOMPARE(b.captured(1).toInt(), choice);
            QCOMPARE(b.captured(2), circled(choice));
        }
        QCOMPARE(choice, key.consulted);
    }
    QCOMPARE(rows, itemCount);
}

// A student sitting the paper finds under each question the slot to mark it in.
void TestCompanion::paperLabelsEveryItemsSlotOnce()
{
    static const QRegularExpression slots(u"<p class=\"slots\">解答欄　(.*?)</p>"_qs);
    static const QRegularExpression caption(u"<span class=\"nobr\">([^<]+)</span>"_qs);
    QStringList labelled;
    for (const QRegularExpressionMatch& m : slots.globalMatch(paper_)) {
        for (const QRegularExpressionMatch& c : caption.globalMatch(m.captured(1)))
            labelled << c.captured(1);
    }
    QStringList sheet;
    for (int item = 0; item < itemCount; ++item)
        sheet << captionOf(item);
    QCOMPARE(labelled, sheet);
}

QTEST_GUILESS_MAIN(TestCompanion)
#include "tst_companion.moc"
