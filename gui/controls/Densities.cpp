#include "controls/Densities.h"

#include <QFile>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cmath>
#include <utility>

namespace tamsel {

namespace {

#ifndef Q_OS_WIN
// Low enough to give way to the window's own thread and the display server, not so low that a
// busy desktop starves the decoding the first paint waits for.
constexpr int backgroundNiceness = 10;
#endif

} // namespace

DensityPicture::DensityPicture(QPixmap atDesignSize, QString twiceTheSizeFile)
    : atDesignSize_(std::move(atDesignSize))
    , twiceTheSizeFile_(std::move(twiceTheSizeFile))
{
}

DensityPicture::DensityPicture(const QString& path, std::launch when)
    : twiceTheSizeFile_(twiceTheSizePath(path))
{
    auto decode = [path, when] {
        // Decoding in the background yields the processor to the work the window waits for
        // before it paints: the display server's replies, reading the documents.
        if (when == std::launch::async)
#ifdef Q_OS_WIN
            SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#else
            setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), backgroundNiceness);
#endif
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
