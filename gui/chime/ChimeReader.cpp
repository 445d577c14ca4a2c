#include "chime/ChimeReader.h"

#include <QObject>

#include <utility>

namespace tamsel {

void ThreadedChimeReader::look(const QString& path, std::optional<ChimeStamp> last,
                               QObject* context, Done done)
{
    thread_.post([path, last = std::move(last), context, done = std::move(done)] {
        QMetaObject::invokeMethod(context, [done, look = lookAtChime(path, last)] { done(look); });
    });
}

} // namespace tamsel
