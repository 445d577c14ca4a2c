// The rich-text reader: decoding of code page 932, runs and their fonts, paragraphs and tabs, what
// it passes over, the program's own documents read back against their sources, and every broken
// input that ever troubled it.

#include "TestFiles.h"
#include "documents/RtfReader.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <memory>

using tamsel::RtfReader;

namespace {

// The head of a document in the program's conventions, with the booklet's fonts; bodies start in
// the booklet's text font, ＭＳ 明朝 at 8 points.
const QByteArray head = QByteArrayLiteral(
    "{\\rtf1\\ansi\\ansicpg932\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
    "{\\f1\\froman\\fcharset2 Symbol;}"
    "{\\f2\\fmodern\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
    "{\\f3\\fmodern\\fcharset128 \\'82\\'6c\\'82\\'72 \\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
    "{\\f4\\fswiss\\fprq2 Geneva;}{\\f5\\froman\\fprq1\\fcharset128 \\'82\\'6c\\'82\\'72 "
    "\\'96\\'be\\'92\\'a9;}"
    "{\\f6\\fnil\\fprq2\\fcharset128 \\'95\\'bd\\'90\\'ac\\'96\\'be\\'92\\'a9;}"
    "{\\f7\\froman\\fprq2 Century;}}\r\n{\\colortbl\\red0\\green0\\blue0;}\r\n"
    "\\deflang1041\\horzdoc{\\*\\fchars !%),.:;?]\\}\\'81\\'41\\'81\\'42}"
    "{\\*\\lchars $([\\\\\\{}\r\n"
    "\\pard\\plain\\f5\\fs16 ");

QByteArray withBody(const QByteArray& body)
{
    return head + body + '}';
}

std::unique_ptr<QTextDocument> read(const QByteArray& rtf)
{
    return std::unique_ptr<QTextDocument>(RtfReader::read(rtf));
}

QString plainText(const QByteArray& rtf)
{
    return read(rtf)->toPlainText();
}

QStringList mincho()
{
    return {u"ＭＳ 明朝"_qs, u"IPAMincho"_qs, u"IPAGothic"_qs};
}

QStringList msSansSerif()
{
    return {u"MS Sans Serif"_qs, u"DejaVu Sans"_qs, u"IPAGothic"_qs, u"IPAMincho"_qs};
}

// What the document writer says, run as ctest runs it; it is the one place that knows which
// files are documents and what their markup means. A Windows test program under Wine cannot start
// the host's Python, so there ctest has the writer's answers written beforehand, one file each.
#ifdef TAMSEL_RTFWRITE_ANSWERS
QString rtfwrite(const QStringList& arguments)
{
    QString name = arguments.first().mid(2);
    if (arguments.size() > 1)
        name += u'-' + QFileInfo(arguments.last()).fileName();
    QFile answer(QStringLiteral(TAMSEL_RTFWRITE_ANSWERS "/") + name);
    if (!answer.open(QIODevice::ReadOnly))
        qFatal("rtfwrite %s: no answer written in %s", qPrintable(arguments.join(u' ')),
               qPrintable(answer.fileName()));
    return QString::fromUtf8(answer.readAll());
}
#else
QString rtfwrite(const QStringList& arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(TAMSEL_PYTHON),
               QStringList{QStringLiteral(TAMSEL_RTFWRITE)} + arguments);
    if (!tool.waitForFinished(60'000) || tool.exitCode() != 0)
        qFatal("rtfwrite %s failed: %s", qPrintable(arguments.join(u' ')),
               tool.readAllStandardError().constData());
    return QString::fromUtf8(tool.readAllStandardOutput());
}
#endif

// The program's documents, as the writer lists them.
void addDocumentRows()
{
    QTest::addColumn<QString>("rtf");
    const QStringList lines = rtfwrite({QStringLiteral("--list")}).split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(!lines.isEmpty());
    for (const QString& line : lines) {
        const QStringList paths = line.split(u'\t');
        QCOMPARE(paths.size(), 2);
        QTest::newRow(qPrintable(QFileInfo(paths[1]).completeBaseName())) << paths[1];
    }
}

} // namespace

class TestRtfReader final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void bodiesReadAsTheirText_data();
    void bodiesReadAsTheirText();
    void sourceLineBreaksMeanNothing_data();
    void sourceLineBreaksMeanNothing();
    void emptyRunsAddNothing_data();
    void emptyRunsAddNothing();
    void runFormats_data();
    void runFormats();
    void subscriptHoldsUntilItsEnd_data();
    void subscriptHoldsUntilItsEnd();
    void hangingIndentHoldsUntilPard_data();
    void hangingIndentHoldsUntilPard();
    void defaultTabStops_data();
    void defaultTabStops();
    void brokenDocumentsGiveWhatCouldBeRead_data();
    void brokenDocumentsGiveWhatCouldBeRead();
    void documentsReadBackAsTheirSources_data() { addDocumentRows(); }
    void documentsReadBackAsTheirSources();
    void documentsFollowTheConventions_data() { addDocumentRows(); }
    void documentsFollowTheConventions();
    void documentsCutAnywhereGiveAPrefix_data() { addDocumentRows(); }
    void documentsCutAnywhereGiveAPrefix();
};

