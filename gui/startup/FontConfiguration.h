#pragma once
// Fontconfig reads its configuration and font caches the first time anything asks for a face,
// which takes about as long as Qt takes to connect to the display. Reading them on a thread of
// their own while Qt connects lets the two overlap.

#include <future>

namespace tamsel {

// Call before the QApplication is made; wait() on the result before the first face is asked
// for, so that Qt finds the configuration read instead of reading it a second time.
[[nodiscard]] std::future<void> readFontConfigurationAhead();

} // namespace tamsel
