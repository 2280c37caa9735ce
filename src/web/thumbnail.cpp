#include "web/thumbnail.h"

#include "common/atomic_file.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_decoder.h"
#include "imaging/jpeg_encoder.h"
#include "imaging/resample.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace shutterhand {

namespace {

// a × b ÷ c rounded to the nearest whole number, a half to the even neighbour, in exact arithmetic.
int scaleRoundedHalfEven(qint64 a, qint64 b, qint64 c)
{
    const qint64 product = a * b;
    qint64 quotient = product / c;
    const qint64 twiceRemainder = 2 * (product % c);
    if (twiceRemainder > c || (twiceRemainder == c && quotient % 2 == 1))
        ++quotient;
    return static_cast<int>(quotient);
}

ThumbnailResult failed(const QString& target, const QString& error)
{
    return {ThumbnailOutcome::Failed, target, error};
}

} // namespace

QString ThumbnailName(const QString& fileName)
{
    static const QString thumb = QStringLiteral("_thumb.jpg");
    if (fileName.contains(QLatin1String(".jpg"))) {
        QString name = fileName;
        return name.replace(QLatin1String(".jpg"), thumb);
    }
    // A camera's own names ("DSC_0001.JPG") and the long extension get a thumbnail too.
    for (const QLatin1String extension : {QLatin1String(".jpg"), QLatin1String(".jpeg")}) {
        if (fileName.size() > extension.size() && fileName.endsWith(extension, Qt::CaseInsensitive))
            return fileName.left(fileName.size() - extension.size()) + thumb;
    }
    return fileName;
}

QString ThumbnailPath(const QString& pictureFile)
{
    const qsizetype slash = pictureFile.lastIndexOf(QLatin1Char('/'));
    return pictureFile.left(slash + 1) + ThumbnailName(pictureFile.mid(slash + 1));
}

std::optional<ThumbnailLayout> ThumbnailLayoutFor(int width, int height, int boxWidth, int boxHeight)
{
    if (width <= 0 || height <= 0 || (width <= boxWidth && height <= boxHeight))
        return std::nullopt;
    ThumbnailLayout layout{};
    if (width - boxWidth >= height - boxHeight) {
        layout.width = boxWidth;
        layout.height = scaleRoundedHalfEven(height, boxWidth, width);
    } else {
        layout.height = boxHeight;
        layout.width = scaleRoundedHalfEven(width, boxHeight, height);
    }
    // A picture of extreme proportions keeps a line of at least one pixel instead of vanishing.
    layout.width = std::max(1, layout.width);
    layout.height = std::max(1, layout.height);
    layout.x = boxWidth / 2 - layout.width / 2;
    layout.y = boxHeight / 2 - layout.height / 2;
    return layout;
}

ThumbnailResult MakeThumbnail(const QString& pictureFile, bool force, const ThumbnailEvent& onCreate)
{
    const QString target = ThumbnailPath(pictureFile);
    if (target == pictureFile)
        return {ThumbnailOutcome::OwnName, target, {}};
    if (!force && QFileInfo::exists(target))
        return {ThumbnailOutcome::Present, target, {}};
    if (onCreate)
        onCreate(pictureFile);
    return CreateThumbnailImage(pictureFile, target, ThumbnailBoxWidth, ThumbnailBoxHeight, ThumbnailBackground);
}

ThumbnailResult CreateThumbnailImage(
    const QString& sourceFile, const QString& targetFile, int boxWidth, int boxHeight, RgbColor background)
{
    auto bytes = imaging::ReadFileBytes(QFile::encodeName(sourceFile).toStdString());
    if (!bytes)
        return failed(targetFile, QString::fromStdString(bytes.error()));
    const auto header = imaging::ReadJpegHeader(bytes.value());
    if (!header)
        return failed(targetFile, sourceFile + ": " + QString::fromStdString(header.error()));
    const auto layout = ThumbnailLayoutFor(header.value().width, header.value().height, boxWidth, boxHeight);
    if (!layout)
        return {ThumbnailOutcome::TooSmall, targetFile, {}};

    // Decoding straight to the smallest DCT scale that still covers the target size does most of the
    // shrinking for free; the area-averaging resampler does the rest.
    imaging::DecodeOptions options;
    options.minWidth = layout->width;
    options.minHeight = layout->height;
    const auto decoded = imaging::DecodeJpeg(bytes.value(), options);
    if (!decoded)
        return failed(targetFile, sourceFile + ": " + QString::fromStdString(decoded.error()));
    bytes = std::vector<std::uint8_t>(); // release the file's bytes before encoding

    imaging::RgbImage box(boxWidth, boxHeight);
    for (std::size_t i = 0; i < box.pixels.size(); i += 3) {
        box.pixels[i] = background.red;
        box.pixels[i + 1] = background.green;
        box.pixels[i + 2] = background.blue;
    }
    imaging::Blit(imaging::Resample(decoded.value(), layout->width, layout->height), box, layout->x, layout->y);
    const auto encoded = imaging::EncodeJpeg(box, ThumbnailQuality);
    if (!encoded)
        return failed(targetFile, QString::fromStdString(encoded.error()));
    const FileResult written = writeFileAtomically(targetFile,
        QByteArray::fromRawData(
            reinterpret_cast<const char*>(encoded.value().data()), static_cast<qsizetype>(encoded.value().size())));
    if (!written.ok())
        return failed(targetFile, written.error);
    return {ThumbnailOutcome::Written, targetFile, {}};
}

} // namespace shutterhand