// Code page 932 decoded, and what the reader does not show passed over.
void TestRtfReader::bodiesReadAsTheirText_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("heading 第１問") << "\\'91\\'e6\\'82\\'50\\'96\\'e2"_qba << u"第１問"_qs;
    const QString circled = u"①②③④⑤⑥⑦⑧"_qs;
    for (int k = 0; k < circled.size(); ++k) {
        QTest::addRow("circled digit %d", k + 1)
            << QByteArray("\\'87\\'4") + char('0' + k) << QString(circled[k]);
    }
    QTest::newRow("ideographic space and comma") << "\\'81\\'40\\'81\\'41"_qba << u"　、"_qs;
    QTest::newRow("full-width tilde of a choice range") << "\\'81\\'60"_qba << u"～"_qs;
    QTest::newRow("trail byte 0x5c of ソ") << "\\'83\\'5c"_qba << u"ソ"_qs;
    QTest::newRow("upper-case hex digits") << "\\'82\\'A0"_qba << u"あ"_qs;
    QTest::newRow("half-width katakana") << "\\'b1\\'dd"_qba << u"ｱﾝ"_qs;
    QTest::newRow("escaped braces and backslash") << "\\{\\\\\\}"_qba << u"{\\}"_qs;
    QTest::newRow("Latin text") << "DNA 17"_qba << u"DNA 17"_qs;
    QTest::newRow("character across a source line break") << "\\'82\r\n\\'a0"_qba << u"あ"_qs;
    QTest::newRow("raw 8-bit bytes") << "\x82\xa0"_qba << u"あ"_qs;
    // The two escapes of a character are never parted in the documents; where broken input
    // parts them, neither half may pair with a byte on the other side.
    QTest::newRow("characters either side of a tab")
        << "\\'88\\'9f\\tab\\'88\\'9f"_qba << u"亜\t亜"_qs;
    QTest::newRow("lead byte before \\par") << "\\'82\\par\\'a0"_qba << u"\n\uFFFD"_qs;
    QTest::newRow("lead byte before a font switch") << "\\'88\\plain\\f7\\fs16 x"_qba << u"x"_qs;
    QTest::newRow("lead byte before a group") << "\\'88{}x"_qba << u"x"_qs;
    QTest::newRow("lead byte before an unknown word") << "\\'88\\foo x"_qba << u"x"_qs;
    QTest::newRow("byte the code page lacks") << "a\\'a0b"_qba << u"a\uFFFDb"_qs;
    // What the reader passes over: it shows nothing of it, and reads on after it.
    QTest::newRow("unknown control words") << "\\foo a\\bar12 b\\baz-3c"_qba << u"abc"_qs;
    QTest::newRow("unknown control symbol") << "a\\~b\\-c"_qba << u"abc"_qs;
    QTest::newRow("rule list with escaped braces")
        << "{\\*\\fchars !%)\\}\\'81\\'41}{\\*\\lchars ([\\\\\\{}x"_qba << u"x"_qs;
    QTest::newRow("unknown ignorable group with nested groups")
        << "{\\*\\generator {a}{b{c}}d}x"_qba << u"x"_qs;
    QTest::newRow("colour table") << "{\\colortbl;\\red255\\green0\\blue0;}x"_qba << u"x"_qs;
    QTest::newRow("rule list without the star") << "{\\lchars ([}x"_qba << u"x"_qs;
    QTest::newRow("header words in the body")
        << "\\rtf1\\ansi\\ansicpg932\\deflang1041\\horzdoc x"_qba << u"x"_qs;
    QTest::newRow("text after the skipped group is read")
        << "{\\*\\foo \\par}\\par x"_qba << u"\nx"_qs;
}

