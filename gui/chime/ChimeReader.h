#pragma once
// Where the chime's file is looked at and read: on a thread of its own in the program, so that
// no file under the chime's name, however large, slow or strange, freezes the window; at once in
// tests.

#include "chime/BackgroundThread.h"
#include "chime/ChimeFile.h"

#include <functional>

class QObject;

namespace tamsel {

class ChimeReader {
public:
    using Done = std::function<void(std::optional<ChimeLook>)>;
    virtual ~ChimeReader() = default;
    // Looks at the chime at path (see lookAtChime) and hands the result to done on the calling
    // thread, in the name of context.
    virtual void look(const QString& path, std::optional<ChimeStamp> last, QObject* context,
                      Done done) = 0;
};

class ThreadedChimeReader final : public ChimeReader {
public:
    void look(const QString& path, std::optional<ChimeStamp> last, QObject* context,
              Done done) override;
    // Ends the reading thread: false when it was stuck and left behind. Call it before the
    // contexts of the looks go.
    bool finish() { return thread_.finish(); }

private:
    BackgroundThread thread_{QStringLiteral("chime")};
};

} // namespace tamsel
