#include "chime/BackgroundThread.h"

#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace tamsel {
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
    if (ended_)
        return false;
    if (!thread_) {
        thread_ = new QThread;
        thread_->setObjectName(name_);
        context_ = new QObject;
        context_->moveToThread(thread_);
        thread_->start();
        // Where the system can make no more threads, QThread only warns.
        if (!thread_->isRunning()) {
            delete context_;
            delete std::exchange(thread_, nullptr);
            ended_ = true;
            return false;
        }
    }
    QMetaObject::invokeMethod(context_, std::move(work));
    return true;
}

bool BackgroundThread::finish(QDeadlineTimer deadline)
{
    if (ended_)
        return *ended_;
    if (!thread_)
        return *(ended_ = true);
    QMetaObject::invokeMethod(context_, [context = context_] {
        delete context;
        QThread::currentThread()->quit();
    });
    if (!thread_->wait(deadline)) {
        leftBehind().push_back(std::exchange(thread_, nullptr));
        return *(ended_ = false);
    }
    delete thread_;
    thread_ = nullptr;
    return *(ended_ = true);
}

void endWithoutWaiting(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace tamsel