void TestRtfReader::bodiesReadAsTheirText()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QCOMPARE(plainText(withBody(body)), text);
}

void TestRtfReader::sourceLineBreaksMeanNothing_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("CR LF after each \\par")
        << "a\\par\r\nb\\par\r\n\\par\r\nc"_qba << u"a\nb\n\nc"_qs;
    QTest::newRow("CR LF inside a run") << "ab\r\ncd"_qba << u"abcd"_qs;
    QTest::newRow("bare LF and bare CR") << "a\nb\rc"_qba << u"abc"_qs;
    QTest::newRow("escaped CR and LF") << "a\\'0d\\'0ab"_qba << u"a\uFFFD\uFFFDb"_qs;
}

void TestRtfReader::sourceLineBreaksMeanNothing()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    const auto document = read(withBody(body));
    QCOMPARE(document->toPlainText(), text);
    QCOMPARE(document->blockCount(), text.count(u'\n') + 1);
}

void TestRtfReader::emptyRunsAddNothing_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty f6 run between runs")
        << "\\plain\\f6\\fs16\\plain\\f5\\fs16\\'96\\'e2\\'82\\'51"_qba << u"問２"_qs;
    QTest::newRow("empty f6 run before \\par")
        << "\\'96\\'e2\\plain\\f6\\fs16\\par"_qba << u"問\n"_qs;
    QTest::newRow("empty group") << "\\'96\\'e2{\\plain\\f6\\fs16}"_qba << u"問"_qs;
    QTest::newRow("lone lead byte") << "\\'96\\'e2\\plain\\f6\\fs16\\'82"_qba << u"問"_qs;
}

void TestRtfReader::emptyRunsAddNothing()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    const auto document = read(withBody(body));
    QCOMPARE(document->toPlainText(), text);
    // One fragment, in ＭＳ 明朝: nothing of f6 is left in the first paragraph.
    const QTextBlock first = document->firstBlock();
    int fragments = 0;
    for (auto it = first.begin(); !it.atEnd(); ++it) {
        ++fragments;
        QCOMPARE(it.fragment().charFormat().fontFamilies().toStringList(), mincho());
    }
    QCOMPARE(fragments, 1);
}

