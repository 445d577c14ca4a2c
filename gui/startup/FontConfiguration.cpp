#include "startup/FontConfiguration.h"

#include "threads/BackgroundThread.h"

#include <QFontDatabase>
#include <QHash>

#ifndef Q_OS_WIN
#include <fontconfig/fontconfig.h>
#endif

namespace tamsel {

void readFontConfigurationOn(BackgroundThread& thread)
{
#ifdef Q_OS_WIN
    // Windows keeps no font configuration for a program to read: nothing to overlap.
    Q_UNUSED(thread);
#else
    if (!thread.post([] { FcInit(); }))
        FcInit();
#endif
}

const InstalledFaces& systemFaces()
{
    static const InstalledFaces faces = [] {
        // Qt lists a face by its name in the session's language and knows its other names
        // (fontconfig's, or the English ones on Windows) as aliases, which hasFamily() takes.
        // It resolves the alias before it fills its database, though: filled first, the first
        // question is answered as every later one is.
        QFontDatabase::families();
        // A face that is not installed costs hasFamily() a substitution in fontconfig: each
        // face is asked for once.
        return InstalledFaces([answers = QHash<QString, bool>()](const QString& face) mutable {
            const auto known = answers.constFind(face);
            if (known != answers.constEnd())
                return *known;
            return *answers.insert(face, QFontDatabase::hasFamily(face));
        });
    }();
    return faces;
}

} // namespace tamsel
