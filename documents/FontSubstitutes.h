#pragma once
// The faces a text run asks Qt for, in order: the face the document names, then what this platform
// has in its place. The documents were written for Windows faces (ＭＳ 明朝, Century ...) that a
// Debian system lacks; the IPA faces keep the Japanese ones' metrics. Owns only that choice.

#include <QString>
#include <QStringList>

namespace tamsel {

enum class FontFamily { Nil, Roman, Swiss, Modern };

struct FontFace {
    QString name;
    FontFamily family = FontFamily::Nil;
    int charset = 0;
};

// Every list ends with both IPA faces: Japanese text in a run of a Latin face still needs a face
// that covers code page 932, and Qt takes the first listed face that has a character.
QStringList fontFamilies(const FontFace& face);

} // namespace tamsel
