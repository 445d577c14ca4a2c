#pragma once
// The program's one way to run work off the window's thread: a thread of its own that runs the
// work posted to it in order. It runs no event loop, so that it serves before the QApplication
// exists too; work that must report back to the window posts it there itself. It owns the
// thread, not what the work touches. At its end it waits a bounded time; a thread still stuck
// after that (in a sound server that never answers, say) is left behind, and the program then
// ends without running its static destructors, which could wait on that thread forever.

#include <QDeadlineTimer>
#include <QString>

#include <functional>

namespace tamsel {

class BackgroundThread final {
public:
    explicit BackgroundThread(QString name);
    ~BackgroundThread();
    BackgroundThread(const BackgroundThread&) = delete;
    BackgroundThread& operator=(const BackgroundThread&) = delete;

    // Runs work on the thread after what was posted before; the thread starts at the first post.
    // False when the work will not run: the thread has finished, or no thread could be made.
    bool post(std::function<void()> work);
    // How long the end of the thread is waited for, unless told otherwise.
    static constexpr int endMilliseconds = 500;

    // Lets the posted work end and the thread with it, waiting until deadline at most: true when
    // it ended (or never started). The thread takes no work after this.
    bool finish(QDeadlineTimer deadline = QDeadlineTimer(endMilliseconds));

private:
    class Worker;
    QString name_;
    Worker* worker_ = nullptr; // deleted once ended; left behind with its thread when stuck
    bool finished_ = false;
    bool ended_ = false; // what finish() found
};

// Ends the process at once with status, once its output is flushed: for a program whose
// background thread was left behind.
[[noreturn]] void endWithoutWaiting(int status);

} // namespace tamsel