void TestRtfReader::runFormats_data()
{
    // The format of the last character read.
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("families");
    QTest::addColumn<double>("points");
    QTest::newRow("f5 ＭＳ 明朝, roman Shift-JIS")
        << withBody("\\plain\\f5\\fs16 x"_qba) << mincho() << 8.0;
    QTest::newRow("f3 ＭＳ ゴシック, modern Shift-JIS")
        << withBody("\\plain\\f3\\fs18 x"_qba)
        << QStringList{u"ＭＳ ゴシック"_qs, u"IPAGothic"_qs, u"IPAMincho"_qs} << 9.0;
    QTest::newRow("f6 平成明朝, no family, Shift-JIS")
        << withBody("\\plain\\f6\\fs16 x"_qba)
        << QStringList{u"平成明朝"_qs, u"IPAMincho"_qs, u"IPAGothic"_qs} << 8.0;
    QTest::newRow("f7 Century, roman Latin")
        << withBody("\\plain\\f7\\fs16 DNA"_qba)
        << QStringList{u"Century"_qs, u"DejaVu Serif"_qs, u"IPAMincho"_qs, u"IPAGothic"_qs} << 8.0;
    QTest::newRow("f4 Geneva, swiss Latin")
        << withBody("\\plain\\f4\\fs16 x"_qba)
        << QStringList{u"Geneva"_qs, u"DejaVu Sans"_qs, u"IPAGothic"_qs, u"IPAMincho"_qs} << 8.0;
    QTest::newRow("f1 Symbol, roman symbol set")
        << withBody("\\plain\\f1\\fs16 x"_qba)
        << QStringList{u"Symbol"_qs, u"DejaVu Serif"_qs, u"IPAMincho"_qs, u"IPAGothic"_qs} << 8.0;
    QTest::newRow("the one character at 10.5 points")
        << withBody("\\plain\\f5\\fs21\\'81\\'a6"_qba) << mincho() << 10.5;
    QTest::newRow("\\plain returns to \\deff at 12 points")
        << withBody("\\plain x"_qba) << msSansSerif() << 12.0;
    QTest::newRow("font number the table lacks") << withBody("\\f99 x"_qba) << msSansSerif() << 8.0;
    QTest::newRow("group restores the run's font")
        << withBody("{\\plain\\f7\\fs20 a}x"_qba) << mincho() << 8.0;
    QTest::newRow("huge size is clamped")
        << withBody("\\fs99999999999 x"_qba) << mincho() << 1638.0;
    QTest::newRow("negative size is clamped") << withBody("\\fs-40 x"_qba) << mincho() << 0.5;
    QTest::newRow("font table without inner groups")
        << "{\\rtf1{\\fonttbl\\f0\\fmodern\\fcharset128 \\'82\\'6c\\'82\\'72 "
           "\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;\\f1\\froman Times;}\\f1 x}"_qba
        << QStringList{u"Times"_qs, u"DejaVu Serif"_qs, u"IPAMincho"_qs, u"IPAGothic"_qs} << 12.0;
    QTest::newRow("no font table at all")
        << "{\\rtf1 x}"_qba << QStringList{u"DejaVu Sans"_qs, u"IPAMincho"_qs, u"IPAGothic"_qs}
        << 12.0;
}

void TestRtfReader::runFormats()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, families);
    QFETCH(double, points);
    const auto document = read(rtf);
    QTextCursor cursor(document.get());
    cursor.movePosition(QTextCursor::End);
    QCOMPARE(cursor.charFormat().fontFamilies().toStringList(), families);
    QCOMPARE(cursor.charFormat().fontPointSize(), points);
}

// F₁ in the booklet: the 1 is lowered until \nosupersub, \plain or its group's end, and only it.
void TestRtfReader::subscriptHoldsUntilItsEnd_data()
{
    // The text read, each lowered character after a "_".
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("lowered");
    QTest::newRow("a run of the booklet's Latin face")
        << withBody("\\plain\\f7\\fs16 F\\plain\\f7\\fs16\\sub 1\\plain\\f5\\fs16 x"_qba)
        << u"F_1x"_qs;
    QTest::newRow("until \\nosupersub") << withBody("\\sub 1\\nosupersub x"_qba) << u"_1x"_qs;
    QTest::newRow("until its group ends") << withBody("{\\sub 12}x"_qba) << u"_1_2x"_qs;
    QTest::newRow("across a paragraph's end") << withBody("\\sub 1\\par 2"_qba) << u"_1\n_2"_qs;
    QTest::newRow("nothing lowered") << withBody("F1"_qba) << u"F1"_qs;
}

void TestRtfReader::subscriptHoldsUntilItsEnd()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, lowered);
    const auto document = read(rtf);
    QString found;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block != document->begin())
            found += u'\n';
        for (int i = 0; i < block.length() - 1; ++i) {
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + i + 1);
            if (cursor.charFormat().verticalAlignment() == QTextCharFormat::AlignSubScript)
                found += u'_';
            found += block.text()[i];
        }
    }
    QCOMPARE(found, lowered);
}

