#pragma once

#include "imaging/imaging_result.h"
#include "imaging/rgb_image.h"

#include <cstdint>
#include <vector>

namespace shutterhand::imaging {

// Encodes a baseline JPEG (YCbCr 4:2:0) at `quality` on the usual scale of 1 to 100.
Result<std::vector<std::uint8_t>> EncodeJpeg(const RgbImage& image, int quality);

}  // namespace shutterhand::imaging
