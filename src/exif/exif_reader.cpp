#include "exif/exif_reader.h"

#include "exif/exif_codes.h"
#include "exif/exif_format.h"
#include "exif/exif_source.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace shutterhand {

namespace {

constexpr std::uint8_t ExifIdentifier[6] = {'E', 'x', 'i', 'f', 0, 0};

struct Rational {
    std::uint32_t numerator;
    std::uint32_t denominator;
};

std::uint16_t bigEndian16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

// Walks the JPEG segments by their lengths from the start of image up to the start of scan and returns
// the position of the first APP1 segment that holds an EXIF block (its identifier is "Exif" and two
// zero bytes). Other APP1 segments (XMP) are passed over.
std::optional<std::uint64_t> findExifSegment(ExifSource& source)
{
    std::uint8_t start[2];
    if (!source.read(0, start, 2) || start[0] != 0xFF || start[1] != 0xD8)
        return std::nullopt;
    std::uint64_t position = 2;
    for (;;) {
        std::uint8_t marker[2];
        if (!source.read(position, marker, 2) || marker[0] != 0xFF)
            return std::nullopt;
        if (marker[1] == 0xFF) {  // fill byte before a marker
            ++position;
            continue;
        }
        if (marker[1] == 0xDA || marker[1] == 0xD9)
            return std::nullopt;  // start of scan or end of image: no EXIF before the picture data
        if (marker[1] == 0x01 || marker[1] == 0xD8 || (marker[1] >= 0xD0 && marker[1] <= 0xD7)) {
            position += 2;  // markers without a length
            continue;
        }
        std::uint8_t lengthBytes[2];
        if (!source.read(position + 2, lengthBytes, 2))
            return std::nullopt;
        const std::uint16_t length = bigEndian16(lengthBytes);
        if (length < 2)
            return std::nullopt;
        if (marker[1] == 0xE1 && length >= 2 + sizeof ExifIdentifier) {
            std::uint8_t identifier[sizeof ExifIdentifier];
            if (!source.read(position + 4, identifier, sizeof identifier))
                return std::nullopt;
            if (std::memcmp(identifier, ExifIdentifier, sizeof identifier) == 0)
                return position;
        }
        position += 2 + length;
    }
}

// Reads a text of `count` bytes at `offset`: it ends at its first zero byte or after `count` bytes,
// whichever comes first; trailing blanks and control characters are removed. Some cameras store texts
// without the closing zero byte, so the last byte counts as text. Running into the end of the file
// before the text ends gives nothing.
std::optional<QByteArray> readText(ExifSource& source, std::uint64_t offset, std::uint32_t count)
{
    QByteArray text;
    std::uint8_t chunk[256];
    std::uint32_t done = 0;
    while (done < count) {
        const std::size_t want = std::min<std::uint32_t>(sizeof chunk, count - done);
        const std::uint64_t at = offset + done;
        const std::uint64_t available = source.size() > at ? source.size() - at : 0;
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(want, available));
        if (take == 0 || !source.read(at, chunk, take))
            return std::nullopt;
        const void* zero = std::memchr(chunk, 0, take);
        if (zero) {
            text.append(reinterpret_cast<const char*>(chunk), static_cast<const std::uint8_t*>(zero) - chunk);
            break;
        }
        if (take < want)
            return std::nullopt;  // the file ends inside the text
        text.append(reinterpret_cast<const char*>(chunk), static_cast<qsizetype>(take));
        done += static_cast<std::uint32_t>(take);
    }
    qsizetype end = text.size();
    while (end > 0 && static_cast<std::uint8_t>(text[end - 1]) <= 32)
        --end;
    text.truncate(end);
    return text;
}

}  // namespace

TExif::TExif() { Reset(); }

void TExif::Reset()
{
    for (QByteArray* text : {&ImageDescription,
                             &Make,
                             &Model,
                             &OrientationText,
                             &RightsNotice,
                             &DateTime,
                             &DateTimeOriginal,
                             &DateTimeDigitized,
                             &UserComment,
                             &ExposureTime,
                             &FNumber,
                             &ShutterSpeed,
                             &ApertureValue,
                             &MaxApertureValue,
                             &ExposureProgramText,
                             &MeteringModeText,
                             &LightSourceText,
                             &FlashText,
                             &Software,
                             &Artist,
                             &CompressedBitsPerPixel})
        text->clear();
    Orientation = ExposureProgram = MeteringMode = LightSource = Flash = 0;
    PixelXDimension = PixelYDimension = XResolution = YResolution = 0;
    ISOSpeedRatings = 0;
    HasExif = false;
    ExifIfdOffset = 0;
    BigEndian = false;
    m_tiffBase = 0;
}

void TExif::LoadExif(const QString& fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    // O_NONBLOCK: a FIFO under the picture's name must not block the open.
    const int fd = path.isEmpty() ? -1 : ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        // A missing file changes nothing; a file that is there but cannot be opened reads as empty.
        if (!path.isEmpty() && errno != ENOENT && errno != ENOTDIR)
            Reset();
        return;
    }
    struct stat info = {};
    const bool statted = ::fstat(fd, &info) == 0;
    if (statted && S_ISDIR(info.st_mode)) {
        ::close(fd);  // a folder is not a file: nothing changes
        return;
    }
    Reset();
    if (statted && S_ISREG(info.st_mode)) {
        FileExifSource source(fd, static_cast<std::uint64_t>(info.st_size));
        read(source);
    }
    ::close(fd);
}

void TExif::LoadExifFromBytes(std::span<const std::uint8_t> bytes)
{
    Reset();
    MemoryExifSource source(bytes);
    read(source);
}

