#pragma once
// Reads the chime's file: only a regular, reasonably small PCM wave file is read, and the bytes
// read are those of the very file that was checked, so that a directory, a pipe, a device, a huge
// file or garbage under the chime's name, or one swapped in between, can neither block nor break
// the program, and no device is ever opened. Safe on any thread.

#include "sound/WaveFormat.h"

#include <QString>

#include <optional>

namespace tamsel {

struct ChimeFile {
    std::optional<PcmSound> sound;
    QString whyNoSound; // what a student is told when there is no sound
};

inline constexpr qint64 largestChimeBytes = 16 * 1024 * 1024;

ChimeFile readChimeFile(const QString& path);

} // namespace tamsel
