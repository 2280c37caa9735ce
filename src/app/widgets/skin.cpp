#include "app/widgets/skin.h"

#include <QImage>

#include <cmath>

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
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const bool outside = isSimilarToRed(line[x], similarityPercent);
            shape.setPixel(x, y, outside ? 0 : 1);
            if (outside)
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return {QPixmap::fromImage(image), QBitmap::fromImage(shape)};
}

}  // namespace shutterhand
