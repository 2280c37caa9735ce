#include "series/avi_bitmap.h"

namespace shutterhand {

AviBitmap AviBitmap::fromFile(const QString& path)
{
    AviBitmap bitmap;
    bitmap.m_path = path;
    return bitmap;
}

AviBitmap AviBitmap::fromImage(imaging::RgbImage image)
{
    AviBitmap bitmap;
    bitmap.m_image = std::make_shared<const imaging::RgbImage>(std::move(image));
    return bitmap;
}

}  // namespace shutterhand
