// The question booklet as the student sees it, read with the program's own rich-text reader and
// held against the answer sheet and the answer key: every item's sub-question and choice list,
// the question weights and the blanks. Where the figures and the table are cited and the
// booklet's few formats are proofread where the booklet is written (tools/proofread.py).

#include "TestFiles.h"
#include "documents/RtfReader.h"
#include "marking/AnswerKey.h"
#include "marking/AnswerSheet.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>
#include <vector>

using tamsel::answerItems;
using tamsel::AnswerKey;
using tamsel::itemCount;

namespace {

// Where a paragraph or an answer item belongs: question 1 to 6, section A or B (none in
// questions without sections), sub-question 問n (0 outside one).
struct Place {
    int question = 0;
    QChar section;
    int number = 0;

    bool operator==(const Place&) const = default;
};

QString describe(const Place& place)
{
    return u"%1%2-%3"_qs.arg(place.question)
        .arg(place.section.isNull() ? QString() : QString(place.section))
        .arg(place.number);
}

struct ChoiceList {
    QString intro; // the line that introduces the list, such as "（５）の解答群"; may be empty
    QStringList choices; // the text after each "①、", "②、" …
};

struct SubQuestion {
    Place place;
    QStringList text; // its own paragraphs: the instruction and the lines that introduce lists
    std::vector<ChoiceList> lists;
};

struct Paragraph {
    Place place; // number 0 for a passage
    QString text;
};

struct Booklet {
    QStringList headings;    // one per question, in order
    QList<QString> sections; // the section letters of each question, "AB" or empty
    std::vector<SubQuestion> subQuestions;
    std::vector<Paragraph> passages; // the passages: text outside headings and sub-questions
    QStringList faults;              // what does not fit the booklet's structure
};

QString fullWidth(int digit)
{
    return QString(QChar(static_cast<char16_t>(u'０' + digit)));
}

QString circled(int choice)
{
    return QString(QChar(static_cast<char16_t>(u'①' + choice - 1)));
}

QString blank(int number)
{
    return u"（"_qs + fullWidth(number) + u"）"_qs;
}

// Reads the booklet's structure from its paragraphs: a question heading "第１問　…", a section
// heading "Ａ　…", a sub-question "問１　…", choice lines
// "①、…" (several choices may share a line) and, where a sub-question has several lists, a line
// ending in "の解答群" before each list. Any other paragraph is a passage, or belongs to the
// sub-question it follows.
Booklet parse(const QTextDocument& document)
{
    static const QRegularExpression heading(u"^第([1-9１-９])問　"_qs);
    static const QRegularExpression section(u"^([ＡＢ])　"_qs);
    static const QRegularExpression subQuestion(u"^問([１-９])　"_qs);
    static const QRegularExpression choiceLine(u"^[①-⑧]、"_qs);
    // A choice's mark and its text, up to the next choice on the line.
    static const QRegularExpression choice(u"([①-⑧])、((?:(?![①-⑧]、).)*)"_qs);
    static const QRegularExpression listIntro(u"の解答群$"_qs);

    Booklet booklet;
    Place place;
    bool inSubQuestion = false;
    bool listOpen = false;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (text.isEmpty()) {
            listOpen = false;
            continue;
        }
        if (const auto match = heading.match(text); match.hasMatch()) {
            const int question = match.captured(1)[0].digitValue();
            if (question != booklet.headings.size() + 1)
                booklet.faults << u"question %1 out of order"_qs.arg(question);
            booklet.headings << text;
            booklet.sections << QString();
            place = Place{question, QChar(), 0};
            inSubQuestion = listOpen = false;
        } else if (booklet.headings.isEmpty()) {
            booklet.faults << u"text before the first question: "_qs + text;
            continue;
        } else if (const auto sectionMatch = section.match(text); sectionMatch.hasMatch()) {
            const QChar letter(
                static_cast<char16_t>(u'A' + (sectionMatch.captured(1)[0].unicode() - u'Ａ')));
            booklet.sections.last() += letter;
            place = Place{place.question, letter, 0};
            inSubQuestion = listOpen = false;
        } else if (const auto number = subQuestion.match(text); number.hasMatch()) {
            place.number = number.captured(1)[0].digitValue();
            booklet.subQuestions.push_back({place, {text}, {}});
            inSubQuestion = true;
            listOpen = false;
        } else if (choiceLine.match(text).hasMatch() && !inSubQuestion) {
            booklet.faults << u"choices outside a sub-question: "_qs + text;
        } else if (choiceLine.match(text).hasMatch()) {
            SubQuestion& current = booklet.subQuestions.back();
            if (!listOpen)
                current.lists.push_back({});
            listOpen = true;
            ChoiceList& list = current.lists.back();
            for (const QRegularExpressionMatch& mark : choice.globalMatch(text)) {
                if (mark.captured(1) != circled(static_cast<int>(list.choices.size()) + 1))
                    booklet.faults
                        << u"%1 out of order in %2"_qs.arg(mark.captured(1), describe(place));
                list.choices << mark.captured(2).trimmed();
            }
        } else if (!inSubQuestion) {
            booklet.passages.push_back({place, text});
        } else {
            SubQuestion& current = booklet.subQuestions.back();
            current.text << text;
            listOpen = listIntro.match(text).hasMatch();
            if (listOpen)
                current.lists.push_back({text, {}});
        }
    }
    return booklet;
}

