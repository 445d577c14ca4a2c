#pragma once
// A look at the chime's file: only a regular, reasonably small PCM wave file is read, once, and
// exactly the bytes that were checked make the sound, so that a directory, a pipe, a terminal, a
// huge file or garbage under the chime's name, or one swapped in later, can neither block nor
// break the program. Looking again at the file already read costs a look at its name (an open
// without access, and a stat): nothing is read or decoded again. Safe on any thread.

#include "sound/WaveFormat.h"

#include <QString>

#include <optional>

namespace tamsel {

// What a file's name stood for when it was looked at.
struct ChimeStamp {
    QString path;
    bool regular = false;
    qint64 size = -1;
    qint64 modifiedMilliseconds = 0;
    bool operator==(const ChimeStamp&) const = default;
};

struct ChimeLook {
    ChimeStamp stamp;
    std::optional<PcmSound> sound; // nothing when the file holds no chime that can be played
};

inline constexpr qint64 largestChimeBytes = 16 * 1024 * 1024;

// The chime at path, or nothing when the file is still the one stamped last.
std::optional<ChimeLook> lookAtChime(const QString& path, const std::optional<ChimeStamp>& last);

} // namespace tamsel
