#include "bmp_writer.h"

#include <QByteArray>
#include <QSaveFile>

#include <cstdint>

namespace artwork {

namespace {

void put16(QByteArray& out, uint16_t value)
{
    out.append(char(value & 0xff));
    out.append(char(value >> 8));
}

void put32(QByteArray& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xff));
}

}  // namespace

bool writeBmpWithAlpha(const QImage& image, const QString& fileName, QRgb hiddenColour)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const uint32_t width = uint32_t(source.width());
    const uint32_t height = uint32_t(source.height());
    constexpr uint32_t kFileHeader = 14;
    constexpr uint32_t kInfoHeader = 124;
    const uint32_t pixelBytes = width * height * 4;

    QByteArray out;
    out.reserve(int(kFileHeader + kInfoHeader + pixelBytes));
    out.append("BM");
    put32(out, kFileHeader + kInfoHeader + pixelBytes);
    put32(out, 0);
    put32(out, kFileHeader + kInfoHeader);

    put32(out, kInfoHeader);
    put32(out, width);
    put32(out, height);  // positive: rows bottom-up
    put16(out, 1);       // planes
    put16(out, 32);      // bits per pixel
    put32(out, 3);       // BI_BITFIELDS
    put32(out, pixelBytes);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);  // no colour table
    put32(out, 0);
    put32(out, 0x00ff0000);  // red mask
    put32(out, 0x0000ff00);  // green mask
    put32(out, 0x000000ff);  // blue mask
    put32(out, 0xff000000);  // alpha mask
    put32(out, 0x73524742);  // 'sRGB'
    for (int i = 0; i < 9 + 3; ++i)
        put32(out, 0);  // end points and gammas, unused with sRGB
    put32(out, 4);      // LCS_GM_IMAGES
    put32(out, 0);      // no profile
    put32(out, 0);
    put32(out, 0);

    for (int y = int(height) - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (uint32_t x = 0; x < width; ++x) {
            const QRgb pixel = qAlpha(row[x]) == 0 ? (hiddenColour & 0x00ffffff) : row[x];
            put32(out, pixel);  // little-endian ARGB is the BGRA byte order of the file
        }
    }

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(out);
    return file.commit();
}

}  // namespace artwork
