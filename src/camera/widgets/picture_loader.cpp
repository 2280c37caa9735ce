#include "camera/widgets/picture_loader.h"

#include "imaging/file_bytes.h"
#include "imaging/jpeg_decoder.h"
#include "imaging/resample.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace shutterhand {

QSize FitIntoFrame(QSize picture, QSize frame)
{
    if (picture.isEmpty() || frame.isEmpty())
        return {};
    const double scale = std::min(static_cast<double>(frame.width()) / picture.width(),
                                  static_cast<double>(frame.height()) / picture.height());
    return {std::clamp(static_cast<int>(std::lround(picture.width() * scale)), 1, frame.width()),
            std::clamp(static_cast<int>(std::lround(picture.height() * scale)), 1, frame.height())};
}

QImage LoadPictureForFrame(const QString& file, QSize frame)
{
    const auto bytes = imaging::ReadFileBytes(QFile::encodeName(file).toStdString());
    if (bytes) {
        const auto header = imaging::ReadJpegHeader(bytes.value());
        if (header) {
            const QSize shown = FitIntoFrame({header.value().width, header.value().height}, frame);
            imaging::DecodeOptions options;
            options.minWidth = shown.width();
            options.minHeight = shown.height();
            auto decoded = imaging::DecodeJpeg(bytes.value(), options);
            if (!decoded)
                return {};
            imaging::RgbImage image = std::move(decoded).value();
            if (image.width != shown.width() || image.height != shown.height())
                image = imaging::Resample(image, shown.width(), shown.height());
            const QImage view(image.pixels.data(), image.width, image.height, static_cast<qsizetype>(image.stride()),
                              QImage::Format_RGB888);
            return view.copy();
        }
    }
    QImage image(file);
    if (image.isNull())
        return {};
    return image.scaled(FitIntoFrame(image.size(), frame), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

}  // namespace shutterhand
