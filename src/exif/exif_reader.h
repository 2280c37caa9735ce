#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <span>

namespace shutterhand {

class ExifSource;

// The EXIF data of a JPEG picture as flat fields: texts exactly as the file holds them (bytes, no code
// page conversion), numbers, and ready-made texts for exposure, aperture and the coded values. Only the
// first image directory and the EXIF sub-directory are read: no thumbnail directory, GPS data or
// maker notes.
class TExif {
public:
    TExif();

    // Empties every text, sets every number to 0 and HasExif to false.
    void Reset();
    // Reads the EXIF data of a picture file into the fields. A file that does not exist changes
    // nothing; any other call starts with Reset. Never fails: what cannot be read stays empty or 0.
    void LoadExif(const QString& fileName);
    // The same rules for the bytes of a file already in memory.
    void LoadExifFromBytes(std::span<const std::uint8_t> bytes);

    QByteArray ImageDescription;
    QByteArray Make;
    QByteArray Model;
    quint8 Orientation = 0;
    QByteArray OrientationText;
    QByteArray RightsNotice;
    bool HasExif = false;
    QByteArray DateTime;
    QByteArray DateTimeOriginal;
    QByteArray DateTimeDigitized;
    QByteArray UserComment;
    QByteArray ExposureTime;
    QByteArray FNumber;
    QByteArray ShutterSpeed;
    QByteArray ApertureValue;
    QByteArray MaxApertureValue;
    quint8 ExposureProgram = 0;
    QByteArray ExposureProgramText;
    qint32 PixelXDimension = 0;
    qint32 PixelYDimension = 0;
    qint32 XResolution = 0;
    qint32 YResolution = 0;
    quint8 MeteringMode = 0;
    QByteArray MeteringModeText;
    quint8 LightSource = 0;
    QByteArray LightSourceText;
    quint8 Flash = 0;
    QByteArray FlashText;
    quint16 ISOSpeedRatings = 0;
    QByteArray Software;
    QByteArray Artist;
    QByteArray CompressedBitsPerPixel;

private:
    void read(ExifSource& source);
    bool readDirectory(ExifSource& source, std::uint64_t offset, bool exifDirectory);
    void handleEntry(ExifSource& source, const std::uint8_t* entry, bool exifDirectory);

    std::uint32_t ExifIfdOffset = 0;
    bool BigEndian = false;
    std::uint64_t m_tiffBase = 0;
};

}  // namespace shutterhand
