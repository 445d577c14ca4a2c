// Whole attempts on the exam window: Start, the countdown moving with a fake clock, the chime's
// commands at time-up, and Score ending the attempt.
#include "ExamWindowFixture.h"
#include "controls/TabbedDialog.h"
#include "marking/AnswerKey.h"

#include <QCheckBox>

using namespace tamsel;

class TestAttempt final : public QObject, ExamWindowFixture {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { prepare(); }
    void init() { QVERIFY(open()); }
    void cleanup() { close(); }

    void startBeginsTheHour();
    void timeUpWritesZeroOnceAndChimesOnce();
    void playerCommandsOnOrdinaryAndTimeUpTicks();
    void scoreBeforeTimeUpStopsWithoutChime();
    void startAfterMarkingClearsMarksButKeepsTicks();

private:
    // One tick of the running timer at the given clock time.
    void tickAt(qint64 secondsSinceEpoch);
    // Ticks once a second from now up to and including the given time, while the timer runs;
    // returns every text the time display showed after a tick that changed it.
    QStringList runUntil(qint64 until);
    int markCount() const;
};

void TestAttempt::tickAt(qint64 secondsSinceEpoch)
{
    clock.now = secondsSinceEpoch;
    QVERIFY(timer()->isActive());
    window->tmr時間_Timer();
}

QStringList TestAttempt::runUntil(qint64 until)
{
    QStringList shown;
    while (timer()->isActive() && clock.now < until) {
        const QString before = label("lbl秒")->text();
        tickAt(clock.now + 1);
        if (label("lbl秒")->text() != before)
            shown << label("lbl秒")->text();
    }
    return shown;
}

int TestAttempt::markCount() const
{
    int shown = 0;
    for (QLabel* mark : window->findChildren<QLabel*>(QStringLiteral("pctマル")))
        shown += mark->isHidden() ? 0 : 1;
    return shown;
}

void TestAttempt::startBeginsTheHour()
{
    press("cmdスタート");
    QVERIFY(timer()->isActive());
    QCOMPARE(timer()->interval(), 1000);
    QCOMPARE(label("lbl秒")->text(), QStringLiteral("1:00"));
    QVERIFY(!button("cmdスタート")->isEnabled());
    QVERIFY(score()->text().isEmpty());
    QCOMPARE(markCount(), 0);
    // A chime still waiting from an earlier attempt is dropped; the file is first opened by a
    // tick.
    QCOMPARE(player.log, QStringList{QStringLiteral("DropWaiting")});
}

void TestAttempt::timeUpWritesZeroOnceAndChimesOnce()
{
    press("cmdスタート");
    const QStringList shown =
        runUntil(QDateTime::fromString(QStringLiteral("2026-12-08T12:00:00"), Qt::ISODate)
                     .toSecsSinceEpoch());
    QCOMPARE(shown.size(), 60);
    QCOMPARE(shown.first(), QStringLiteral("0:59"));
    QCOMPARE(shown.count(QStringLiteral("0:00")), 1);
    QCOMPARE(shown.last(), QStringLiteral("0:00"));
    // The timer stopped on the tick that wrote "0:00", at 11:15:00.
    QVERIFY(!timer()->isActive());
    QCOMPARE(QDateTime::fromSecsSinceEpoch(clock.now).toString(Qt::ISODate),
             QStringLiteral("2026-12-08T11:15:00"));
    QCOMPARE(player.log.count(QStringLiteral("Play")), 1);
    QCOMPARE(label("lbl秒")->text(), QStringLiteral("0:00"));
    QVERIFY(!button("cmdスタート")->isEnabled()); // only Score enables Start again
    // Score after time-up drops the chime if it has not begun by then.
    press("cmd得点");
    QCOMPARE(player.log.last(), QStringLiteral("DropWaiting"));
}

void TestAttempt::playerCommandsOnOrdinaryAndTimeUpTicks()
{
    press("cmdスタート");
    tickAt(clock.now + 1);
    const QString file = QStringLiteral("file:") + QCoreApplication::applicationDirPath() +
                         QStringLiteral("/Zikan.wav");
    QCOMPARE(player.log,
             (QStringList{QStringLiteral("DropWaiting"), file, QStringLiteral("Open")}));

    bool timerRanAtPrev = true;
    player.onOperation = [&](const QString& operation) {
        if (operation == QStringLiteral("Prev"))
            timerRanAtPrev = timer()->isActive();
    };
    runUntil(clock.now + 59 * 60);
    QVERIFY(timer()->isActive());
    player.log.clear();
    runUntil(clock.now + 120);
    QVERIFY(!timer()->isActive());
    QCOMPARE(player.log.mid(player.log.size() - 4),
             (QStringList{file, QStringLiteral("Open"), QStringLiteral("Prev"),
                          QStringLiteral("Play")}));
    QVERIFY(!timerRanAtPrev);
}

void TestAttempt::scoreBeforeTimeUpStopsWithoutChime()
{
    press("cmdスタート");
    runUntil(clock.now + 30 * 60);
    press("cmd得点");
    QVERIFY(!timer()->isActive());
    QVERIFY(label("lbl秒")->text().isEmpty());
    QVERIFY(button("cmdスタート")->isEnabled());
    QCOMPARE(score()->text(), QStringLiteral("0"));
    QVERIFY(!player.log.contains(QStringLiteral("Prev")));
    QVERIFY(!player.log.contains(QStringLiteral("Play")));
}

void TestAttempt::startAfterMarkingClearsMarksButKeepsTicks()
{
    auto* sheet = window->findChild<TabbedDialog*>(QStringLiteral("SSTab1"));
    for (int n = 1; n <= 3; ++n) {
        sheet->setCurrentIndex(n - 1);
        rightBox(n)->click();
    }
    press("cmd得点");
    QCOMPARE(score()->text(), QStringLiteral("10"));
    QCOMPARE(markCount(), 3);

    press("cmdスタート");
    QCOMPARE(markCount(), 0);
    QVERIFY(score()->text().isEmpty());
    QCOMPARE(score()->width(), 12);
    int ticked = 0;
    for (QCheckBox* box : window->findChildren<QCheckBox*>())
        ticked += box->isChecked() ? 1 : 0;
    QCOMPARE(ticked, 3);

    // Start stays unavailable through the attempt and its time-up, until Score.
    runUntil(clock.now + 2 * 60 * 60);
    QVERIFY(!timer()->isActive());
    QVERIFY(!button("cmdスタート")->isEnabled());
    press("cmdスタート");
    QCOMPARE(label("lbl秒")->text(), QStringLiteral("0:00"));
    press("cmd得点");
    QVERIFY(button("cmdスタート")->isEnabled());
    QCOMPARE(score()->text(), QStringLiteral("10"));
    QCOMPARE(markCount(), 3);
}

QTEST_MAIN(TestAttempt)
#include "tst_attempt.moc"
