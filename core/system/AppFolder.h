#pragma once
// The program's folder as a prefix for the files beside the executable.

#include <QString>

namespace tamsel {

// The folder ending in exactly one separator; a root folder already ends in one.
QString withFolderSeparator(const QString& folder);

// The folder of the running program's executable, ending in a separator.
QString programFolder();

} // namespace tamsel
