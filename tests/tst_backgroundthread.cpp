// The program's background thread: work runs there in order, even before any application object
// exists (fontconfig is read before the QApplication is made), and where no thread can be made
// the work is refused, not lost silently, so that the caller can run it itself.

#include "threads/BackgroundThread.h"

#include <QMutex>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#if defined(Q_OS_LINUX) && !defined(__SANITIZE_ADDRESS__)
#define TAMSEL_CAN_LIMIT_ADDRESS_SPACE
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

namespace {

// The address space the process holds now, in bytes.
rlim_t addressSpace()
{
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    return pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
}

} // namespace
#endif

using namespace tamsel;

class TestBackgroundThread : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // First, before any thread has ended and left its stack for the next one to reuse.
    void refusesWorkWhenNoThreadCanBeMade();
    void runsWorkInOrderOnAThreadOfItsOwn();
};

void TestBackgroundThread::refusesWorkWhenNoThreadCanBeMade()
{
#ifndef TAMSEL_CAN_LIMIT_ADDRESS_SPACE
    QSKIP("the address space is limited on Linux alone, and AddressSanitizer's shadow memory "
          "leaves none to limit");
#else
    int runs = 0;
    rlimit was{};
    QCOMPARE(getrlimit(RLIMIT_AS, &was), 0);
    // Room for the thread object, none for a thread's stack.
    const rlimit tight{addressSpace() + (rlim_t{1} << 20), was.rlim_max};
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("^QThread::start: Thread creation error"));
    BackgroundThread thread(QStringLiteral("test"));
    QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
    const bool taken = thread.post([&] { ++runs; });
    QCOMPARE(setrlimit(RLIMIT_AS, &was), 0);
    QVERIFY(!taken);
    QVERIFY(!thread.post([&] { ++runs; }));
    QVERIFY(thread.finish());
    QCOMPARE(runs, 0);
#endif
}

void TestBackgroundThread::runsWorkInOrderOnAThreadOfItsOwn()
{
    QVERIFY(!QCoreApplication::instance());
    QMutex mutex;
    QList<int> order;
    QList<QThread*> ranOn;
    BackgroundThread thread(QStringLiteral("test"));
    for (int n = 1; n <= 3; ++n) {
        QVERIFY(thread.post([&, n] {
            const QMutexLocker lock(&mutex);
            order << n;
            ranOn << QThread::currentThread();
        }));
    }
    QVERIFY(thread.finish(QDeadlineTimer::Forever));
    QCOMPARE(order, QList<int>({1, 2, 3}));
    QVERIFY(ranOn[0] != QThread::currentThread());
    QCOMPARE(ranOn[2], ranOn[0]);
    QVERIFY(!thread.post([] {}));
}

QTEST_APPLESS_MAIN(TestBackgroundThread)
#include "tst_backgroundthread.moc"
