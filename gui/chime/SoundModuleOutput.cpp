#include "chime/SoundModuleOutput.h"

#include <QPluginLoader>
#include <QThread>

#include <functional>
#include <utility>

namespace tamsel {
namespace {

// On the sound thread: the module's output, loaded at the first request.
class ModuleWorker final : public QObject {
public:
    explicit ModuleWorker(QString modulePath)
        : loader_(std::move(modulePath))
    {
    }
    ~ModuleWorker() override { delete module_; }

    SoundOutput* output()
    {
        if (!tried_) {
            tried_ = true;
            module_ = loader_.instance();
            output_ = qobject_cast<SoundOutput*>(module_);
        }
        return output_;
    }

private:
    QPluginLoader loader_;
    bool tried_ = false;
    QObject* module_ = nullptr;
    SoundOutput* output_ = nullptr;
};

// Has the module's output do something on the sound thread, once the module is loaded there.
void sendToOutput(QObject* worker, std::function<void(SoundOutput&)> use)
{
    auto* module = static_cast<ModuleWorker*>(worker);
    QMetaObject::invokeMethod(module, [module, use = std::move(use)] {
        if (SoundOutput* output = module->output())
            use(*output);
    });
}

// A sound thread that did not end in time, held until the process ends with it.
QThread* leftBehind = nullptr;

} // namespace

SoundModuleOutput::SoundModuleOutput(QString modulePath)
    : modulePath_(std::move(modulePath))
{
}

SoundModuleOutput::~SoundModuleOutput()
{
    if (!thread_)
        return;
    QMetaObject::invokeMethod(worker_, [worker = worker_] {
        delete worker;
        QThread::currentThread()->quit();
    });
    // A thread stuck in a sound server that never answers is left to end with the process.
    if (thread_->wait(QDeadlineTimer(shutdownMilliseconds)))
        delete thread_;
    else
        leftBehind = thread_;
}

void SoundModuleOutput::prepare()
{
    if (thread_)
        return;
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("sound"));
    auto* worker = new ModuleWorker(modulePath_);
    worker->moveToThread(thread_);
    worker_ = worker;
    thread_->start();
    sendToOutput(worker_, [](SoundOutput& output) { output.prepare(); });
}

void SoundModuleOutput::play(const PcmSound& sound)
{
    prepare();
    sendToOutput(worker_, [sound](SoundOutput& output) { output.play(sound); });
}

void SoundModuleOutput::stop()
{
    prepare();
    sendToOutput(worker_, [](SoundOutput& output) { output.stop(); });
}

} // namespace tamsel
