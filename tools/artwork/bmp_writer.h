#pragma once

#include <QImage>
#include <QString>

namespace artwork {

// Writes a 32-bit BMP with an alpha channel (BITMAPV5HEADER, bit fields, bottom-up rows). Qt's own BMP
// writer drops the alpha channel, and the glyphs must sit on any button colour. Fully transparent
// pixels carry `hiddenColour`, which readers that ignore the alpha channel show instead.
bool writeBmpWithAlpha(const QImage& image, const QString& fileName, QRgb hiddenColour);

}  // namespace artwork
