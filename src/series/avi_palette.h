#pragma once

#include "imaging/rgb_image.h"

#include <array>
#include <cstdint>

namespace shutterhand {

// The fixed colour table of the 8-bit film frames: a 6 × 6 × 6 colour cube (levels 0, 51, ..., 255)
// followed by 40 further greys, so that neutral tones such as skies and walls get 46 grey levels.
struct AviColour {
    std::uint8_t red, green, blue;
};
const std::array<AviColour, 256>& AviPalette();

// The index of the table entry nearest to the colour (least squared distance in RGB).
std::uint8_t NearestAviColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Converts a picture of exactly the frame size into an 8-bit bottom-up DIB: rows from the last to the
// first, each `image.width` bytes (the width is a multiple of 16, so rows need no padding).
void ConvertToAviFrame(const imaging::RgbImage& image, std::uint8_t* out);

}  // namespace shutterhand
