// The pass-line table that the six pass-line windows show below their badge and message, read
// with the program's own rich-text reader: its columns, the order of its universities and
// faculties, the form of its pass lines, its tabs and its one font. Whether the invented pass
// lines and subjects are plausible is proofread where the table is written (tools/proofread.py).
//
// Columns are measured in half-width cells of the monospaced table font: an ASCII character takes
// one cell, every other character (the ideographic space, the dash "―" and the Roman numerals
// included) two, and a tab advances to the next multiple of 8 cells (the default stop of 720
// twips is 8 cells of 90 twips at 9 points). A text stands at cell n when n cells come before it
// on its line: cells are counted from 0 at the start of the line.

#include "TestFiles.h"
#include "documents/RtfReader.h"

#include <QFont>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <array>

using tamsel::RtfReader;

namespace {

constexpr int entryLines = 5;
// An entry's lines and the blank line after it.
constexpr int entryBlocks = entryLines + 1;
// The header and the blank line after it.
constexpr int firstEntryBlock = 2;
constexpr int tabCells = 8;

constexpr int universityCell = 4;
constexpr int facultyCell = 22;
constexpr int groupCell = 34;
constexpr int passLineCell = 110;

struct University {
    const char* row;
    const char16_t* name;
};

// North to south.
constexpr std::array universities{
    University{"Hokkaido", u"北海道大学"}, University{"Tohoku", u"東北大学"},
    University{"Tokyo", u"東京大学"},      University{"Nagoya", u"名古屋大学"},
    University{"Kyoto", u"京都大学"},      University{"Osaka", u"大阪大学"},
    University{"Kyushu", u"九州大学"},
};

enum Faculty { Law, Engineering, Medicine, FacultyCount };
constexpr std::array<const char*, FacultyCount> facultyRows{"law", "engineering", "medicine"};
constexpr std::array<const char16_t*, FacultyCount> facultyNames{u"法学部", u"工学部", u"医学部"};

constexpr int entryCount = static_cast<int>(universities.size()) * FacultyCount;
// Entries, their blank lines, and the empty block that the last \par opens.
constexpr int blockCount = firstEntryBlock + entryCount * entryBlocks + 1;

int cellsOf(QChar c)
{
    return c.unicode() < 0x80 ? 1 : 2;
}

int advance(int cell, QChar c)
{
    return c == u'\t' ? (cell / tabCells + 1) * tabCells : cell + cellsOf(c);
}

bool isBlank(QChar c)
{
    return c == u'\u3000' || c == u' ' || c == u'\t';
}

// The texts of a line with the cells they stand at, as "cell text". A column ends at a tab or a
// run of blanks wider than the single ideographic space inside "国　―　国語".
QStringList columns(QStringView line)
{
    QStringList found;
    int cell = 0;
    qsizetype i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            cell = advance(cell, line[i++]);
            continue;
        }
        const int start = cell;
        QString text;
        while (i < line.size()) {
            const bool loneSpace =
                line[i] == u'\u3000' && i + 1 < line.size() && !isBlank(line[i + 1]);
            if (isBlank(line[i]) && !loneSpace)
                break;
            text += line[i];
            cell = advance(cell, line[i++]);
        }
        found.append(QString::number(start) + u' ' + text);
    }
    return found;
}

QString at(int cell, const QString& text)
{
    return QString::number(cell) + u' ' + text;
}

// A pass line, "８８．５％".
bool isPassLine(const QString& text)
{
    static const QRegularExpression form(u"^[０-９]{2}．[０-９]％$"_qs);
    return form.match(text).hasMatch();
}

// Whether a text is "group　―　subjects", both sides present.
bool isGroupAndSubjects(const QString& text)
{
    const QString dash = u"　―　"_qs;
    const qsizetype at = text.indexOf(dash);
    return at > 0 && at + dash.size() < text.size();
}

int entryStart(int university, int faculty)
{
    return firstEntryBlock + (university * FacultyCount + faculty) * entryBlocks;
}

QString blockText(const QTextDocument& document, int block)
{
    return document.findBlockByNumber(block).text();
}

} // namespace

class TestPassLineTable final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void documentHasItsBlocks();
    void headerTitlesStandAtTheirCells();
    void entriesKeepTheirColumns_data();
    void entriesKeepTheirColumns();
    void textIsCleanWithThreeTabs();
    void oneFontAndSizeThroughout();

private:
    QTextDocument* document_ = nullptr;
};

void TestPassLineTable::initTestCase()
{
    const QByteArray rtf = readAll(contentPath(QStringLiteral("passline.rtf")));
    QVERIFY(!rtf.isEmpty());
    document_ = RtfReader::read(rtf, this);
    QVERIFY(document_ != nullptr);
}

