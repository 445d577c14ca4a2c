#include "threads/BackgroundThread.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <utility>
#include <vector>

namespace tamsel {

// The thread and its queue of work, which it runs until told to end.
class BackgroundThread::Worker final : public QThread {
public:
    void add(std::function<void()> work)
    {
        const QMutexLocker lock(&mutex_);
        queue_.push_back(std::move(work));
        arrived_.wakeOne();
    }

    void end()
    {
        const QMutexLocker lock(&mutex_);
        ending_ = true;
        arrived_.wakeOne();
    }

protected:
    void run() override
    {
        for (;;) {
            std::function<void()> work;
            {
                QMutexLocker lock(&mutex_);
                while (queue_.empty() && !ending_)
                    arrived_.wait(&mutex_);
                if (queue_.empty())
                    return;
                work = std::move(queue_.front());
                queue_.pop_front();
            }
            work();
        }
    }

private:
    QMutex mutex_;
    QWaitCondition arrived_;
    std::deque<std::function<void()>> queue_;
    bool ending_ = false;
};

namespace {

// Threads that did not end in time, held until the process ends with them: the list is never
// destroyed, so that they stay reachable to its last moment.
std::vector<QThread*>& leftBehind()
{
    static auto* threads = new std::vector<QThread*>;
    return *threads;
}

} // namespace

BackgroundThread::BackgroundThread(QString name)
    : name_(std::move(name))
{
}

BackgroundThread::~BackgroundThread()
{
    finish();
}

bool BackgroundThread::post(std::function<void()> work)
{
    if (finished_)
        return false;
    if (!worker_) {
        worker_ = new Worker;
        worker_->setObjectName(name_);
        worker_->start();
        // Where the system can make no more threads, QThread only warns.
        if (!worker_->isRunning()) {
            delete std::exchange(worker_, nullptr);
            finished_ = ended_ = true;
            return false;
        }
    }
    worker_->add(std::move(work));
    return true;
}

bool BackgroundThread::finish(QDeadlineTimer deadline)
{
    if (finished_)
        return ended_;
    finished_ = true;
    if (!worker_)
        return ended_ = true;
    worker_->end();
    if (!worker_->wait(deadline)) {
        leftBehind().push_back(std::exchange(worker_, nullptr));
        return ended_ = false;
    }
    delete std::exchange(worker_, nullptr);
    return ended_ = true;
}

void endWithoutWaiting(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace tamsel