void TestRtfReader::hangingIndentHoldsUntilPard_data()
{
    // The booklet's choice lines: 360 twips are 24 pixels, the stop at 330 twips 22 pixels; the
    // hanging indent is a stop as well.
    QTest::addColumn<int>("block");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("leftMargin");
    QTest::addColumn<double>("textIndent");
    QTest::addColumn<QList<double>>("tabStops");
    QTest::newRow("question before the list") << 0 << u"問１"_qs << 0.0 << 0.0 << QList<double>{};
    const QList hangingStops{22.0, 24.0};
    QTest::newRow("first hanging line") << 1 << u"①、\tone"_qs << 24.0 << -24.0 << hangingStops;
    QTest::newRow("second hanging line") << 2 << u"②、\ttwo"_qs << 24.0 << -24.0 << hangingStops;
    QTest::newRow("line after \\pard") << 3 << u"③、three"_qs << 0.0 << 0.0 << QList<double>{};
    QTest::newRow("empty last paragraph") << 4 << QString() << 0.0 << 0.0 << QList<double>{};
}

void TestRtfReader::hangingIndentHoldsUntilPard()
{
    QFETCH(int, block);
    QFETCH(QString, text);
    QFETCH(double, leftMargin);
    QFETCH(double, textIndent);
    QFETCH(QList<double>, tabStops);
    const auto document = read(withBody("\\'96\\'e2\\'82\\'50\\par\r\n"
                                        "\\pard\\li360\\fi-360\\tx330\\plain\\f5\\fs16"
                                        "\\'87\\'40\\'81\\'41\\tab one\\par\r\n"
                                        "\\'87\\'41\\'81\\'41\\tab two\\par\r\n"
                                        "\\pard\\plain\\f5\\fs16"
                                        "\\'87\\'42\\'81\\'41three\\par "_qba));
    QCOMPARE(document->blockCount(), 5);
    const QTextBlock paragraph = document->findBlockByNumber(block);
    QCOMPARE(paragraph.text(), text);
    const QTextBlockFormat format = paragraph.blockFormat();
    QCOMPARE(format.leftMargin(), leftMargin);
    QCOMPARE(format.textIndent(), textIndent);
    QList<double> stops;
    for (const QTextOption::Tab& tab : format.tabPositions()) {
        QCOMPARE(tab.type, QTextOption::LeftTab);
        stops.append(tab.position);
    }
    QCOMPARE(stops, tabStops);
}

void TestRtfReader::defaultTabStops_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<double>("distance");
    QTest::newRow("\\deftab720 of the documents") << withBody("a\\tab b"_qba) << 48.0;
    QTest::newRow("\\deftab360") << "{\\rtf1\\deftab360 a\\tab b}"_qba << 24.0;
    QTest::newRow("no \\deftab") << "{\\rtf1 a\\tab b}"_qba << 48.0;
    QTest::newRow("\\deftab0 keeps one pixel") << "{\\rtf1\\deftab0 a}"_qba << 1.0;
    QTest::newRow("huge \\deftab is clamped") << "{\\rtf1\\deftab9999999 a}"_qba << 2112.0;
}

void TestRtfReader::defaultTabStops()
{
    QFETCH(QByteArray, rtf);
    QFETCH(double, distance);
    QCOMPARE(read(rtf)->defaultTextOption().tabStopDistance(), distance);
}

