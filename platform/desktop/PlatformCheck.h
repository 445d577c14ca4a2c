#pragma once
// What the program says when the desktop lacks what it needs: a display to show its window on,
// or a Japanese face to write its texts in. A desktop user sees no terminal, so the words are
// plain and say what to do; the program's own exit status tells scripts what went wrong.

#include "documents/FontSubstitutes.h"

#include <QByteArray>

namespace tamsel {

// The platforms for Qt to try, in order, unless the user has chosen with QT_QPA_PLATFORM: the
// windows are placed by position, which only X allows, so an X display (XWayland on a Wayland
// desktop) comes first wherever one is set; Wayland alone only where there is none. On Windows,
// its own platform with FreeType's text. Empty means Qt's own choice.
QByteArray preferredPlatforms();

// The exit status when no display can be reached.
inline constexpr int noDisplayStatus = 3;

// Call before the QApplication is made: should Qt find no display to connect to, the program
// says so and ends with noDisplayStatus instead of aborting. Ends with stopWatchingPlatform().
void watchPlatformStart();
void stopWatchingPlatform();

// Call once the QApplication exists: says on stderr when no face writes Japanese, neither one
// of installed nor any other the font database knows.
// The program runs on, with whatever faces fontconfig falls back to.
void warnIfNoJapaneseFace(const InstalledFaces& installed);

} // namespace tamsel
