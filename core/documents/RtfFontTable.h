#pragma once
// The font table of one document: for each font number, the faces a run in that font asks for.
// It collects the entries as the reader hands it their parts (number, family, character set, name
// bytes up to the ';'), and knows the default font. Choosing substitutes is FontSubstitutes' job;
// it is asked for a font when a run first uses it, since asking whether a face is installed costs
// a font substitution, and tables name fonts that no run uses.

#include "documents/FontSubstitutes.h"

#include <QByteArray>
#include <QStringList>

#include <map>
#include <optional>

namespace tamsel {

class RtfFontTable final {
public:
    explicit RtfFontTable(InstalledFaces faces);

    // Real tables hold eight fonts and names of a few dozen bytes; these caps only stop a broken
    // document from growing the table.
    static constexpr int maxFonts = 256;
    static constexpr int maxNameBytes = 256;

    void beginFont(int number);
    void setFamily(FontFamily family) { pending_.family = family; }
    void setCharset(int charset) { pending_.charset = charset; }
    void appendNameByte(char byte);
    // The ';' that closes an entry: the face is decoded and the entry takes effect.
    void endFont();

    void setDefaultFont(int number) { defaultFont_ = number; }
    int defaultFont() const { return defaultFont_; }

    // A number the table lacks falls back to the default font, and failing that to the
    // substitutes alone.
    const QStringList& families(int number) const;

private:
    struct Entry {
        FontFace face;
        mutable std::optional<QStringList> families; // chosen at the first run in the font
    };

    struct PendingFont {
        std::optional<int> number;
        FontFamily family = FontFamily::Nil;
        int charset = 0;
        QByteArray name;
    };

    const QStringList& familiesOf(const FontFace& face, std::optional<QStringList>& chosen) const;

    std::map<int, Entry> entries_;
    PendingFont pending_;
    int defaultFont_ = 0;
    InstalledFaces faces_;
    mutable std::optional<QStringList> fallback_;
};

} // namespace tamsel
