// libFuzzer entry for the rich-text reader: any bytes must read without a crash, a sanitizer
// report or a hang, into a document no larger than its source.

#include "documents/RtfReader.h"

#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // No QGuiApplication: reading builds formats and text, and never asks for a font or a layout.
    QTextDocument document;
    tamsel::RtfReader::import(&document, QByteArrayView(data, static_cast<qsizetype>(size)));
    // Each byte gives at most one character, plus the paragraph every document has.
    if (static_cast<std::size_t>(document.characterCount()) > size + 1)
        std::abort();
    return 0;
}
