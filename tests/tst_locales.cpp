// Every window looks the same whatever the session's locale: on a Japanese desktop
// (ja_JP.UTF-8, whose fontconfig names the faces in Japanese), under C.UTF-8 and en_US.UTF-8.
// The locale is read once, when a program starts, so each window is pictured by a program of its
// own under each locale (this test started again with --pictures-of): on its first opening there
// (every page of the exam window's booklet viewer), once more after every other window has been
// opened, and the exam window with its countdown running and with a score. The pictures go under
// locale-pictures/ in the working folder and are compared pixel for pixel.

#include "Fakes.h"
#include "controls/TabbedDialog.h"
#include "design/DesignText.h"
#include "design/HelpWindowDesign.h"
#include "design/PassLineDesigns.h"
#include "forms/WindowShelf.h"
#include "startup/Startup.h"
#include "windows/frmTamsel.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTest>

#include <clocale>
#include <vector>

using namespace tamsel;

namespace {

const QString examWindow = QStringLiteral("frmTamsel");
const QStringList locales = {QStringLiteral("C.UTF-8"), QStringLiteral("ja_JP.UTF-8"),
                             QStringLiteral("en_US.UTF-8")};

std::vector<const DocumentFormDesign*> documentWindows()
{
    std::vector<const DocumentFormDesign*> all;
    for (const DocumentFormDesign& design : passlinedesign::windows)
        all.push_back(&design);
    all.push_back(&helpdesign::window);
    return all;
}

bool save(QWidget* shown, const QString& folder, const QString& name)
{
    return shown->grab().toImage().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

// The program's side: opens the exam window as the program does, then the window named (the
// exam window itself, or one it opens beside itself) first, and pictures it into folder.
int picturesOf(const QString& name, const QString& folder)
{
    const QString locale = QString::fromLatin1(std::setlocale(LC_ALL, nullptr));
    if (locale != qEnvironmentVariable("LC_ALL")) {
        qCritical("the locale %s is not installed here (scripts/setup makes it)",
                  qPrintable(qEnvironmentVariable("LC_ALL")));
        return 2;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    prepareApplication();
    FakeClock clock;
    clock.set("2026-12-08T10:15:40");
    RecordingPlayer player;
    WindowShelf shelf;
    frmTamsel window(clock, player, shelf);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window) || !QDir().mkpath(folder))
        return 2;

    const DocumentFormDesign* named = nullptr;
    for (const DocumentFormDesign* design : documentWindows())
        if (designText(design->form.name) == name)
            named = design;
    auto* viewer = window.findChild<TabbedDialog*>(QStringLiteral("stb英語"));
    bool saved = true;
    const auto picture = [&](const QString& file) {
        if (!named) {
            // Active again, as when the student comes back to it.
            window.activateWindow();
            saved = QTest::qWaitForWindowActive(&window) && save(&window, folder, file) && saved;
            return;
        }
        QWidget* shown = shelf.show(*named, &window);
        saved = QTest::qWaitForWindowExposed(shown) && save(shown, folder, file) && saved;
        shown->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    if (named) {
        picture(QStringLiteral("first"));
    } else {
        for (int page = 0; page < viewer->count(); ++page) {
            viewer->setCurrentIndex(page);
            picture(QStringLiteral("first-page%1").arg(page + 1));
        }
        viewer->setCurrentIndex(0);
    }
    for (const DocumentFormDesign* other : documentWindows()) {
        if (other != named)
            saved = QTest::qWaitForWindowExposed(shelf.show(*other, &window)) && saved;
    }
    picture(QStringLiteral("again"));
    if (!named) {
        // The countdown and the score, whose digits no locale changes.
        window.cmdスタート_Click();
        clock.now += 80;
        window.tmr時間_Timer();
        picture(QStringLiteral("started"));
        window.cmd得点_Click();
        picture(QStringLiteral("scored"));
    }
    return saved ? 0 : 1;
}

// How many pixels two pictures differ in, and where the first is.
struct Difference {
    qsizetype pixels = 0;
    QPoint first;
};

Difference compare(const QImage& a, const QImage& b)
{
    Difference difference;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && difference.pixels++ == 0)
                difference.first = {x, y};
    return difference;
}

} // namespace

class TestLocales final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowLooksTheSameUnderEveryLocale_data();
    void windowLooksTheSameUnderEveryLocale();
};

void TestLocales::windowLooksTheSameUnderEveryLocale_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("frmTamsel") << examWindow;
    for (const DocumentFormDesign* design : documentWindows())
        QTest::newRow(design->form.name) << designText(design->form.name);
}

void TestLocales::windowLooksTheSameUnderEveryLocale()
{
    QFETCH(QString, name);
    const QString root = QDir::current().absoluteFilePath(QStringLiteral("locale-pictures"));
    for (const QString& locale : locales) {
        const QString folder = root + QLatin1Char('/') + locale + QLatin1Char('/') + name;
        QDir(folder).removeRecursively();
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), locale);
        environment.insert(QStringLiteral("LANG"), locale);
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--pictures-of"), name, folder});
        QVERIFY2(program.waitForFinished(120000), qPrintable(locale));
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0,
                 qPrintable(locale + QStringLiteral(": no pictures")));
    }

    const QDir reference(root + QStringLiteral("/C.UTF-8/") + name);
    const QStringList pictures = reference.entryList({QStringLiteral("*.png")});
    QVERIFY(pictures.contains(QStringLiteral("again.png")));
    // Opened again, the window is as it was on its first opening.
    const QString firstOpening = pictures.contains(QStringLiteral("first.png"))
                                     ? QStringLiteral("first.png")
                                     : QStringLiteral("first-page1.png");
    const Difference again = compare(QImage(reference.filePath(firstOpening)),
                                     QImage(reference.filePath(QStringLiteral("again.png"))));
    QVERIFY2(again.pixels == 0,
             qPrintable(QStringLiteral("%1 pixels differ when opened again, the first at %2, %3")
                            .arg(again.pixels)
                            .arg(again.first.x())
                            .arg(again.first.y())));
    for (const QString& picture : pictures) {
        const QImage expected(reference.filePath(picture));
        for (const QString& locale : locales.mid(1)) {
            const QImage shown(root + QLatin1Char('/') + locale + QLatin1Char('/') + name +
                               QLatin1Char('/') + picture);
            QVERIFY2(shown.size() == expected.size(),
                     qPrintable(locale + QLatin1Char(' ') + picture));
            const Difference difference = compare(expected, shown);
            QVERIFY2(difference.pixels == 0,
                     qPrintable(QStringLiteral("%1 %2: %3 pixels differ from C.UTF-8, the first "
                                               "at %4, %5")
                                    .arg(locale, picture)
                                    .arg(difference.pixels)
                                    .arg(difference.first.x())
                                    .arg(difference.first.y())));
        }
    }
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("--pictures-of"))
        return picturesOf(arguments[2], arguments[3]);
    TestLocales test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_locales.moc"
