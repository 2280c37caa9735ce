#include "exif/exif_fields.h"

namespace shutterhand {

QList<std::pair<const char*, QByteArray>> ExifFieldList(const TExif& e)
{
    auto n = [](qint64 value) { return QByteArray::number(value); };
    return {
        {"ImageDescription", e.ImageDescription},
        {"Make", e.Make},
        {"Model", e.Model},
        {"Orientation", n(e.Orientation)},
        {"OrientationText", e.OrientationText},
        {"RightsNotice", e.RightsNotice},
        {"HasExif", n(e.HasExif ? 1 : 0)},
        {"DateTime", e.DateTime},
        {"DateTimeOriginal", e.DateTimeOriginal},
        {"DateTimeDigitized", e.DateTimeDigitized},
        {"UserComment", e.UserComment},
        {"ExposureTime", e.ExposureTime},
        {"FNumber", e.FNumber},
        {"ShutterSpeed", e.ShutterSpeed},
        {"ApertureValue", e.ApertureValue},
        {"MaxApertureValue", e.MaxApertureValue},
        {"ExposureProgram", n(e.ExposureProgram)},
        {"ExposureProgramText", e.ExposureProgramText},
        {"PixelXDimension", n(e.PixelXDimension)},
        {"PixelYDimension", n(e.PixelYDimension)},
        {"XResolution", n(e.XResolution)},
        {"YResolution", n(e.YResolution)},
        {"MeteringMode", n(e.MeteringMode)},
        {"MeteringModeText", e.MeteringModeText},
        {"LightSource", n(e.LightSource)},
        {"LightSourceText", e.LightSourceText},
        {"Flash", n(e.Flash)},
        {"FlashText", e.FlashText},
        {"ISOSpeedRatings", n(e.ISOSpeedRatings)},
        {"Software", e.Software},
        {"Artist", e.Artist},
        {"CompressedBitsPerPixel", e.CompressedBitsPerPixel},
    };
}

}  // namespace shutterhand
