#include "camera/device/simulated/exif_block.h"

#include <QList>

namespace shutterhand {

namespace {

enum : std::uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5 };

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    QByteArray value;  // the value's bytes, little-endian
};

void putU16(QByteArray& out, std::uint16_t value)
{
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}

void putU32(QByteArray& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((value >> shift) & 0xFF));
}

QByteArray u16(std::uint16_t value)
{
    QByteArray out;
    putU16(out, value);
    return out;
}

QByteArray u32(std::uint32_t value)
{
    QByteArray out;
    putU32(out, value);
    return out;
}

Entry ascii(std::uint16_t tag, const QByteArray& text)
{
    const QByteArray value = text + '\0';
    return {tag, kAscii, static_cast<std::uint32_t>(value.size()), value};
}

Entry rational(std::uint16_t tag, std::uint32_t numerator, std::uint32_t denominator)
{
    return {tag, kRational, 1, u32(numerator) + u32(denominator)};
}

// Writes a directory at `offset` (from the TIFF start); values longer than four bytes go to the data
// area that follows it. Returns the directory with its data.
QByteArray directory(const QList<Entry>& entries, std::uint32_t offset)
{
    const std::uint32_t tableSize = 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
    QByteArray table;
    QByteArray data;
    putU16(table, static_cast<std::uint16_t>(entries.size()));
    for (const Entry& entry : entries) {
        putU16(table, entry.tag);
        putU16(table, entry.type);
        putU32(table, entry.count);
        if (entry.value.size() <= 4) {
            table.append(entry.value.leftJustified(4, '\0'));
        } else {
            putU32(table, offset + tableSize + static_cast<std::uint32_t>(data.size()));
            data.append(entry.value);
            if (data.size() % 2)
                data.append('\0');  // values start at even offsets
        }
    }
    putU32(table, 0);  // no further directory
    return table + data;
}

}  // namespace

QByteArray BuildExifSegment(const ExifShot& shot)
{
    const QList<Entry> exifEntries = {
        rational(0x829A, shot.exposureNumerator, shot.exposureDenominator),  // ExposureTime
        rational(0x829D, shot.fNumberTimesTen, 10),                          // FNumber
        {0x8827, kShort, 1, u16(shot.iso)},                                  // ISOSpeedRatings
        ascii(0x9003, shot.dateTimeOriginal),                                // DateTimeOriginal
        rational(0x9205, shot.maxApertureTimesTen, 10),                      // MaxApertureValue
        {0x9209, kShort, 1, u16(shot.flash)},                                // Flash
    };
    // The first directory starts right after the 8-byte header; its size is known before the EXIF
    // directory's place is, because the pointer is a four-byte value.
    QList<Entry> firstEntries = {
        ascii(0x010F, shot.make),              // Make
        ascii(0x0110, shot.model),             // Model
        ascii(0x0132, shot.dateTimeOriginal),  // DateTime
        {0x8769, kLong, 1, u32(0)},            // ExifIFDPointer, set below
    };
    constexpr std::uint32_t kFirstOffset = 8;
    const std::uint32_t exifOffset
        = kFirstOffset + static_cast<std::uint32_t>(directory(firstEntries, kFirstOffset).size());
    firstEntries.last().value = u32(exifOffset);

    QByteArray tiff("II*\0", 4);
    putU32(tiff, kFirstOffset);
    tiff += directory(firstEntries, kFirstOffset);
    tiff += directory(exifEntries, exifOffset);

    QByteArray segment("\xFF\xE1", 2);
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    segment.append(static_cast<char>(((payload.size() + 2) >> 8) & 0xFF));
    segment.append(static_cast<char>((payload.size() + 2) & 0xFF));
    return segment + payload;
}

QByteArray InsertAfterStartOfImage(const QByteArray& jpeg, const QByteArray& segment)
{
    if (!jpeg.startsWith(QByteArray("\xFF\xD8", 2)))
        return jpeg;
    return jpeg.left(2) + segment + jpeg.mid(2);
}

}  // namespace shutterhand