// The one element of range that passes test, or nullptr when not exactly one does.
template <typename Range, typename Test> auto only(const Range& range, Test test)
{
    const typename Range::value_type* found = nullptr;
    for (const auto& element : range) {
        if (test(element)) {
            if (found)
                return decltype(found){};
            found = &element;
        }
    }
    return found;
}

// An answer item's place in the paper, from its tab caption: "4-A1-1" is question 4, section A,
// 問１, answer slot 1; "2-3" is question 2, 問３, with no slot.
struct ItemPlace {
    Place place;
    int slot = 0;
};

QString captionOf(int item)
{
    const std::string_view label = answerItems[static_cast<size_t>(item)].label;
    return QString::fromLatin1(label.data(), static_cast<qsizetype>(label.size()));
}

ItemPlace placeOf(int item)
{
    const QStringList parts = captionOf(item).split(u'-');
    ItemPlace result;
    result.place.question = parts.value(0).toInt();
    QString sub = parts.value(1);
    if (!sub.isEmpty() && sub[0].isLetter()) {
        result.place.section = sub[0];
        sub.remove(0, 1);
    }
    result.place.number = sub.toInt();
    result.slot = parts.size() > 2 ? parts[2].toInt() : 0;
    return result;
}

} // namespace

class TestBooklet final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void structureReadsCleanlyAsTheSheets();
    void headingsCarryTheKeysWeights_data();
    void headingsCarryTheKeysWeights();
    void itemsOfferTheKeysChoices_data();
    void itemsOfferTheKeysChoices();
    void sharedListsTakeBothAnswers_data();
    void sharedListsTakeBothAnswers();
    void blanksAreFilledByOneSubQuestion_data();
    void blanksAreFilledByOneSubQuestion();
    void everyF1IsLowered();

private:
    // The sub-question an item answers, or nullptr when the booklet has not exactly one.
    const SubQuestion* subQuestionOf(int item) const;
    // The list an item is answered from: where the sub-question names the item's slot as a blank,
    // the list introduced by a line naming that blank; otherwise the sub-question's only list.
    const ChoiceList* listOf(int item) const;

    Booklet booklet_;
    QList<bool> f1Lowered_;
};

void TestBooklet::initTestCase()
{
    const QByteArray rtf = readAll(contentPath(QStringLiteral("booklet.rtf")));
    QVERIFY(!rtf.isEmpty());
    const std::unique_ptr<QTextDocument> document(tamsel::RtfReader::read(rtf, nullptr));
    QVERIFY(document);
    booklet_ = parse(*document);
    // Where an F is followed by a 1, the 1 is lowered or not, in the booklet's order.
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (qsizetype at = block.text().indexOf(u"F1"_qs); at >= 0;
             at = block.text().indexOf(u"F1"_qs, at + 1)) {
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + static_cast<int>(at) + 2);
            f1Lowered_ << (cursor.charFormat().verticalAlignment() ==
                           QTextCharFormat::AlignSubScript);
        }
    }
}

const SubQuestion* TestBooklet::subQuestionOf(int item) const
{
    const Place place = placeOf(item).place;
    return only(booklet_.subQuestions, [&](const SubQuestion& s) { return s.place == place; });
}

const ChoiceList* TestBooklet::listOf(int item) const
{
    const SubQuestion* subQuestion = subQuestionOf(item);
    if (!subQuestion)
        return nullptr;
    const QString slot = blank(placeOf(item).slot);
    if (placeOf(item).slot > 0 && subQuestion->text.join(u'\n').contains(slot))
        return only(subQuestion->lists,
                    [&](const ChoiceList& l) { return l.intro.contains(slot); });
    return subQuestion->lists.size() == 1 ? &subQuestion->lists.front() : nullptr;
}

