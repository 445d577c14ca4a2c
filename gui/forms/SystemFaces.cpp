#include "forms/SystemFaces.h"

#include <QFontDatabase>
#include <QHash>

namespace tamsel {

const InstalledFaces& systemFaces()
{
    static const InstalledFaces faces = [] {
        // Qt lists a face by its name in the session's language and knows its other names
        // (fontconfig's, or the English ones on Windows) as aliases, which hasFamily() takes.
        // It resolves the alias before it fills its database, though: filled first, the first
        // question is answered as every later one is.
        QFontDatabase::families();
        // hasFamily() costs a substitution in fontconfig, for a face that is listed too: a face
        // is looked for in the list first, and each face is asked for once.
        return InstalledFaces([answers = QHash<QString, bool>()](const QString& face) mutable {
            const auto known = answers.constFind(face);
            if (known != answers.constEnd())
                return *known;
            return *answers.insert(face,
                                   QFontDatabase::families().contains(face, Qt::CaseInsensitive) ||
                                       QFontDatabase::hasFamily(face));
        });
    }();
    return faces;
}

} // namespace tamsel
