#include "web/thumbnail.h"

#include "imaging/jpeg_decoder.h"
#include "imaging/jpeg_encoder.h"
#include "imaging/resample.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Writes the thumbnail to a temporary file beside the target and renames it over the target, so that
// nobody (the web server above all) ever sees half a thumbnail. Unlike settings, a thumbnail is not
// flushed to disk first: it can always be made again, and the flush would cost more than making it.
QString replaceFile(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    const QByteArray target = QFile::encodeName(QFileInfo(path).absoluteFilePath());
    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    std::size_t done = 0;
    bool ok = ::fchmod(fd, 0644) == 0;
    while (ok && done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        ok = written > 0;
        done += ok ? static_cast<std::size_t>(written) : 0;
    }
    int code = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temporary.constData(), target.constData()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(code)));
    }
    return {};
}

ThumbnailResult failed(const QString& target, const QString& error)
{
    return {ThumbnailOutcome::Failed, target, error};
}

}  // namespace

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

bool ThumbnailPresent(const QString& thumbnailFile)
{
    // Thumbnails are renamed into place without a flush to disk (a flush per thumbnail costs more than
    // making it); after a power failure one may be left empty, and then it counts as missing.
    const QFileInfo info(thumbnailFile);
    return info.exists() && info.size() > 0;
}

ThumbnailResult MakeThumbnail(const QString& pictureFile, bool force, const ThumbnailEvent& onCreate)
{
    const QString target = ThumbnailPath(pictureFile);
    if (target == pictureFile)
        return {ThumbnailOutcome::OwnName, target, {}};
    if (!force && ThumbnailPresent(target))
        return {ThumbnailOutcome::Present, target, {}};
    if (onCreate)
        onCreate(pictureFile);
    return CreateThumbnailImage(pictureFile, target, ThumbnailBoxWidth, ThumbnailBoxHeight, ThumbnailBackground);
}

ThumbnailResult CreateThumbnailImage(const QString& sourceFile, const QString& targetFile, int boxWidth, int boxHeight,
                                     RgbColor background)
{
    // Decoding straight to the smallest DCT scale that still covers the target size does most of the
    // shrinking for free; the area-averaging resampler does the rest.
    std::optional<ThumbnailLayout> layout;
    const auto decoded
        = imaging::DecodeJpegFile(QFile::encodeName(sourceFile).toStdString(), [&](const imaging::JpegHeader& picture) {
              layout = ThumbnailLayoutFor(picture.width, picture.height, boxWidth, boxHeight);
              return layout ? imaging::DecodeTarget{true, layout->width, layout->height} : imaging::DecodeTarget{false};
          });
    if (!decoded)
        return failed(targetFile, QString::fromStdString(decoded.error()));
    if (!layout)
        return {ThumbnailOutcome::TooSmall, targetFile, {}};

    imaging::RgbImage box(boxWidth, boxHeight);
    for (std::size_t i = 0; i < box.pixels.size(); i += 3) {
        box.pixels[i] = background.red;
        box.pixels[i + 1] = background.green;
        box.pixels[i + 2] = background.blue;
    }
    imaging::Blit(imaging::Resample(decoded.value().image, layout->width, layout->height), box, layout->x, layout->y);
    const auto encoded = imaging::EncodeJpeg(box, ThumbnailQuality);
    if (!encoded)
        return failed(targetFile, QString::fromStdString(encoded.error()));
    const QString error = replaceFile(targetFile, encoded.value());
    if (!error.isEmpty())
        return failed(targetFile, error);
    return {ThumbnailOutcome::Written, targetFile, {}};
}

}  // namespace shutterhand
