#pragma once

#include <QByteArray>

#include <cstdint>

namespace shutterhand {

// The camera data a picture of the simulated camera carries in its EXIF block.
struct ExifShot {
    QByteArray make;
    QByteArray model;
    QByteArray dateTimeOriginal;  // "YYYY:MM:DD HH:MM:SS"
    std::uint32_t exposureNumerator = 1;
    std::uint32_t exposureDenominator = 125;
    std::uint32_t fNumberTimesTen = 56;
    std::uint16_t iso = 400;
    std::uint16_t flash = 0;
    std::uint32_t maxApertureTimesTen = 30;  // APEX value
};

// The APP1 segment (marker, length, "Exif" header and a little-endian TIFF structure with the first
// and the EXIF directory) for `shot`.
QByteArray BuildExifSegment(const ExifShot& shot);

// Puts `segment` right after the start-of-image marker of `jpeg`; a JPEG without that marker is
// returned unchanged.
QByteArray InsertAfterStartOfImage(const QByteArray& jpeg, const QByteArray& segment);

}  // namespace shutterhand
