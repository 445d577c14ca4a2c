#pragma once
// Reads the program's rich-text documents (RTF in code page 932, in the subset they are written
// in) into a QTextDocument, the way Qt's own importers do: a QTextCursor writes the text and a
// stack of states follows the RTF groups. It owns the reading of one document; the document
// belongs to the caller, and how it is shown belongs to the widget that shows it.

#include "documents/RtfFontTable.h"
#include "documents/RtfTokenizer.h"
#include "documents/RtfWords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QTextCursor>

#include <vector>

class QObject;
class QTextBlockFormat;
class QTextCharFormat;
class QTextDocument;

namespace tamsel {

class RtfReader final {
public:
    // Groups nested deeper than this are skipped whole; the documents nest three deep.
    static constexpr int maxGroupDepth = 64;

    // Replaces the content of document with the text of rtf. Reading ends at the first NUL byte
    // or where the outermost group closes; a malformed document gives what could be read of it.
    // Runs ask for faces among those installed.
    static void import(QTextDocument* document, QByteArrayView rtf,
                       const InstalledFaces& installed = {});
    // A new document, owned by parent, holding the text of rtf.
    static QTextDocument* read(QByteArrayView rtf, QObject* parent = nullptr,
                               const InstalledFaces& installed = {});

private:
    enum class Destination { Text, FontTable, Skipped };

    // The size RTF gives text until a \fs says otherwise: 12 points.
    static constexpr int defaultHalfPoints = 24;
    // The tab distance until a \deftab says otherwise: half an inch, in twips.
    static constexpr int defaultTab = 720;

    // Measures in twips, as the document writes them.
    struct Paragraph {
        int leftIndent = 0;
        int firstLineIndent = 0;
        std::vector<int> tabStops;
    };

    struct State {
        Destination destination = Destination::Text;
        int font = 0;
        int halfPoints = defaultHalfPoints;
        // F₁'s 1: a run lowered and made smaller, until \nosupersub or \plain.
        bool subscript = false;
        Paragraph paragraph;
    };

    RtfReader(QTextDocument* document, const InstalledFaces& installed);

    void readAll(QByteArrayView rtf);
    void openGroup();
    bool closeGroup();
    void controlWord(const RtfToken& token);
    void fontTableWord(RtfWord word, int value);
    void textWord(RtfWord word, int value);
    void text(char byte);
    void flushRun();
    void insertText(const QString& text);
    void endParagraph();
    void finish();
    void setDefaultTab(int twips);
    bool skipping() const;
    State& state() { return states_.back(); }
    QTextCharFormat charFormat() const;
    QTextBlockFormat blockFormat() const;

    QTextDocument* document_ = nullptr;
    QTextCursor cursor_;
    std::vector<State> states_{State{}};
    int skippedGroups_ = 0; // open groups beyond maxGroupDepth
    QByteArray run_;        // the bytes of the text run being read
    RtfFontTable fonts_;
};

} // namespace tamsel
