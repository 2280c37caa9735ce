#pragma once

#include "imaging/rgb_image.h"

#include <cstdint>
#include <vector>

namespace shutterhand::test {

// A smooth colour gradient with a little texture, so that encoded pictures have realistic content.
imaging::RgbImage gradientPicture(int width, int height);

// A JPEG in grey or CMYK (optionally inverted as Adobe writes them), encoded directly with libjpeg,
// since the project's encoder writes only YCbCr.
std::vector<std::uint8_t> greyJpeg(int width, int height, std::uint8_t level);
std::vector<std::uint8_t> cmykJpeg(int width, int height, const std::uint8_t cmyk[4]);

}  // namespace shutterhand::test
