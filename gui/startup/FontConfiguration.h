#pragma once
// Fontconfig reads its configuration and font caches the first time anything asks for a face,
// which takes about as long as Qt takes to connect to the display. Reading them on a thread of
// their own while Qt connects lets the two overlap. Once it is read, the installed faces are
// asked for once, and every window and document chooses among them.

#include "documents/FontSubstitutes.h"

#include <functional>
#include <memory>

namespace tamsel {

// Reads fontconfig's configuration on a thread of its own from its making, or on the waiting
// thread when no thread can be made. It owns that thread, which runs no event loop: so it can
// start before the QApplication exists, when a BackgroundThread could not.
class FontConfigurationReading final {
public:
    // Make it before the QApplication, so that the reading overlaps Qt's connecting.
    FontConfigurationReading();
    // Another reading in its place, for tests.
    explicit FontConfigurationReading(std::function<void()> read);
    ~FontConfigurationReading();
    FontConfigurationReading(const FontConfigurationReading&) = delete;
    FontConfigurationReading& operator=(const FontConfigurationReading&) = delete;

    // Returns once the configuration is read, reading it here when no thread could be made for
    // it. Call it once, before the first face is asked for, so that Qt finds the configuration
    // read instead of reading it a second time.
    void wait();

private:
    class Reader;
    std::unique_ptr<Reader> reader_;
};

// The faces installed on this system, read from Qt's font database at the first call. Needs a
// QGuiApplication.
const InstalledFaces& systemFaces();

} // namespace tamsel
