#pragma once
// The sound output of the running program. Qt Multimedia, its sound server connection and the
// device live in a module of their own, loaded on a thread of their own when an attempt first
// needs them: the program starts without them, and a sound server that is slow, absent or never
// answers can hold up only that thread, never the window's countdown or its marking.

#include "chime/BackgroundThread.h"
#include "sound/SoundOutput.h"

#include <QString>

#include <memory>

namespace tamsel {

class SoundModuleOutput final : public SoundOutput {
public:
    // modulePath names the sound module's file.
    explicit SoundModuleOutput(QString modulePath);
    ~SoundModuleOutput() override;

    void prepare() override;
    void play(const PcmSound& sound) override;
    void stop() override;

    // Unloads the module and ends its thread, waiting for it no longer than the thread allows:
    // false when the thread is stuck and was left behind.
    bool finish();

private:
    struct Module;
    // Has the module's output do something on the sound thread, once the module is loaded there.
    void send(void (*use)(SoundOutput&, const PcmSound&), PcmSound sound = {});

    QString modulePath_;
    std::shared_ptr<Module> module_; // touched on the sound thread only
    BackgroundThread thread_{QStringLiteral("sound")};
};

} // namespace tamsel
