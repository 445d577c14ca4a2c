#include "startup/FontConfiguration.h"

#include <QFontDatabase>
#include <QThread>

#include <fontconfig/fontconfig.h>

#include <utility>

namespace tamsel {

class FontConfigurationReading::Reader final : public QThread {
public:
    explicit Reader(std::function<void()> read)
        : read_(std::move(read))
    {
        setObjectName(QStringLiteral("fontconfig"));
    }

    void readHere() { read_(); }

protected:
    void run() override { read_(); }

private:
    std::function<void()> read_;
};

FontConfigurationReading::FontConfigurationReading()
    : FontConfigurationReading([] { FcInit(); })
{
}

FontConfigurationReading::FontConfigurationReading(std::function<void()> read)
    : reader_(std::make_unique<Reader>(std::move(read)))
{
    reader_->start();
}

FontConfigurationReading::~FontConfigurationReading()
{
    reader_->wait();
}

void FontConfigurationReading::wait()
{
    reader_->wait();
    // A thread that could not be made never started, and so never finished.
    if (!reader_->isFinished())
        reader_->readHere();
}

const InstalledFaces& systemFaces()
{
    static const InstalledFaces faces(QFontDatabase::families());
    return faces;
}

} // namespace tamsel
