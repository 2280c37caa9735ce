#pragma once

#include "imaging/rgb_image.h"

#include <QString>

#include <memory>

namespace shutterhand {

// One entry of the film writer's list: a picture file, decoded only when its frame is written, or a
// picture already in memory. A default-constructed entry is empty, which the writer refuses.
class AviBitmap {
public:
    AviBitmap() = default;
    static AviBitmap fromFile(const QString& path);
    static AviBitmap fromImage(imaging::RgbImage image);

    bool isNull() const { return m_path.isEmpty() && !m_image; }
    const QString& path() const { return m_path; }
    const imaging::RgbImage* image() const { return m_image.get(); }

private:
    QString m_path;
    std::shared_ptr<const imaging::RgbImage> m_image;
};

}  // namespace shutterhand
