#include "exif/exif_codes.h"

namespace shutterhand {

namespace {

struct Code {
    std::uint32_t value;
    const char* text;
};

template <std::size_t N> QByteArray describe(const Code (&codes)[N], std::uint32_t value, const char* otherwise)
{
    for (const Code& code : codes) {
        if (code.value == value)
            return QByteArray(code.text);
    }
    return QByteArray(otherwise);
}

}  // namespace

QByteArray OrientationDescription(std::uint8_t value)
{
    static const Code codes[] = {
        {1, "Normal"},
        {2, "Mirrored"},
        {3, "Rotated 180"},
        {4, "Rotated 180, mirrored"},
        {5, "Rotated 90 left, mirrored"},
        {6, "Rotated 90 right"},
        {7, "Rotated 90 right, mirrored"},
        {8, "Rotated 90 left"},
    };
    return describe(codes, value, "Unknown");
}

QByteArray ExposureProgramDescription(std::uint32_t value)
{
    static const Code codes[] = {
        {0, "Unknown"},           {1, "Manual Control"},   {2, "Normal Program"},
        {3, "Aperture Priority"}, {4, "Shutter Priority"}, {5, "Creative Program"},
        {6, "Action Program"},    {7, "Portrait Mode"},    {8, "Landscape Mode"},
    };
    return describe(codes, value, "Unknown");
}

QByteArray MeteringModeDescription(std::uint32_t value)
{
    static const Code codes[] = {
        {0, "Unknown"}, {1, "Average"}, {2, "Center Weighted Average"}, {3, "Spot"}, {4, "Multi Spot"}, {5, "Pattern"},
        {6, "Partial"}, {255, "Other"},
    };
    return describe(codes, value, "Unknown");
}

QByteArray LightSourceDescription(std::uint32_t value)
{
    // "Flourescent" is the text users have always seen; it stays as it is.
    static const Code codes[] = {
        {0, "Unknown"},
        {1, "Daylight"},
        {2, "Flourescent"},
        {3, "Tungsten"},
        {10, "Flash"},
        {17, "Standard Light A"},
        {18, "Standard Light B"},
        {19, "Standard Light C"},
        {20, "D55"},
        {21, "D65"},
        {22, "D75"},
        {255, "Other"},
    };
    return describe(codes, value, "Unknown");
}

QByteArray FlashDescription(std::uint32_t value)
{
    static const Code codes[] = {
        {0, "No Flash"}, {1, "Flash"}, {5, "Flash No Strobe"}, {7, "Flash Strobe"}, {25, "Flash (Auto)"},
    };
    return describe(codes, value, "No Flash");
}

}  // namespace shutterhand
