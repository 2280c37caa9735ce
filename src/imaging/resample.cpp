#include "imaging/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace shutterhand::imaging {

namespace {

constexpr int WeightBits = 14;
constexpr int WeightOne = 1 << WeightBits;

// For each output position: the first source position and the fixed-point weights of the source
// positions from there on (they add up to WeightOne exactly).
struct Taps {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<std::int32_t> weights;  // `stride` entries per output position
    int stride = 0;
};

Taps computeTaps(int sourceSize, int targetSize)
{
    Taps taps;
    taps.first.resize(targetSize);
    taps.count.resize(targetSize);
    const double scale = static_cast<double>(sourceSize) / targetSize;
    taps.stride = scale > 1.0 ? static_cast<int>(std::ceil(scale)) + 2 : 2;
    taps.weights.assign(static_cast<std::size_t>(targetSize) * taps.stride, 0);
    std::vector<double> exact(taps.stride);

    for (int i = 0; i < targetSize; ++i) {
        int first = 0;
        int count = 0;
        std::fill(exact.begin(), exact.end(), 0.0);
        if (scale > 1.0) {
            // Area average over [start, end) in source pixels.
            const double start = i * scale;
            const double end = std::min<double>((i + 1) * scale, sourceSize);
            first = static_cast<int>(std::floor(start));
            const int last = std::min(sourceSize - 1, static_cast<int>(std::ceil(end)) - 1);
            count = std::min(last - first + 1, taps.stride);
            for (int k = 0; k < count; ++k) {
                const int j = first + k;
                exact[k] = std::max(0.0, std::min<double>(j + 1, end) - std::max<double>(j, start));
            }
        } else {
            // Linear interpolation between the two nearest source pixel centres.
            const double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, sourceSize - 1.0);
            first = std::min(static_cast<int>(centre), std::max(0, sourceSize - 2));
            const double fraction = centre - first;
            count = sourceSize > 1 ? 2 : 1;
            exact[0] = 1.0 - fraction;
            if (count == 2)
                exact[1] = fraction;
        }
        double total = 0;
        for (int k = 0; k < count; ++k)
            total += exact[k];
        std::int32_t* weights = &taps.weights[static_cast<std::size_t>(i) * taps.stride];
        int sum = 0;
        int largest = 0;
        for (int k = 0; k < count; ++k) {
            weights[k] = static_cast<std::int32_t>(std::lround(exact[k] / total * WeightOne));
            sum += weights[k];
            if (weights[k] > weights[largest])
                largest = k;
        }
        weights[largest] += WeightOne - sum;  // rounding left-over goes to the heaviest tap
        taps.first[i] = first;
        taps.count[i] = count;
    }
    return taps;
}

}  // namespace

RgbImage Resample(const RgbImage& source, int width, int height)
{
    if (source.width == width && source.height == height)
        return source;
    RgbImage target(width, height);
    const Taps across = computeTaps(source.width, width);
    const Taps down = computeTaps(source.height, height);

    // Horizontal pass into rows of 16-bit samples with 6 bits of fraction kept for the second pass.
    const std::size_t wideStride = static_cast<std::size_t>(width) * 3;
    std::vector<std::uint16_t> wide(wideStride * source.height);
    for (int y = 0; y < source.height; ++y) {
        const std::uint8_t* in = source.row(y);
        std::uint16_t* out = &wide[wideStride * y];
        for (int x = 0; x < width; ++x) {
            const std::int32_t* weights = &across.weights[static_cast<std::size_t>(x) * across.stride];
            const std::uint8_t* p = in + static_cast<std::size_t>(across.first[x]) * 3;
            std::int32_t r = 0, g = 0, b = 0;
            for (int k = 0; k < across.count[x]; ++k, p += 3) {
                r += p[0] * weights[k];
                g += p[1] * weights[k];
                b += p[2] * weights[k];
            }
            out[x * 3 + 0] = static_cast<std::uint16_t>((r + 128) >> 8);
            out[x * 3 + 1] = static_cast<std::uint16_t>((g + 128) >> 8);
            out[x * 3 + 2] = static_cast<std::uint16_t>((b + 128) >> 8);
        }
    }

    // Vertical pass, one output row at a time, accumulating whole source rows for cache locality.
    std::vector<std::int32_t> sum(wideStride);
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0);
        const std::int32_t* weights = &down.weights[static_cast<std::size_t>(y) * down.stride];
        for (int k = 0; k < down.count[y]; ++k) {
            const std::uint16_t* in = &wide[wideStride * (down.first[y] + k)];
            const std::int32_t w = weights[k];
            for (std::size_t i = 0; i < wideStride; ++i)
                sum[i] += in[i] * w;
        }
        std::uint8_t* out = target.row(y);
        for (std::size_t i = 0; i < wideStride; ++i)
            out[i] = static_cast<std::uint8_t>(std::clamp((sum[i] + (1 << 19)) >> 20, 0, 255));
    }
    return target;
}

void Blit(const RgbImage& picture, RgbImage& canvas, int x, int y)
{
    const int left = std::max(0, x);
    const int right = std::min(canvas.width, x + picture.width);
    if (left >= right)
        return;
    for (int row = std::max(0, y); row < std::min(canvas.height, y + picture.height); ++row) {
        std::memcpy(canvas.row(row) + static_cast<std::size_t>(left) * 3,
                    picture.row(row - y) + static_cast<std::size_t>(left - x) * 3,
                    static_cast<std::size_t>(right - left) * 3);
    }
}

}  // namespace shutterhand::imaging
