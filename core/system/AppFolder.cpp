#include "system/AppFolder.h"

#include <QCoreApplication>

namespace tamsel {

QString withFolderSeparator(const QString& folder)
{
    // Qt writes paths with "/" on every platform, so a Windows drive root reads "D:/".
    if (folder.endsWith(u'/'))
        return folder;
    return folder + u'/';
}

QString programFolder()
{
    return withFolderSeparator(QCoreApplication::applicationDirPath());
}

} // namespace tamsel
