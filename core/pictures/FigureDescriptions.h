#pragma once
// What each figure of the booklet shows, in words, for a student who cannot see it: the text
// alternatives that the figures' generator writes beside the pictures from the data it draws.

#include <QString>
#include <QStringList>

namespace tamsel {

// The description of the figure at resourcePath (":/figure1.jpg"); empty for any other path.
QString figureDescription(const QString& resourcePath);

// A description's sentences, each ending with its 「。」 (and a closing bracket after it), so that
// a screen reader can read one at a time.
QStringList sentencesOf(const QString& description);

} // namespace tamsel
