#pragma once
// The program's pictures come as designed, for screens at 100 %, and drawn once more at twice the
// size for high-density screens; the larger drawing lies beside the design's file as
// "<name>@2x.png". A screen at 100 % gets the design's picture as it is, any denser screen the
// larger drawing, brought down to the screen's pixels where the scale is under 200 %: never the
// design's picture blown up. (Qt's icons pick the nearest scale, which is the design's picture
// up to 150 %.)

#include <QPixmap>
#include <QSize>
#include <QString>

namespace tamsel {

class DensityPicture final {
public:
    DensityPicture() = default;
    // The drawing at twice the size is read from its file when a denser screen first asks for
    // it, so that a screen at 100 % never decodes it. Without that file denser screens get the
    // design's picture scaled by Qt.
    DensityPicture(QPixmap atDesignSize, QString twiceTheSizeFile);
    // The picture at path (a resource), with its drawing at twice the size where there is one,
    // decoded when it is first needed: a figure on a page that is never opened is never decoded.
    static DensityPicture decodeWhenNeeded(const QString& path);

    bool isNull() const { return atDesignSize().isNull(); }
    // In the window's pixels.
    QSize size() const { return atDesignSize().size(); }
    // The picture for a screen of that density, covering size() in the window's pixels.
    QPixmap forDensity(qreal density) const;

private:
    const QPixmap& atDesignSize() const;

    mutable QString designFile_;       // until the picture is first needed...
    mutable QPixmap atDesignSize_;     // ...and decoded here
    mutable QString twiceTheSizeFile_; // until it is read...
    mutable QPixmap twiceTheSize_;     // ...at the first call for a denser screen
};

// Where the drawing at twice the size of the picture at path lies.
QString twiceTheSizePath(const QString& path);

} // namespace tamsel