void TestBooklet::structureReadsCleanlyAsTheSheets()
{
    QVERIFY2(booklet_.faults.isEmpty(), qPrintable(booklet_.faults.join(u'\n')));
    QCOMPARE(booklet_.headings.size(), 6);
    // The booklet's sub-questions are the sheet's, each with at least one list of four choices or
    // more, and every list is the list of an item.
    QSet<QString> fromSheet;
    QSet<const ChoiceList*> answered;
    for (int item = 0; item < itemCount; ++item) {
        fromSheet << describe(placeOf(item).place);
        answered << listOf(item);
    }
    QSet<QString> inBooklet;
    for (const SubQuestion& subQuestion : booklet_.subQuestions) {
        const QString where = describe(subQuestion.place);
        inBooklet << where;
        QVERIFY2(!subQuestion.lists.empty(), qPrintable(where));
        for (const ChoiceList& list : subQuestion.lists) {
            QVERIFY2(list.choices.size() >= 4, qPrintable(where));
            QVERIFY2(answered.contains(&list), qPrintable(where + list.intro));
        }
    }
    QCOMPARE(inBooklet, fromSheet);
}

void TestBooklet::headingsCarryTheKeysWeights_data()
{
    QTest::addColumn<int>("question");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<int>("firstItem"); // items numbered from 1, as on the sheet
    QTest::addColumn<int>("lastItem");
    QTest::addColumn<int>("subQuestions");
    QTest::addColumn<QString>("sections");
    // Every heading numbers its question in a full-width digit, as every part of the paper is.
    QTest::newRow("第１問, sections A and B") << 1 << u"第１問　"_qs << 1 << 5 << 5 << u"AB"_qs;
    QTest::newRow("第２問") << 2 << u"第２問　"_qs << 6 << 10 << 5 << QString();
    QTest::newRow("第３問") << 3 << u"第３問　"_qs << 11 << 15 << 5 << QString();
    QTest::newRow("第４問, sections A and B") << 4 << u"第４問　"_qs << 16 << 23 << 4 << u"AB"_qs;
    QTest::newRow("第５問") << 5 << u"第５問　"_qs << 24 << 28 << 4 << QString();
    QTest::newRow("第６問, sections A and B") << 6 << u"第６問　"_qs << 29 << 34 << 5 << u"AB"_qs;
}

void TestBooklet::headingsCarryTheKeysWeights()
{
    QFETCH(int, question);
    QFETCH(QString, prefix);
    QFETCH(int, firstItem);
    QFETCH(int, lastItem);
    QFETCH(int, subQuestions);
    QFETCH(QString, sections);
    QVERIFY(question <= booklet_.headings.size());
    const QString heading = booklet_.headings[question - 1];
    QVERIFY2(heading.startsWith(prefix), qPrintable(heading));

    // The question's items are exactly the sheet's items first…last, and its weight their points.
    int weight = 0;
    for (int item = 0; item < itemCount; ++item) {
        const bool inRange = item + 1 >= firstItem && item + 1 <= lastItem;
        QCOMPARE(placeOf(item).place.question == question, inRange);
        if (inRange)
            weight += AnswerKey[static_cast<size_t>(item)].points;
    }
    static const QRegularExpression points(u"（配点　(\\d+)）$"_qs);
    const QRegularExpressionMatch printed = points.match(heading);
    QVERIFY2(printed.hasMatch(), qPrintable(heading));
    QCOMPARE(printed.captured(1).toInt(), weight);

    QCOMPARE(booklet_.sections[question - 1], sections);
    // Its sub-questions are 問１ to 問n in order, as the heading's range says.
    int numbered = 0;
    for (const SubQuestion& subQuestion : booklet_.subQuestions) {
        if (subQuestion.place.question == question)
            QCOMPARE(subQuestion.place.number, ++numbered);
    }
    QCOMPARE(numbered, subQuestions);
    const QString range = u"（問１～"_qs + fullWidth(subQuestions) + u"）"_qs;
    QVERIFY2(heading.contains(range), qPrintable(heading));
}

void TestBooklet::itemsOfferTheKeysChoices_data()
{
    QTest::addColumn<int>("item");
    for (int item = 0; item < itemCount; ++item)
        QTest::addRow("item %d, tab %s", item + 1, qPrintable(captionOf(item))) << item;
}