void TestRtfReader::brokenDocumentsGiveWhatCouldBeRead_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::newRow("cut in a hex escape") << head + "a\\'8" << u"a"_qs;
    QTest::newRow("cut after a lead byte") << head + "a\\'82" << u"a"_qs;
    QTest::newRow("cut in a control word") << head + "a\\pa" << u"a"_qs;
    QTest::newRow("cut after a backslash") << head + "a\\" << u"a"_qs;
    QTest::newRow("broken hex escapes are dropped") << head + "a\\'zzb\\'1g}" << u"azzbg"_qs;
    QTest::newRow("unclosed groups") << head + "a{{{b" << u"ab"_qs;
    QTest::newRow("stray brace ends the document") << "a}b"_qba << u"a"_qs;
    QTest::newRow("text after the outermost group") << "{\\rtf1 a}b"_qba << u"a"_qs;
    QTest::newRow("cut after a whole control word") << "{\\rtf1 a\\par"_qba << u"a"_qs;
    QTest::newRow("NUL ends the text") << QByteArray("{\\rtf1 a\\par b\0c}", 17) << u"a\nb"_qs;
    QTest::newRow("nesting beyond the limit is skipped whole")
        << "{\\rtf1 x" + QByteArray(1000, '{') + "deep\\par" + QByteArray(1000, '}') + "y}"
        << u"xy"_qs;
    QTest::newRow("nesting just within the limit is read")
        << "{\\rtf1 x" + QByteArray(RtfReader::maxGroupDepth - 1, '{') + "deep" +
               QByteArray(RtfReader::maxGroupDepth - 1, '}') + "y}"
        << u"xdeepy"_qs;
    QTest::newRow("huge parameters")
        << "{\\rtf1\\li99999999999999999999\\f-99999999999 x}"_qba << u"x"_qs;
}

void TestRtfReader::brokenDocumentsGiveWhatCouldBeRead()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(plainText(rtf), text);
}

void TestRtfReader::documentsReadBackAsTheirSources()
{
    QFETCH(QString, rtf);
    const QString text = rtfwrite({QStringLiteral("--plain"), rtf});
    QVERIFY(!text.isEmpty());
    QCOMPARE(plainText(readAll(rtf)), text);
}

void TestRtfReader::documentsFollowTheConventions()
{
    QFETCH(QString, rtf);
    const QByteArray bytes = readAll(rtf);
    QVERIFY(bytes.startsWith("{\\rtf1\\ansi\\ansicpg932\\deff0\\deftab720{\\fonttbl"));
    QVERIFY(bytes.endsWith(QByteArray("\\par }\r\n\0", 9)));
    QCOMPARE(bytes.indexOf('\0'), bytes.size() - 1);
    for (const char byte : bytes)
        QVERIFY2(static_cast<unsigned char>(byte) < 0x80, "a raw 8-bit byte");
    static const QRegularExpression notLowerCaseEscape(u"\\\\'(?![0-9a-f]{2})"_qs);
    QVERIFY(!QString::fromLatin1(bytes).contains(notLowerCaseEscape));
    // Every \par but the last is followed by CR LF.
    static const QRegularExpression par(u"\\\\par(?![a-z])(\r\n| }\r\n\\x00$)?"_qs);
    for (const QRegularExpressionMatch& match : par.globalMatch(QString::fromLatin1(bytes)))
        QVERIFY2(match.hasCaptured(1), qPrintable(u"at %1"_qs.arg(match.capturedStart())));
    const auto document = read(bytes);
    QVERIFY(!document->isEmpty());
}

void TestRtfReader::documentsCutAnywhereGiveAPrefix()
{
    // A document cut short reads as the beginning of the whole, up to the last whole character.
    QFETCH(QString, rtf);
    const QByteArray bytes = readAll(rtf);
    const QString whole = plainText(bytes);
    // Every byte of the head (font table, rule lists, first runs) and of the tail, and a few
    // hundred places between; the fuzzer covers the rest.
    constexpr qsizetype edge = 2048;
    constexpr qsizetype placesBetween = 300;
    const qsizetype size = bytes.size();
    QList<qsizetype> cuts;
    for (qsizetype cut = 0; cut < std::min(edge, size); ++cut)
        cuts << cut;
    for (qsizetype i = 1; i <= placesBetween; ++i)
        cuts << edge + (size - 2 * edge) * i / (placesBetween + 1);
    for (qsizetype cut = std::max(edge, size - edge); cut < size; ++cut)
        cuts << cut;
    for (const qsizetype cut : std::as_const(cuts)) {
        if (cut < 0 || cut >= size)
            continue;
        const QString part = plainText(bytes.first(cut));
        QVERIFY2(whole.startsWith(part), qPrintable(u"cut at %1"_qs.arg(cut)));
    }
}

QTEST_GUILESS_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
