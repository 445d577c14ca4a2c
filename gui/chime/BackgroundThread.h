#pragma once
// A thread of its own for work that must never hold up the window: the work posted to it runs
// there in order. It owns the thread, not what the work touches. At the program's end it waits a
// bounded time; a thread still stuck after that (in a sound server that never answers, say) is
// left behind, and the program then ends without running its static destructors, which could
// wait on that thread forever.

#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <optional>

class QObject;
class QThread;

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
    QString name_;
    QThread* thread_ = nullptr;
    QObject* context_ = nullptr; // lives on thread_; the posted work runs in its name
    std::optional<bool> ended_;  // what finish() found, once it has run
};

// Ends the process at once with status, once its output is flushed: for a program whose
// background thread was left behind.
[[noreturn]] void endWithoutWaiting(int status);

} // namespace tamsel
