#include "camera/device/simulated/simulated_picture.h"

#include "camera/device/simulated/exif_block.h"
#include "imaging/jpeg_encoder.h"

#include <array>
#include <cstdint>

namespace shutterhand {

namespace {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Rows of a 5 × 7 glyph, the highest bit of the five on the left.
struct Glyph {
    char character;
    std::array<std::uint8_t, kGlyphHeight> rows;
};

constexpr Glyph kGlyphs[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'#', {0x0A, 0x0A, 0x1F, 0x0A, 0x1F, 0x0A, 0x0A}}, {' ', {0, 0, 0, 0, 0, 0, 0}},
};

const Glyph* glyphFor(QChar c)
{
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.character == c.toLatin1())
            return &glyph;
    }
    return nullptr;
}

// Draws `text` with its top-left corner at (x, y), each glyph pixel `scale` × `scale` pixels large.
void drawText(imaging::RgbImage& image, const QString& text, int x, int y, int scale)
{
    for (const QChar c : text) {
        if (const Glyph* glyph = glyphFor(c)) {
            for (int row = 0; row < kGlyphHeight; ++row) {
                for (int column = 0; column < kGlyphWidth; ++column) {
                    if (!(glyph->rows[row] & (0x10 >> column)))
                        continue;
                    for (int dy = 0; dy < scale; ++dy) {
                        const int py = y + row * scale + dy;
                        if (py < 0 || py >= image.height)
                            continue;
                        std::uint8_t* line = image.row(py);
                        for (int dx = 0; dx < scale; ++dx) {
                            const int px = x + column * scale + dx;
                            if (px >= 0 && px < image.width)
                                line[px * 3] = line[px * 3 + 1] = line[px * 3 + 2] = 255;
                        }
                    }
                }
            }
        }
        x += (kGlyphWidth + 1) * scale;
    }
}

int textWidth(const QString& text, int scale)
{
    return static_cast<int>(text.size()) * (kGlyphWidth + 1) * scale - scale;
}

}  // namespace

QByteArray RenderSimulatedPicture(const SimulatedShot& shot)
{
    imaging::RgbImage image(shot.width, shot.height);
    // A diagonal colour field whose hue moves on with every shot, so that pictures differ at a glance.
    const int hueShift = (shot.number * 47) % 256;
    for (int y = 0; y < image.height; ++y) {
        std::uint8_t* line = image.row(y);
        for (int x = 0; x < image.width; ++x) {
            const int t = (x * 255 / std::max(1, image.width - 1) + y * 255 / std::max(1, image.height - 1)) / 2;
            line[x * 3] = static_cast<std::uint8_t>((t + hueShift) % 256 / 2 + 20);
            line[x * 3 + 1] = static_cast<std::uint8_t>((255 - t) / 3 + 30);
            line[x * 3 + 2] = static_cast<std::uint8_t>((t * 2 + 255 - hueShift) % 256 / 2 + 40);
        }
    }
    const QString clock = shot.time.toString(QStringLiteral("HH:mm:ss"));
    const QString date = shot.time.toString(QStringLiteral("dd.MM.yyyy"));
    const QString number = QStringLiteral("#%1").arg(shot.number, 4, 10, QLatin1Char('0'));
    const int big = std::max(1, image.width / 60);
    const int small = std::max(1, big / 2);
    const int top = image.height / 2 - (kGlyphHeight * big + kGlyphHeight * small * 2 + 4 * small) / 2;
    drawText(image, clock, (image.width - textWidth(clock, big)) / 2, top, big);
    const int secondLine = top + kGlyphHeight * big + 2 * small;
    drawText(image, date, (image.width - textWidth(date, small)) / 2, secondLine, small);
    drawText(image, number, (image.width - textWidth(number, small)) / 2, secondLine + (kGlyphHeight + 2) * small,
             small);

    const auto encoded = imaging::EncodeJpeg(image, 90);
    if (!encoded)
        return {};
    const QByteArray jpeg(reinterpret_cast<const char*>(encoded.value().data()),
                          static_cast<qsizetype>(encoded.value().size()));
    ExifShot exif;
    exif.make = QByteArrayLiteral("Shutterhand");
    exif.model = shot.model.toUtf8();
    exif.dateTimeOriginal = shot.time.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1();
    return InsertAfterStartOfImage(jpeg, BuildExifSegment(exif));
}

}  // namespace shutterhand
