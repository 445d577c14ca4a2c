#pragma once
// The program's folder as a prefix for the files beside the executable.

#include <QString>

namespace tamsel {

// The folder ending in exactly one separator; a root folder already ends in one.
QString AppFolder(const QString& executableFolder);

} // namespace tamsel
