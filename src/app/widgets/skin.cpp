#include "app/widgets/skin.h"

#include <QImage>

#include <cmath>
#include <vector>

namespace shutterhand {

bool isSimilarToRed(QRgb colour, int similarityPercent)
{
    const double dr = 255 - qRed(colour);
    const double dg = qGreen(colour);
    const double db = qBlue(colour);
    const double largest = std::sqrt(3.0 * 255.0 * 255.0);
    const double limit = largest * (100 - similarityPercent) / 100.0;
    return dr * dr + dg * dg + db * db <= limit * limit;
}

Skin loadSkin(const QString& fileName, int similarityPercent)
{
    QImage image(fileName);
    if (image.isNull())
        return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    QImage shape(image.size(), QImage::Format_MonoLSB);
    shape.setColorCount(2);
    shape.setColor(0, qRgb(255, 255, 255));  // outside
    shape.setColor(1, qRgb(0, 0, 0));        // inside: Qt's bitmaps paint set bits in black
    const int width = image.width();
    const int height = image.height();
    std::vector<bool> outside(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x)
            outside[static_cast<size_t>(y) * width + x] = isSimilarToRed(line[x], similarityPercent);
    }
    // JPEG blurs the outline into a dark red seam; a reddish pixel right at the edge belongs outside too.
    std::vector<bool> shaped = outside;
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(y) * width + x;
            if (outside[at])
                continue;
            const bool atEdge = (x > 0 && outside[at - 1]) || (x + 1 < width && outside[at + 1])
                || (y > 0 && outside[at - width]) || (y + 1 < height && outside[at + width]);
            const QRgb c = line[x];
            if (atEdge && qRed(c) > qGreen(c) + 24 && qRed(c) > qBlue(c) + 24)
                shaped[at] = true;
        }
    }
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool out = shaped[static_cast<size_t>(y) * width + x];
            shape.setPixel(x, y, out ? 0 : 1);
            if (out)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return {QPixmap::fromImage(image), QBitmap::fromImage(shape)};
}

}  // namespace shutterhand
