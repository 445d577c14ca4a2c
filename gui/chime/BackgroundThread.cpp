#include "chime/BackgroundThread.h"

#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace tamsel {

BackgroundThread::BackgroundThread(QString name)
    : name_(std::move(name))
{
}

BackgroundThread::~BackgroundThread()
{
    finish();
}

void BackgroundThread::post(std::function<void()> work)
{
    if (finished_)
        return;
    if (!thread_) {
        thread_ = new QThread;
        thread_->setObjectName(name_);
        context_ = new QObject;
        context_->moveToThread(thread_);
        thread_->start();
    }
    QMetaObject::invokeMethod(context_, std::move(work));
}

bool BackgroundThread::finish(int milliseconds)
{
    if (finished_)
        return !thread_ || thread_->isFinished();
    finished_ = true;
    if (!thread_)
        return true;
    QMetaObject::invokeMethod(context_, [context = context_] {
        delete context;
        QThread::currentThread()->quit();
    });
    if (!thread_->wait(QDeadlineTimer(milliseconds)))
        return false; // left to end with the process
    delete thread_;
    thread_ = nullptr;
    return true;
}

void endWithoutWaiting(int status)
{
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace tamsel
