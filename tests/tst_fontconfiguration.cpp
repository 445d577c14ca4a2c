// Fontconfig's configuration is read on a thread of its own while Qt connects to the display,
// and on the waiting thread where no thread can be made, rather than not at all.

#include "startup/FontConfiguration.h"

#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

using namespace tamsel;

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

class TestFontConfiguration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // First, before any thread has ended and left its stack for the next one to reuse.
    void readsHereWhenNoThreadCanBeMade();
    void readsOnAThreadOfItsOwn();
};

void TestFontConfiguration::readsHereWhenNoThreadCanBeMade()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer's shadow memory leaves no address space to limit");
#else
    QThread* readOn = nullptr;
    int reads = 0;
    rlimit was{};
    QCOMPARE(getrlimit(RLIMIT_AS, &was), 0);
    // Room for the reading's own objects, none for a thread's stack.
    const rlimit tight{addressSpace() + (rlim_t{1} << 20), was.rlim_max};
    QTest::ignoreMessage(QtCriticalMsg,
                         QRegularExpression("^QThread::start: Thread creation error"));
    QCOMPARE(setrlimit(RLIMIT_AS, &tight), 0);
    FontConfigurationReading reading([&] {
        readOn = QThread::currentThread();
        ++reads;
    });
    QCOMPARE(setrlimit(RLIMIT_AS, &was), 0);
    reading.wait();
    QCOMPARE(reads, 1);
    QCOMPARE(readOn, QThread::currentThread());
#endif
}

void TestFontConfiguration::readsOnAThreadOfItsOwn()
{
    QThread* readOn = nullptr;
    int reads = 0;
    FontConfigurationReading reading([&] {
        readOn = QThread::currentThread();
        ++reads;
    });
    reading.wait();
    QCOMPARE(reads, 1);
    QVERIFY(readOn);
    QVERIFY(readOn != QThread::currentThread());
}

QTEST_GUILESS_MAIN(TestFontConfiguration)
#include "tst_fontconfiguration.moc"
