// Holds the read-me's facts to what the install and the package lay out. The read-me is read the
// way the help window shows it; the install is staged under a scratch root (tests/install/stage)
// and the package unpacked under another (tests/install/package). Its file list names every file
// a user gets and no other, with the sizes it states; the version, the date and the package's
// file name in the install and removal steps are the package's own; the launcher leads to the
// program, and the chime lies beside the program's real path, where the program looks for it.
// The folder the study steps send a student to holds the companion documents, and the figures
// their HTML shows lie where it looks for them.
// Built for Windows, the same checks hold the Windows program's read-me to the folder its set-up
// installs and to the one its zip unpacks to (a file only one of them holds says which), and
// its install steps to the set-up's name; the launcher and the package are Linux's alone.

#include "documents/RtfReader.h"

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTextDocument>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <optional>

namespace {

// One "・" line of the read-me's file list: a path under the root (with "*" standing for part of
// one name), and what its brackets state of size and date.
struct ListedFile {
    QString path;
    std::optional<qint64> bytes;
    std::optional<int> count; // "7種類": how many files the path stands for
    QString only;             // "zip 版だけ": the one layout that holds it, if not every one
    QString date;
};

QStringList readMeLines()
{
#ifdef Q_OS_WIN
    QFile file(QStringLiteral(TAMSEL_CONTENT_DIR "/help-windows.rtf"));
#else
    QFile file(QStringLiteral(TAMSEL_CONTENT_DIR "/help.rtf"));
#endif
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const std::unique_ptr<QTextDocument> document(tamsel::RtfReader::read(file.readAll()));
    return document->toPlainText().split(u'\n');
}

QString factOf(const QStringList& lines, const QString& name)
{
    const QString head = u'【' + name + u'】' + u'\u3000';
    for (const QString& line : lines) {
        if (line.startsWith(head))
            return line.mid(head.size());
    }
    return {};
}

std::vector<ListedFile> fileList(const QStringList& lines)
{
    static const QRegularExpression entry(u"^・(\\S+)\u3000（(.+)）$"_qs);
    static const QRegularExpression bytes(u"^(\\d+)バイト$"_qs);
    static const QRegularExpression count(u"(\\d+)種類"_qs);
    static const QRegularExpression only(u"だけ$"_qs);
    std::vector<ListedFile> files;
    qsizetype n = 0;
    while (n < lines.size() && !lines[n].startsWith(u"【ファイル構成】"_qs))
        ++n;
    while (++n < lines.size() && lines[n].startsWith(u'・')) {
        const QRegularExpressionMatch match = entry.match(lines[n]);
        if (!match.hasMatch()) {
            files.push_back({lines[n], {}, {}, {}, {}});
            continue;
        }
        // Windows' paths are relative to the unzipped folder, with backslashes.
        QString path = match.captured(1).replace(u'\\', u'/');
        if (!path.startsWith(u'/'))
            path.prepend(u'/');
        ListedFile file{path, {}, {}, {}, {}};
        for (const QString& part : match.captured(2).split(u'，')) {
            if (const auto b = bytes.match(part); b.hasMatch())
                file.bytes = b.captured(1).toLongLong();
            if (const auto c = count.match(part); c.hasMatch())
                file.count = c.captured(1).toInt();
            if (only.match(part).hasMatch())
                file.only = part;
            file.date = part; // the date comes last
        }
        files.push_back(file);
    }
    return files;
}

// Every file and link under root, as absolute paths of the installed system ("/usr/...").
QStringList installedFiles(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.isSymLink() || !info.isDir())
            files << info.filePath().mid(root.size());
    }
    files.sort();
    return files;
}

#ifndef Q_OS_WIN
QString packageFile()
{
    const QStringList debs =
        QDir(QStringLiteral(TAMSEL_PACKAGE_DIR)).entryList({QStringLiteral("*.deb")}, QDir::Files);
    return debs.size() == 1 ? debs.front() : QString();
}

QString packageField(const QString& name)
{
    QProcess dpkg;
    dpkg.start(
        QStringLiteral("dpkg-deb"),
        {QStringLiteral("--field"), QStringLiteral(TAMSEL_PACKAGE_DIR "/") + packageFile(), name});
    dpkg.waitForFinished();
    return QString::fromUtf8(dpkg.readAllStandardOutput()).trimmed();
}

#endif

// The roots every layout check runs on, with what the file list says of a file only one holds.
void rootsData()
{
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("only");
#ifdef Q_OS_WIN
    QTest::newRow("the installed folder")
        << QStringLiteral(TAMSEL_INSTALLED_ROOT) << u"インストールしたときだけ"_qs;
    QTest::newRow("the unzipped folder")
        << QStringLiteral(TAMSEL_UNZIPPED_ROOT) << u"zip 版だけ"_qs;
#else
    QTest::newRow("cmake --install") << QStringLiteral(TAMSEL_STAGED_ROOT) << QString();
    QTest::newRow("the package") << QStringLiteral(TAMSEL_PACKAGE_DIR "/unpacked") << QString();
#endif
}

} // namespace

class TestHelp final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fileListIsWhatIsInstalled_data() { rootsData(); }
    void fileListIsWhatIsInstalled();
    void releaseFactsAreThePackages();
    void companionDocumentsAreWhereTheStepsSay_data() { rootsData(); }
    void companionDocumentsAreWhereTheStepsSay();
#ifdef Q_OS_WIN
    void stepsNameTheDownloads();
#else
    void launcherLeadsToTheProgramBesideItsChime_data()
    {
        rootsData();
    }
    void launcherLeadsToTheProgramBesideItsChime();
    void stepsNameThePackage();
#endif
};

