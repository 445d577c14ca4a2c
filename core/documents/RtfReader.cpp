#include "documents/RtfReader.h"

#include "design/DesignUnits.h"
#include "documents/CodePage932.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>

namespace tamsel {

namespace {

// Bounds for what the documents measure and size; beyond them a value can only come from a broken
// document. 31680 twips is 22 inches, the widest page Windows' editors allow.
constexpr int maxTwips = 31680;
constexpr int maxHalfPoints = 3276;
constexpr int maxTabStops = 32;

int clampTwips(int twips)
{
    return std::clamp(twips, -maxTwips, maxTwips);
}

// Keeps the stops sorted, as Qt's layout expects them.
void addTabStop(std::vector<int>& stops, int stop)
{
    const auto at = std::lower_bound(stops.begin(), stops.end(), stop);
    if ((at == stops.end() || *at != stop) && static_cast<int>(stops.size()) < maxTabStops)
        stops.insert(at, stop);
}

} // namespace

RtfReader::RtfReader(QTextDocument* document, const InstalledFaces& installed)
    : document_(document)
    , cursor_(document)
    , fonts_(installed)
{
}

void RtfReader::import(QTextDocument* document, QByteArrayView rtf, const InstalledFaces& installed)
{
    // Reading is not an edit the user could undo, and one edit block lays the document out once.
    const bool undoRedo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    document->clear();
    RtfReader reader(document, installed);
    reader.setDefaultTab(defaultTab);
    reader.cursor_.beginEditBlock();
    reader.readAll(rtf);
    reader.finish();
    reader.cursor_.endEditBlock();
    document->setUndoRedoEnabled(undoRedo);
}

QTextDocument* RtfReader::read(QByteArrayView rtf, QObject* parent, const InstalledFaces& installed)
{
    auto* document = new QTextDocument(parent);
    import(document, rtf, installed);
    return document;
}

void RtfReader::readAll(QByteArrayView rtf)
{
    RtfTokenizer tokens(rtf);
    for (RtfToken token = tokens.next(); token.kind != RtfToken::Kind::End; token = tokens.next()) {
        if (token.kind == RtfToken::Kind::Text) {
            text(token.byte);
            continue;
        }
        // A run ends at every brace and control word, so the bytes of one character are decoded
        // together but never with a byte on the far side of a control word.
        flushRun();
        switch (token.kind) {
        case RtfToken::Kind::GroupStart:
            openGroup();
            break;
        case RtfToken::Kind::GroupEnd:
            if (!closeGroup())
                return;
            break;
        case RtfToken::Kind::ControlWord:
            controlWord(token);
            break;
        case RtfToken::Kind::ControlSymbol:
            // {\* ...} marks a destination that a reader which does not know it may skip; none
            // of them holds text the documents show.
            if (token.byte == '*' && !skipping())
                state().destination = Destination::Skipped;
            break;
        case RtfToken::Kind::End:
        case RtfToken::Kind::Text:
            break;
        }
    }
}

void RtfReader::openGroup()
{
    if (skippedGroups_ > 0 || static_cast<int>(states_.size()) > maxGroupDepth)
        ++skippedGroups_;
    else
        states_.push_back(state());
}

bool RtfReader::closeGroup()
{
    if (skippedGroups_ > 0) {
        --skippedGroups_;
        return true;
    }
    // The bottom state stands outside every group: closing the outermost group, or a stray
    // brace outside any group, ends the document.
    if (states_.size() > 1)
        states_.pop_back();
    return states_.size() > 1;
}

bool RtfReader::skipping() const
{
    return skippedGroups_ > 0 || states_.back().destination == Destination::Skipped;
}

void RtfReader::controlWord(const RtfToken& token)
{
    if (skipping())
        return;
    const RtfWord word = lookUpWord(token);
    if (word == RtfWord::FontTable)
        state().destination = Destination::FontTable;
    else if (word == RtfWord::SkippedDestination)
        state().destination = Destination::Skipped;
    else if (state().destination == Destination::FontTable)
        fontTableWord(word, token.parameter);
    else
        textWord(word, token.parameter);
}

void RtfReader::fontTableWord(RtfWord word, int value)
{
    switch (word) {
    case RtfWord::Font:
        fonts_.beginFont(value);
        break;
    case RtfWord::FontNil:
        fonts_.setFamily(FontFamily::Nil);
        break;
    case RtfWord::FontRoman:
        fonts_.setFamily(FontFamily::Roman);
        break;
    case RtfWord::FontSwiss:
        fonts_.setFamily(FontFamily::Swiss);
        break;
    case RtfWord::FontModern:
        fonts_.setFamily(FontFamily::Modern);
        break;
    case RtfWord::Charset:
        fonts_.setCharset(value);
        break;
    default:
        break;
    }
}

void RtfReader::textWord(RtfWord word, int value)
{
    State& current = state();
    Paragraph& paragraph = current.paragraph;
    switch (word) {
    case RtfWord::DefaultFont:
        fonts_.setDefaultFont(value);
        current.font = value;
        break;
    case RtfWord::DefaultTab:
        // A tab distance of zero would put every tab stop in one place.
        setDefaultTab(std::clamp(value, twipsPerPixel, maxTwips));
        break;
    case RtfWord::Plain:
        current.font = fonts_.defaultFont();
        current.halfPoints = defaultHalfPoints;
        current.subscript = false;
        break;
    case RtfWord::Font:
        current.font = value;
        break;
    case RtfWord::FontSize:
        current.halfPoints = std::clamp(value, 1, maxHalfPoints);
        break;
    case RtfWord::ParagraphDefaults:
        paragraph = Paragraph{};
        break;
    case RtfWord::Paragraph:
        endParagraph();
        break;
    case RtfWord::Tab:
        insertText(QStringLiteral("\t"));
        break;
    case RtfWord::LeftIndent:
        paragraph.leftIndent = clampTwips(value);
        break;
    case RtfWord::FirstLineIndent:
        paragraph.firstLineIndent = clampTwips(value);
        break;
    case RtfWord::TabStop:
        addTabStop(paragraph.tabStops, std::clamp(value, 0, maxTwips));
        break;
    case RtfWord::Subscript:
        current.subscript = true;
        break;
    case RtfWord::NoSuperSub:
        current.subscript = false;
        break;
    default:
        break;
    }
}

void RtfReader::text(char byte)
{
    if (skipping())
        return;
    if (state().destination == Destination::FontTable) {
        if (byte == ';')
            fonts_.endFont();
        else
            fonts_.appendNameByte(byte);
        return;
    }
    run_.append(byte);
}

void RtfReader::flushRun()
{
    if (run_.isEmpty())
        return;
    insertText(decodeCodePage932(run_));
    run_.clear();
}

void RtfReader::insertText(const QString& text)
{
    if (!text.isEmpty())
        cursor_.insertText(text, charFormat());
}

void RtfReader::endParagraph()
{
    // A paragraph takes the settings in force at its \par.
    cursor_.setBlockFormat(blockFormat());
    cursor_.insertBlock();
}

void RtfReader::finish()
{
    flushRun();
    cursor_.setBlockFormat(blockFormat());
}

void RtfReader::setDefaultTab(int twips)
{
    // Set while the document is still empty, where the header gives it: set later, it would lay
    // out again everything written so far.
    QTextOption option = document_->defaultTextOption();
    option.setTabStopDistance(twipsToPixels(twips));
    document_->setDefaultTextOption(option);
}

QTextCharFormat RtfReader::charFormat() const
{
    const State& current = states_.back();
    QTextCharFormat format;
    format.setFontFamilies(fonts_.families(current.font));
    format.setFontPointSize(current.halfPoints / 2.0);
    if (current.subscript)
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    return format;
}

QTextBlockFormat RtfReader::blockFormat() const
{
    const Paragraph& paragraph = states_.back().paragraph;
    QTextBlockFormat format;
    format.setLeftMargin(twipsToPixels(paragraph.leftIndent));
    format.setTextIndent(twipsToPixels(paragraph.firstLineIndent));
    // As in Windows' rich-text boxes, a hanging indent is a tab stop too: where "①、" reaches
    // past the explicit stop, the tab still brings the choice text to its wrapped lines' edge.
    std::vector<int> stops = paragraph.tabStops;
    if (paragraph.firstLineIndent < 0 && paragraph.leftIndent > 0)
        addTabStop(stops, paragraph.leftIndent);
    QList<QTextOption::Tab> tabs;
    for (const int stop : stops)
        tabs.append(QTextOption::Tab(twipsToPixels(stop), QTextOption::LeftTab));
    format.setTabPositions(tabs);
    return format;
}

} // namespace tamsel
