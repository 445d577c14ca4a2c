#include "system/AppFolder.h"

namespace tamsel {

QString AppFolder(const QString& executableFolder)
{
    // Qt writes paths with "/" on every platform, so a Windows drive root reads "D:/".
    if (executableFolder.endsWith(u'/'))
        return executableFolder;
    return executableFolder + u'/';
}

} // namespace tamsel
