#include "pictures/FigureDescriptions.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace tamsel {

QString figureDescription(const QString& resourcePath)
{
    static const QJsonObject descriptions = [] {
        QFile file(QStringLiteral(":/figure-descriptions.json"));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                              : QJsonObject();
    }();
    return descriptions.value(QFileInfo(resourcePath).fileName()).toString();
}

QStringList sentencesOf(const QString& description)
{
    QStringList sentences;
    qsizetype start = 0;
    for (qsizetype i = 0; i < description.size(); ++i) {
        if (description[i] != u'。')
            continue;
        while (i + 1 < description.size() && QStringView(u"」）』").contains(description[i + 1]))
            ++i;
        sentences << description.mid(start, i + 1 - start).trimmed();
        start = i + 1;
    }
    if (const QString rest = description.mid(start).trimmed(); !rest.isEmpty())
        sentences << rest;
    return sentences;
}

} // namespace tamsel
