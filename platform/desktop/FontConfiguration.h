#pragma once
// Fontconfig reads its configuration and font caches the first time anything asks for a face,
// which takes about as long as Qt takes to connect to the display. Reading them on a thread of
// their own while Qt connects lets the two overlap.

namespace tamsel {

class BackgroundThread;

// Has fontconfig read its configuration on thread, or here when no thread can be made. Call it
// before the QApplication is made, so that the reading overlaps Qt's connecting, and let thread
// finish before the first face is asked for, so that Qt finds the configuration read instead of
// reading it a second time. Windows keeps no font configuration: there it does nothing.
void readFontConfigurationOn(BackgroundThread& thread);

} // namespace tamsel