void TestHelp::fileListIsWhatIsInstalled()
{
    QFETCH(QString, root);
    QFETCH(QString, only);
    const std::vector<ListedFile> listed = fileList(readMeLines());
    QVERIFY2(listed.size() >= 3, "the read-me lists no files");
    const QStringList installed = installedFiles(root);
    QVERIFY2(!installed.isEmpty(), qPrintable(root + u" holds nothing"_qs));

    QSet<QString> covered;
    for (const ListedFile& file : listed) {
        if (!file.only.isEmpty() && file.only != only)
            continue;
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(
            QRegularExpression::wildcardToRegularExpression(file.path)));
        const QStringList matching = installed.filter(pattern);
        QVERIFY2(!matching.isEmpty(), qPrintable(file.path + u" is listed, not installed"_qs));
        QCOMPARE(matching.size(), file.count.value_or(1));
        for (const QString& path : matching) {
            QVERIFY2(!covered.contains(path), qPrintable(path + u" is listed twice"_qs));
            covered.insert(path);
            if (file.bytes)
                QCOMPARE(QFileInfo(root + path).size(), *file.bytes);
        }
    }
    for (const QString& path : installed)
        QVERIFY2(covered.contains(path), qPrintable(path + u" is installed, not listed"_qs));
}

#ifndef Q_OS_WIN
void TestHelp::launcherLeadsToTheProgramBesideItsChime()
{
    QFETCH(QString, root);
    const QFileInfo launcher(root + u"/usr/bin/tamsel"_qs);
    QVERIFY(launcher.isSymLink());
    // A relative link, so that it leads to the program wherever the root lies.
    QVERIFY(std::filesystem::read_symlink(QFile::encodeName(launcher.filePath()).toStdString())
                .is_relative());
    const QFileInfo program(launcher.canonicalFilePath());
    QCOMPARE(program.filePath(),
             QFileInfo(root + u"/usr/libexec/tamsel/tamsel"_qs).canonicalFilePath());
    QVERIFY(program.isExecutable());
    QFile elf(program.filePath());
    QVERIFY(elf.open(QIODevice::ReadOnly));
    QCOMPARE(elf.read(4), QByteArray("\177ELF"));
    const QFileInfo chime(program.dir().filePath(u"Zikan.wav"_qs));
    QVERIFY(chime.isFile() && !chime.isSymLink());
    QCOMPARE(chime.size(), QFileInfo(QStringLiteral(TAMSEL_CONTENT_DIR "/Zikan.wav")).size());
}
#endif

void TestHelp::companionDocumentsAreWhereTheStepsSay()
{
    QFETCH(QString, root);
    // "/usr/share/tamsel/companion" on Linux, "docs\companion" in the Windows folder.
    static const QRegularExpression folder(u"((/usr/share/[a-z/]+/|docs\\\\)companion)"_qs);
    const QString steps = readMeLines().join(u'\n');
    QString named = folder.match(steps).captured(1).replace(u'\\', u'/');
    QVERIFY2(!named.isEmpty(), "the read-me names no folder of the companion documents");
    if (!named.startsWith(u'/'))
        named.prepend(u'/');
    const QDir companion(root + named);
    QCOMPARE(
        companion.entryList(QDir::Files, QDir::Name),
        QStringList({u"answers.html"_qs, u"answers.pdf"_qs, u"paper.html"_qs, u"paper.pdf"_qs}));
    static const QRegularExpression picture(u"<img src=\"([^\"]+)\""_qs);
    QFile answers(companion.filePath(u"answers.html"_qs));
    QVERIFY(answers.open(QIODevice::ReadOnly));
    int shown = 0;
    for (const QRegularExpressionMatch& m :
         picture.globalMatch(QString::fromUtf8(answers.readAll()))) {
        ++shown;
        QVERIFY2(QFileInfo(companion.filePath(m.captured(1))).isFile(), qPrintable(m.captured(1)));
    }
    QVERIFY(shown > 0);
}

void TestHelp::releaseFactsAreThePackages()
{
    const QStringList lines = readMeLines();
    QCOMPARE(factOf(lines, u"バージョン"_qs), QStringLiteral(TAMSEL_VERSION));
#ifndef Q_OS_WIN
    QCOMPARE(packageField(QStringLiteral("Version")), QStringLiteral(TAMSEL_VERSION));
#endif

    const QDate released = QDate::fromString(factOf(lines, u"公開日"_qs), u"yyyy年M月d日"_qs);
    QVERIFY(released.isValid());
    const std::vector<ListedFile> listed = fileList(lines);
    QVERIFY(!listed.empty());
    for (const ListedFile& file : listed)
        QCOMPARE(file.date, released.toString(u"yyyy/MM/dd"_qs));
}

#ifdef Q_OS_WIN
void TestHelp::stepsNameTheDownloads()
{
    const QString text = readMeLines().join(u'\n');
    for (const QString& download :
         {QStringLiteral(TAMSEL_SETUP_PROGRAM), QStringLiteral(TAMSEL_PORTABLE_ZIP)}) {
        const QFileInfo made(download);
        QVERIFY2(made.isFile(), qPrintable(download + u" was not made"_qs));
        QVERIFY2(text.contains(made.fileName()), qPrintable(made.fileName()));
    }
}
#else
void TestHelp::stepsNameThePackage()
{
    const QString text = readMeLines().join(u'\n');
    const QString deb = packageFile();
    QVERIFY2(!deb.isEmpty(), "no package was made");
    QVERIFY2(text.contains(u"apt install ./"_qs + deb), qPrintable(deb));
    const QString name = packageField(QStringLiteral("Package"));
    QVERIFY(!name.isEmpty());
    QVERIFY(text.contains(u"apt remove "_qs + name + u' '));
}
#endif

QTEST_GUILESS_MAIN(TestHelp)
#include "tst_help.moc"
