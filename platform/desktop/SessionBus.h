#pragma once
// The session bus the program talks to (for assistive technology). Where none is named, Qt's bus
// library would start dbus-launch and a bus daemon of its own, which outlive the program.

namespace tamsel {

// Call before the QApplication is made: without a named session bus, the user's bus in the
// runtime folder is taken if there is one, and otherwise no bus at all.
void nameTheSessionBus();

} // namespace tamsel
