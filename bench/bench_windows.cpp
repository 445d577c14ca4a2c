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
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
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
    void longestStepAfterShowing_data();
    void longestStepAfterShowing();
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
    // A tick repaints the time display alone.
    auto* display = window.findChild<QLabel*>(QStringLiteral("lbl秒"));
    int ticks = 0;
    QBENCHMARK
    {
        if (ticks++ % 50 == 0) {
            clock.set("2026-12-08T10:15:40");
            start->click();
        }
        clock.now += 60;
        window.tmr時間_Timer();
        display->grab();
    }
}

void BenchWindows::longestStepAfterShowing_data()
{
    QTest::addColumn<int>("window"); // a pass-line band, 0 for the read-me, -1 for the exam window
    QTest::newRow("exam window") << -1;
    QTest::newRow("pass-line 1") << 1;
    QTest::newRow("help") << 0;
}

// What the text boxes' layout in the background costs the student: the longest time the event
// loop is held up by one step of it in the second after a window is shown. Input waits that long.
void BenchWindows::longestStepAfterShowing()
{
    QFETCH(int, window);
    FakeClock clock;
    RecordingPlayer player;
    WindowShelf shelf;
    std::unique_ptr<QWidget> shown;
    if (window < 0)
        shown = std::make_unique<frmTamsel>(clock, player, shelf);
    else
        shown.reset(buildDocumentForm(window > 0 ? passlinedesign::windows[window - 1]
                                                 : helpdesign::window));
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));

    QElapsedTimer sinceLast;
    qint64 longest = 0;
    QTimer everyTurn;
    everyTurn.setInterval(0);
    connect(&everyTurn, &QTimer::timeout, this, [&] {
        longest = std::max(longest, sinceLast.nsecsElapsed());
        sinceLast.restart();
    });
    sinceLast.start();
    everyTurn.start();
    QTest::qWait(1000);
    qInfo("longest step of the event loop: %.1f ms", double(longest) / 1e6);
}

QTEST_MAIN(BenchWindows)
#include "bench_windows.moc"