void TExif::read(ExifSource& source)
{
    const std::optional<std::uint64_t> segment = findExifSegment(source);
    if (!segment)
        return;
    HasExif = true;
    m_tiffBase = *segment + 10;  // marker, length and the six bytes of the identifier

    std::uint8_t header[8];
    if (!source.read(m_tiffBase, header, sizeof header))
        return;
    BigEndian = header[0] == 'M' && header[1] == 'M';
    const std::uint32_t firstDirectory = BigEndian
        ? std::uint32_t(header[4]) << 24 | header[5] << 16 | header[6] << 8 | header[7]
        : std::uint32_t(header[7]) << 24 | header[6] << 16 | header[5] << 8 | header[4];
    if (!readDirectory(source, firstDirectory, false))
        return;
    if (ExifIfdOffset != 0)
        readDirectory(source, ExifIfdOffset, true);
}

namespace {

// Numbers in the TIFF data's byte order.
struct ByteOrder {
    bool big;
    std::uint16_t u16(const std::uint8_t* p) const
    {
        return big ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
    }
    std::uint32_t u32(const std::uint8_t* p) const
    {
        return big ? std::uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]
                   : std::uint32_t(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0];
    }
};

}  // namespace

bool TExif::readDirectory(ExifSource& source, std::uint64_t offset, bool exifDirectory)
{
    const ByteOrder order{BigEndian};
    const std::uint64_t start = m_tiffBase + offset;
    std::uint8_t countBytes[2];
    if (!source.read(start, countBytes, 2))
        return false;
    const std::uint16_t count = order.u16(countBytes);
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t entry[12];
        if (!source.read(start + 2 + 12 * std::uint64_t{i}, entry, sizeof entry))
            return false;
        if (order.u16(entry) == 0)
            break;  // a tag of 0 ends the directory
        handleEntry(source, entry, exifDirectory);
    }
    return true;
}

void TExif::handleEntry(ExifSource& source, const std::uint8_t* entry, bool exifDirectory)
{
    const ByteOrder order{BigEndian};
    const std::uint16_t tag = order.u16(entry);
    const std::uint16_t type = order.u16(entry + 2);
    const std::uint32_t count = order.u32(entry + 4);
    const std::uint8_t* field = entry + 8;
    const std::uint32_t value = type == 1 ? field[0] : type == 3 ? order.u16(field) : order.u32(field);

    auto text = [&]() -> QByteArray {
        if (count <= 4) {
            MemoryExifSource inField(std::span<const std::uint8_t>(field, 4));
            return readText(inField, 0, count).value_or(QByteArray());
        }
        return readText(source, m_tiffBase + value, count).value_or(QByteArray());
    };
    auto rational = [&]() -> std::optional<Rational> {
        std::uint8_t bytes[8];
        if (!source.read(m_tiffBase + value, bytes, sizeof bytes))
            return std::nullopt;
        return Rational{order.u32(bytes), order.u32(bytes + 4)};
    };
    auto decimal = [&]() -> QByteArray {
        const auto r = rational();
        return r ? ExifDecimalText(r->numerator, r->denominator) : QByteArray();
    };

    if (!exifDirectory) {
        switch (tag) {
        case 0x010E:
            ImageDescription = text();
            break;
        case 0x010F:
            Make = text();
            break;
        case 0x0110:
            Model = text();
            break;
        case 0x0112:
            Orientation = static_cast<quint8>(value);
            OrientationText = OrientationDescription(Orientation);
            break;
        case 0x011A:
            XResolution = static_cast<qint32>(rational().value_or(Rational{0, 0}).numerator);
            break;
        case 0x011B:
            YResolution = static_cast<qint32>(rational().value_or(Rational{0, 0}).numerator);
            break;
        case 0x0131:
            Software = text();
            break;
        case 0x0132:
            DateTime = text();
            break;
        case 0x013B:
            Artist = text();
            break;
        case 0x8298:
            RightsNotice = text();
            break;
        case 0x8769:
            ExifIfdOffset = value;
            break;
        default:
            break;
        }
        return;
    }
    switch (tag) {
    case 0x829A: {
        const auto r = rational();
        ExposureTime = r ? ExifFractionText(r->numerator, r->denominator) + " seconds" : QByteArray();
        break;
    }
    case 0x829D:
        FNumber = decimal();
        break;
    case 0x8822:
        ExposureProgram = static_cast<quint8>(value);
        ExposureProgramText = ExposureProgramDescription(value);
        break;
    case 0x8827:
        ISOSpeedRatings = static_cast<quint16>(value);
        break;
    case 0x9003:
        DateTimeOriginal = text();
        break;
    case 0x9004:
        DateTimeDigitized = text();
        break;
    case 0x9102:
        CompressedBitsPerPixel = decimal();
        break;
    case 0x9201: {
        const auto r = rational();
        ShutterSpeed = r ? ExifShutterSpeedText(r->numerator, r->denominator) : QByteArray();
        break;
    }
    case 0x9202:
        ApertureValue = decimal();
        break;
    case 0x9205:
        MaxApertureValue = decimal();
        break;
    case 0x9207:
        MeteringMode = static_cast<quint8>(value);
        MeteringModeText = MeteringModeDescription(value);
        break;
    case 0x9208:
        LightSource = static_cast<quint8>(value);
        LightSourceText = LightSourceDescription(value);
        break;
    case 0x9209:
        Flash = static_cast<quint8>(value);
        FlashText = FlashDescription(value);
        break;
    case 0x9286:
        UserComment = text();
        break;
    case 0xA002:
        PixelXDimension = static_cast<qint32>(value);
        break;
    case 0xA003:
        PixelYDimension = static_cast<qint32>(value);
        break;
    default:
        break;
    }
}

}  // namespace shutterhand
