#include "controls/Densities.h"

#include <QFile>
#include <QImage>

#include <cmath>
#include <utility>

namespace tamsel {

DensityPicture::DensityPicture(QPixmap atDesignSize, QString twiceTheSizeFile)
    : atDesignSize_(std::move(atDesignSize))
    , twiceTheSizeFile_(std::move(twiceTheSizeFile))
{
}

DensityPicture DensityPicture::decodeWhenNeeded(const QString& path)
{
    DensityPicture picture;
    picture.designFile_ = path;
    picture.twiceTheSizeFile_ = twiceTheSizePath(path);
    return picture;
}

const QPixmap& DensityPicture::atDesignSize() const
{
    if (!designFile_.isEmpty()) {
        atDesignSize_ = QPixmap::fromImage(QImage(designFile_));
        designFile_.clear();
    }
    return atDesignSize_;
}

QPixmap DensityPicture::forDensity(qreal density) const
{
    if (density <= 1)
        return atDesignSize();
    if (twiceTheSize_.isNull() && !twiceTheSizeFile_.isEmpty()) {
        if (QFile::exists(twiceTheSizeFile_))
            twiceTheSize_.load(twiceTheSizeFile_);
        twiceTheSizeFile_.clear();
    }
    if (twiceTheSize_.isNull())
        return atDesignSize();
    QPixmap shown = twiceTheSize_;
    if (density != 2) {
        const QSize pixels(static_cast<int>(std::lround(size().width() * density)),
                           static_cast<int>(std::lround(size().height() * density)));
        shown = twiceTheSize_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    shown.setDevicePixelRatio(density);
    return shown;
}

QString twiceTheSizePath(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    return (dot < 0 ? path : path.left(dot)) + QStringLiteral("@2x.png");
}

} // namespace tamsel
