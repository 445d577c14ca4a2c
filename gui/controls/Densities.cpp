#include "controls/Densities.h"

#include <QFile>

#include <cmath>
#include <utility>

namespace tamsel {

DensityPicture::DensityPicture(QPixmap atDesignSize, QString twiceTheSizeFile)
    : atDesignSize_(std::move(atDesignSize))
    , twiceTheSizeFile_(std::move(twiceTheSizeFile))
{
}

DensityPicture::DensityPicture(const QString& path, std::launch when)
    : twiceTheSizeFile_(twiceTheSizePath(path))
{
    auto decode = [path] {
        // Converted here to the format a pixmap keeps, so that the window's thread only wraps it.
        const QImage image(path);
        return image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                             : QImage::Format_RGB32);
    };
    decoding_ = std::async(when, std::move(decode)).share();
}

DensityPicture DensityPicture::decodeWhenNeeded(const QString& path)
{
    return {path, std::launch::deferred};
}

DensityPicture DensityPicture::decodeInBackground(const QString& path)
{
    return {path, std::launch::async};
}

const QPixmap& DensityPicture::atDesignSize() const
{
    if (decoding_.valid()) {
        atDesignSize_ = QPixmap::fromImage(decoding_.get());
        decoding_ = {};
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
