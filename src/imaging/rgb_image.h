#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace shutterhand::imaging {

// A picture of 8-bit red, green and blue samples, rows top to bottom without padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height * 3 bytes

    RgbImage() = default;
    RgbImage(int w, int h)
        : width(w)
        , height(h)
        , pixels(static_cast<std::size_t>(w) * h * 3)
    { }

    std::size_t stride() const { return static_cast<std::size_t>(width) * 3; }
    std::uint8_t* row(int y) { return pixels.data() + stride() * y; }
    const std::uint8_t* row(int y) const { return pixels.data() + stride() * y; }
    bool empty() const { return width <= 0 || height <= 0; }
};

}  // namespace shutterhand::imaging