void TestPassLineTable::documentHasItsBlocks()
{
    QCOMPARE(document_->blockCount(), blockCount);
    QVERIFY2(blockText(*document_, 1).isEmpty(), "no blank line after the header");
    for (int entry = 0; entry < entryCount; ++entry) {
        const int blank = firstEntryBlock + entry * entryBlocks + entryLines;
        QVERIFY2(blockText(*document_, blank).isEmpty(),
                 qPrintable(u"block %1 after entry %2 is not blank"_qs.arg(blank).arg(entry + 1)));
        for (int line = 0; line < entryLines; ++line) {
            const int block = blank - entryLines + line;
            QVERIFY2(!blockText(*document_, block).trimmed().isEmpty(),
                     qPrintable(u"line %1 of entry %2 is blank"_qs.arg(line + 1).arg(entry + 1)));
        }
    }
    QVERIFY(document_->lastBlock().text().isEmpty());
}

void TestPassLineTable::headerTitlesStandAtTheirCells()
{
    const QStringList expected{at(2, u"旧帝国大学"_qs), at(20, u"学部名"_qs),
                               at(38, u"受験科目"_qs), at(100, u"合格ライン（１科目平均）"_qs)};
    QCOMPARE(columns(blockText(*document_, 0)), expected);
}

void TestPassLineTable::entriesKeepTheirColumns_data()
{
    QTest::addColumn<int>("university");
    QTest::addColumn<int>("faculty");
    for (int u = 0; u < static_cast<int>(universities.size()); ++u) {
        for (int f = 0; f < FacultyCount; ++f)
            QTest::addRow("%s %s", universities[u].row, facultyRows[f]) << u << f;
    }
}

void TestPassLineTable::entriesKeepTheirColumns()
{
    QFETCH(int, university);
    QFETCH(int, faculty);
    const int start = entryStart(university, faculty);

    // The first line: the university only in its law entry, the faculty, 国 and the pass line.
    const QStringList first = columns(blockText(*document_, start));
    QStringList expected;
    if (faculty == Law)
        expected << at(universityCell, QString::fromUtf16(universities[university].name));
    expected << at(facultyCell, QString::fromUtf16(facultyNames[faculty]))
             << at(groupCell, u"国　―　国語"_qs);
    QCOMPARE(first.mid(0, expected.size()), expected);
    QCOMPARE(first.size(), expected.size() + 1);
    QVERIFY2(first.last().startsWith(QString::number(passLineCell) + u' ') &&
                 isPassLine(first.last().section(u' ', 1)),
             qPrintable(first.last()));

    // Every line: one group and its subjects at the group's cell.
    for (int line = 0; line < entryLines; ++line) {
        const QStringList found = columns(blockText(*document_, start + line));
        const QString column = line == 0 ? first.at(expected.size() - 1) : found.value(0);
        if (line > 0)
            QCOMPARE(found.size(), 1);
        QVERIFY2(column.startsWith(QString::number(groupCell) + u' '), qPrintable(column));
        QVERIFY2(isGroupAndSubjects(column.section(u' ', 1)),
                 qPrintable(u"no dash in "_qs + column));
    }
}

void TestPassLineTable::textIsCleanWithThreeTabs()
{
    const QString text = document_->toPlainText();
    // The columns above are measured with the tabs in place, so a tab that moved one shows there.
    QCOMPARE(text.count(u'\t'), 3);
    QVERIFY2(!text.contains(QChar::ReplacementCharacter),
             "a character the reader could not decode");
    static const QRegularExpression controls(u"[\\x00-\\x08\\x0b-\\x1f\\x7f]"_qs);
    QVERIFY(!text.contains(controls));
    // Only the rendering font's full-width space pads: no NBSP or other odd blanks.
    static const QRegularExpression oddSpaces(u"[\\x{00a0}\\x{2000}-\\x{200b}]"_qs);
    QVERIFY(!text.contains(oddSpaces));
}

void TestPassLineTable::oneFontAndSizeThroughout()
{
    QStringList families;
    int fragments = 0;
    for (QTextBlock block = document_->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QString where = u"block %1: "_qs.arg(block.blockNumber()) + it.fragment().text();
            if (families.isEmpty())
                families = format.fontFamilies().toStringList();
            QCOMPARE(format.fontFamilies().toStringList(), families);
            QCOMPARE(format.fontPointSize(), 9.0);
            QVERIFY2(format.fontWeight() == QFont::Normal, qPrintable(where));
            QVERIFY2(!format.fontItalic() && !format.fontUnderline(), qPrintable(where));
            ++fragments;
        }
    }
    QVERIFY(fragments > 0);
    QCOMPARE(families.value(0), u"ＭＳ ゴシック"_qs);
}

QTEST_GUILESS_MAIN(TestPassLineTable)
#include "tst_passline_table.moc"
