#include "chime/SoundModuleOutput.h"

#include <QPluginLoader>

#include <cstdio>
#include <optional>
#include <utility>

namespace tamsel {

// The module, loaded, used and unloaded on the sound thread alone.
struct SoundModuleOutput::Module {
    explicit Module(QString modulePath)
        : path(std::move(modulePath))
    {
    }
    ~Module() { delete object; }

    SoundOutput* output()
    {
        if (!loader) {
            loader.emplace(path);
            object = loader->instance();
            result = qobject_cast<SoundOutput*>(object);
            if (!result)
                sayWhyNoSound();
        }
        return result;
    }

    // Said once, since no chime will sound in this run and a user would wonder why.
    void sayWhyNoSound() const
    {
        const QString reason =
            object ? QStringLiteral("it is no sound output") : loader->errorString();
        std::fprintf(stderr,
                     "tamsel: 音を鳴らせないため、チャイムは鳴りません。\n"
                     "tamsel: no chime will sound: cannot load %s: %s\n",
                     qUtf8Printable(path), qUtf8Printable(reason));
    }

    const QString path;
    std::optional<QPluginLoader> loader;
    QObject* object = nullptr;
    SoundOutput* result = nullptr;
};

SoundModuleOutput::SoundModuleOutput(QString modulePath)
    : modulePath_(std::move(modulePath))
{
}

SoundModuleOutput::~SoundModuleOutput()
{
    finish();
}

bool SoundModuleOutput::finish()
{
    // The module goes on the thread that loaded it, before the thread ends.
    if (module_)
        thread_.post([module = std::exchange(module_, nullptr)]() mutable { module.reset(); });
    return thread_.finish();
}

void SoundModuleOutput::send(void (*use)(SoundOutput&, const PcmSound&), PcmSound sound)
{
    if (!module_)
        module_ = std::make_shared<Module>(modulePath_);
    thread_.post([module = module_, use, sound = std::move(sound)] {
        if (SoundOutput* output = module->output())
            use(*output, sound);
    });
}

void SoundModuleOutput::prepare()
{
    send([](SoundOutput& output, const PcmSound&) { output.prepare(); });
}

void SoundModuleOutput::play(const PcmSound& sound)
{
    send([](SoundOutput& output, const PcmSound& chime) { output.play(chime); }, sound);
}

void SoundModuleOutput::stop()
{
    send([](SoundOutput& output, const PcmSound&) { output.stop(); });
}

} // namespace tamsel
