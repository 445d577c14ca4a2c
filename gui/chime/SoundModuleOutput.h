#pragma once
// The sound output of the running program. Qt Multimedia, its sound server connection and the
// device live in a module of their own, loaded on a thread of their own when an attempt first
// needs them: the program starts without them, and a sound server that is slow, absent or never
// answers can hold up only that thread, never the window's countdown or its marking.

#include "sound/SoundOutput.h"

#include <QString>

class QObject;
class QThread;

namespace tamsel {

class SoundModuleOutput final : public SoundOutput {
public:
    // modulePath names the sound module's file.
    explicit SoundModuleOutput(QString modulePath);
    ~SoundModuleOutput() override;
    SoundModuleOutput(const SoundModuleOutput&) = delete;
    SoundModuleOutput& operator=(const SoundModuleOutput&) = delete;

    void prepare() override;
    void play(const PcmSound& sound) override;
    void stop() override;

    // How long the program's end waits for the sound thread before leaving it behind.
    static constexpr int shutdownMilliseconds = 500;

private:
    QString modulePath_;
    QThread* thread_ = nullptr;
    QObject* worker_ = nullptr; // lives on thread_, holds the module's output
};

} // namespace tamsel
