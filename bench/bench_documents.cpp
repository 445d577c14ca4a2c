// How long the program's documents take to read, and to lay out at the width of their boxes: the
// booklet, the pass-line table and the read-me.

#include "controls/RichTextBox.h"
#include "documents/RtfReader.h"
#include "startup/Startup.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFile>
#include <QResizeEvent>
#include <QTest>
#include <QTextDocument>

using namespace tamsel;

class BenchDocuments final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepareApplication(); }
    void read_data() { documents(); }
    void read();
    void readAndLayOut_data() { documents(); }
    void readAndLayOut();
    void readGrowingDocument_data();
    void readGrowingDocument();

private:
    static void documents();
};

void BenchDocuments::documents()
{
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("width"); // the viewport's width in its box, in pixels
    QTest::newRow("booklet") << QStringLiteral(":/booklet.rtf") << 633;
    QTest::newRow("pass-line table") << QStringLiteral(":/passline.rtf") << 777;
    QTest::newRow("read-me") << QStringLiteral(":/help.rtf") << 777;
}

static QByteArray contentsOf(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("no resource %s", qPrintable(resource));
    return file.readAll();
}

void BenchDocuments::read()
{
    QFETCH(QString, resource);
    const QByteArray rtf = contentsOf(resource);
    QTextDocument document;
    QBENCHMARK
    {
        RtfReader::import(&document, rtf);
    }
}

// What a box does before its first picture: read the document and lay all of it out.
void BenchDocuments::readAndLayOut()
{
    QFETCH(QString, resource);
    QFETCH(int, width);
    const QByteArray rtf = contentsOf(resource);
    QBENCHMARK
    {
        // As a window's box: read before it has a size, laid out whole when it gets one.
        RichTextBox box;
        box.setRtfLaidOutWhenSized(rtf);
        box.resize(width, 400);
        QResizeEvent sized(box.size(), QSize());
        QCoreApplication::sendEvent(&box, &sized);
    }
}

void BenchDocuments::readGrowingDocument_data()
{
    QTest::addColumn<QByteArray>("paragraph"); // %1 stands for the paragraph's number
    QTest::addColumn<int>("paragraphs");
    const struct {
        const char* name;
        const char* paragraph;
    } kinds[] = {
        {"tab stops", "\\pard\\tx%1 a\\tab b\\par "},
        {"tab stops kept", "\\tx%1 a\\tab b\\par "},
        {"indents", "\\pard\\li%1\\fi-%1 a\\par "},
        {"sizes", "\\pard\\fs%1 a\\par "},
    };
    for (const auto& kind : kinds) {
        for (const int paragraphs : {2500, 5000, 10000, 20000})
            QTest::addRow("%s, %d", kind.name, paragraphs)
                << QByteArray(kind.paragraph) << paragraphs;
    }
}

// Every paragraph with settings of its own: reading must stay linear in the document's size.
void BenchDocuments::readGrowingDocument()
{
    QFETCH(QByteArray, paragraph);
    QFETCH(int, paragraphs);
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg932 ";
    for (int n = 1; n <= paragraphs; ++n)
        rtf += QString::fromLatin1(paragraph).arg(n).toLatin1();
    rtf += '}';
    QTextDocument document;
    QBENCHMARK
    {
        RtfReader::import(&document, rtf);
    }
}

QTEST_MAIN(BenchDocuments)
#include "bench_documents.moc"
