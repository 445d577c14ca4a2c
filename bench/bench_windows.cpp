// How long each window takes from nothing to its first picture: the exam window and the seven
// document windows; and what one tick of the countdown costs.

#include "Fakes.h"
#include "design/HelpWindowDesign.h"
#include "design/PassLineDesigns.h"
#include "forms/FormBuilder.h"
#include "forms/ScreenPlacement.h"
#include "forms/WindowShelf.h"
#include "startup/Startup.h"
#include "windows/frmTamsel.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tamsel;

class BenchWindows final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void examWindow();
    void documentWindow_data();
    void documentWindow();
    void countdownTick();
};

void BenchWindows::initTestCase()
{
    prepareApplication();
    QApplication::setQuitOnLastWindowClosed(false);
}

void BenchWindows::examWindow()
{
    FakeClock clock;
    RecordingPlayer player;
    WindowShelf shelf;
    QBENCHMARK
    {
        frmTamsel window(clock, player, shelf);
        window.show();
        window.grab();
    }
}

void BenchWindows::documentWindow_data()
{
    QTest::addColumn<int>("window"); // a pass-line band, or 0 for the read-me
    for (int band = 1; band <= 6; ++band)
        QTest::addRow("pass-line %d", band) << band;
    QTest::newRow("help") << 0;
}

void BenchWindows::documentWindow()
{
    QFETCH(int, window);
    const DocumentFormDesign& design =
        window > 0 ? passlinedesign::windows[window - 1] : helpdesign::window;
    QBENCHMARK
    {
        std::unique_ptr<QWidget> shown(buildDocumentForm(design));
        centreOnScreen(shown.get());
        shown->show();
        shown->grab();
    }
}

// A running countdown, ticked with the clock a minute on each time so that every tick redraws;
// started afresh before it runs out.
void BenchWindows::countdownTick()
{
    FakeClock clock;
    RecordingPlayer player;
    WindowShelf shelf;
    frmTamsel window(clock, player, shelf);
    window.show();
    auto* start = window.findChild<QPushButton*>(QStringLiteral("cmdスタート"));
    int ticks = 0;
    QBENCHMARK
    {
        if (ticks++ % 50 == 0) {
            clock.set("2026-12-08T10:15:40");
            start->click();
        }
        clock.now += 60;
        window.tmr時間_Timer();
        window.grab();
    }
}

QTEST_MAIN(BenchWindows)
#include "bench_windows.moc"