void TestBooklet::itemsOfferTheKeysChoices()
{
    QFETCH(int, item);
    const SubQuestion* subQuestion = subQuestionOf(item);
    QVERIFY2(subQuestion, "no single sub-question of that caption");
    const ChoiceList* list = listOf(item);
    QVERIFY2(list, "no single choice list for the item");
    const tamsel::AnswerKeyRow& key = AnswerKey[static_cast<size_t>(item)];
    QCOMPARE(static_cast<int>(list->choices.size()), key.consulted);
    QVERIFY(key.correct <= list->choices.size());
    QVERIFY(!list->choices[key.correct - 1].isEmpty());

    const QString instruction = subQuestion->text.join(u'\n');
    const QString range = u"①～"_qs + circled(key.consulted);
    QVERIFY2(instruction.contains(range), qPrintable(range));
    const ItemPlace place = placeOf(item);
    if (place.slot > 0) {
        // A sub-question with several answers says which slot takes which.
        QVERIFY2(instruction.contains(captionOf(item)), qPrintable(instruction));
        if (!instruction.contains(blank(place.slot)))
            QVERIFY2(instruction.contains(u"二つ選べ"_qs), qPrintable(instruction));
    }
}

void TestBooklet::sharedListsTakeBothAnswers_data()
{
    QTest::addColumn<int>("lower"); // items numbered from 1
    QTest::addColumn<int>("upper");
    QTest::addColumn<bool>("chooseTwo");
    QTest::newRow("blanks （１）・（２）, 4-A1-1 and 4-A1-2") << 16 << 17 << false;
    QTest::newRow("blanks （３）・（４）, 4-A2-3 and 4-A2-4") << 18 << 19 << false;
    QTest::newRow("choose two, 5-4-4 and 5-4-5") << 27 << 28 << true;
    QTest::newRow("choose two, 6-B5-5 and 6-B5-6") << 33 << 34 << true;
}

void TestBooklet::sharedListsTakeBothAnswers()
{
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(bool, chooseTwo);
    const ChoiceList* list = listOf(lower - 1);
    QVERIFY(list);
    QCOMPARE(listOf(upper - 1), list);
    const int first = AnswerKey[static_cast<size_t>(lower - 1)].correct;
    const int second = AnswerKey[static_cast<size_t>(upper - 1)].correct;
    QVERIFY(first != second);
    if (chooseTwo) {
        // The smaller number goes in the lower slot, as the instruction asks.
        QVERIFY(first < second);
    } else {
        QVERIFY(list->intro.contains(blank(placeOf(lower - 1).slot)));
        QVERIFY(list->intro.contains(blank(placeOf(upper - 1).slot)));
    }
}

void TestBooklet::blanksAreFilledByOneSubQuestion_data()
{
    QTest::addColumn<int>("blankNumber");
    QTest::addColumn<int>("item"); // numbered from 1
    for (int number = 1; number <= 7; ++number)
        QTest::addRow("blank %s, item %d", qPrintable(blank(number)), 15 + number)
            << number << 15 + number;
}

void TestBooklet::blanksAreFilledByOneSubQuestion()
{
    QFETCH(int, blankNumber);
    QFETCH(int, item);
    const QString name = blank(blankNumber);
    const ItemPlace place = placeOf(item - 1);
    QCOMPARE(place.slot, blankNumber);

    const SubQuestion* naming = only(booklet_.subQuestions, [&](const SubQuestion& s) {
        return s.text.join(u'\n').contains(name);
    });
    QVERIFY2(naming, "not exactly one sub-question names the blank");
    QCOMPARE(naming, subQuestionOf(item - 1));

    // The blank stands in a passage of that section, and in no passage elsewhere.
    int inPassage = 0;
    for (const Paragraph& passage : booklet_.passages) {
        if (!passage.text.contains(name))
            continue;
        QCOMPARE(passage.place.question, place.place.question);
        QCOMPARE(passage.place.section, place.place.section);
        ++inPassage;
    }
    QVERIFY(inPassage > 0);
    for (const SubQuestion& subQuestion : booklet_.subQuestions) {
        for (const ChoiceList& list : subQuestion.lists) {
            for (const QString& choice : list.choices)
                QVERIFY2(!choice.contains(name), qPrintable(choice));
        }
    }
}

// The booklet writes F₁ as the two documents do, with the 1 lowered, never as a plain F1.
void TestBooklet::everyF1IsLowered()
{
    QCOMPARE(f1Lowered_.size(), 5);
    QVERIFY(!f1Lowered_.contains(false));
}

QTEST_GUILESS_MAIN(TestBooklet)
#include "tst_booklet.moc"
