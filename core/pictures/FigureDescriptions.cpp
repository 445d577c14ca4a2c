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

} // namespace tamsel
