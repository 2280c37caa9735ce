#include "series/avi_palette.h"

#include <cstdlib>

namespace shutterhand {

namespace {

constexpr int CubeStep = 51;
constexpr int GreyCount = 46;  // all grey levels k × 255 / 45; six of them are cube colours

int greyLevel(int k) { return (k * 255 + 22) / 45; }

struct Tables {
    std::array<AviColour, 256> palette{};
    std::array<std::uint8_t, GreyCount> greyIndex{};   // palette index of each grey level
    std::array<std::uint8_t, 766> nearestGrey{};       // grey level k nearest to the mean, by r + g + b
    std::array<std::uint8_t, 766> nearestGreyLevel{};  // that grey level's value
    // Per channel value: the offset of its nearest cube level in a palette index (36, 6 or 1 times the
    // level's number, by channel) and the squared distance to that level.
    std::array<std::uint8_t, 256> cubeRed{}, cubeGreen{}, cubeBlue{};
    std::array<std::uint16_t, 256> cubeError{};

    Tables()
    {
        int next = 0;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    palette[next++]
                        = {std::uint8_t(r * CubeStep), std::uint8_t(g * CubeStep), std::uint8_t(b * CubeStep)};
        for (int k = 0; k < GreyCount; ++k) {
            const int level = greyLevel(k);
            if (level % CubeStep == 0) {
                const int step = level / CubeStep;
                greyIndex[k] = std::uint8_t(step * 36 + step * 6 + step);
            } else {
                greyIndex[k] = std::uint8_t(next);
                palette[next++] = {std::uint8_t(level), std::uint8_t(level), std::uint8_t(level)};
            }
        }
        for (int sum = 0; sum < 766; ++sum) {
            int best = 0;
            for (int k = 1; k < GreyCount; ++k) {
                if (std::abs(3 * greyLevel(k) - sum) < std::abs(3 * greyLevel(best) - sum))
                    best = k;
            }
            nearestGrey[sum] = std::uint8_t(best);
            nearestGreyLevel[sum] = std::uint8_t(greyLevel(best));
        }
        for (int value = 0; value < 256; ++value) {
            const int level = (value + 25) / CubeStep;
            cubeRed[value] = std::uint8_t(level * 36);
            cubeGreen[value] = std::uint8_t(level * 6);
            cubeBlue[value] = std::uint8_t(level);
            cubeError[value] = std::uint16_t((value - level * CubeStep) * (value - level * CubeStep));
        }
    }
};

const Tables& tables()
{
    static const Tables instance;
    return instance;
}

inline int square(int v) { return v * v; }

inline std::uint8_t nearest(const Tables& t, int r, int g, int b)
{
    // The cube is separable: the nearest level per channel gives the nearest cube colour.
    const int cubeDistance = t.cubeError[r] + t.cubeError[g] + t.cubeError[b];
    // Among greys, the one nearest to the mean of the three channels is the nearest.
    const int sum = r + g + b;
    const int level = t.nearestGreyLevel[sum];
    const int greyDistance = square(r - level) + square(g - level) + square(b - level);
    return greyDistance < cubeDistance ? t.greyIndex[t.nearestGrey[sum]]
                                       : std::uint8_t(t.cubeRed[r] + t.cubeGreen[g] + t.cubeBlue[b]);
}

}  // namespace

const std::array<AviColour, 256>& AviPalette() { return tables().palette; }

std::uint8_t NearestAviColour(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return nearest(tables(), red, green, blue);
}

void ConvertToAviFrame(const imaging::RgbImage& image, std::uint8_t* out)
{
    const Tables& t = tables();
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* in = image.row(y);
        for (int x = 0; x < image.width; ++x, in += 3)
            *out++ = nearest(t, in[0], in[1], in[2]);
    }
}

}  // namespace shutterhand
