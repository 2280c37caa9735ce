#include "exiv2_reader.h"

#include <exiv2/exiv2.hpp>

std::string ReadWithExiv2(const std::string& path)
{
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    const Exiv2::ExifData& data = image->exifData();
    std::string joined;
    for (const char* key : {"Exif.Image.Model", "Exif.Photo.ExposureTime", "Exif.Photo.Flash", "Exif.Photo.FNumber",
                            "Exif.Photo.MaxApertureValue"}) {
        const auto found = data.findKey(Exiv2::ExifKey(key));
        if (found != data.end())
            joined += found->toString();
    }
    return joined;
}
