#pragma once
// The installed faces, asked for once: every window and document chooses among them.

#include "documents/FontSubstitutes.h"

namespace tamsel {

// The faces installed on this system, found by any of their names in Qt's font database. Needs a
// QGuiApplication.
const InstalledFaces& systemFaces();

} // namespace tamsel
