#pragma once
// What the application needs before its first window: the Japanese faces of the designs mapped
// to installed ones, the style with its keyboard habits, Japanese as its locale and its language
// whatever the session's, and the accessibility of the program's own controls.

namespace tamsel {

// Call once, after the QApplication exists and before any window is built.
void prepareApplication();

} // namespace tamsel
