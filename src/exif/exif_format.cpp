#include "exif/exif_format.h"

#include <charconv>
#include <cmath>

namespace shutterhand {

namespace {

// The quotient as a floating-point number; 0 for a zero denominator.
double quotient(std::uint32_t numerator, std::uint32_t denominator)
{
    return denominator == 0 ? 0.0 : static_cast<double>(numerator) / denominator;
}

}  // namespace

QByteArray ExifFractionText(std::uint32_t numerator, std::uint32_t denominator)
{
    if (denominator == 1000000)
        return QByteArrayLiteral("0");
    return QByteArray::number(numerator) + '/' + QByteArray::number(denominator);
}

QByteArray ExifDecimalText(std::uint32_t numerator, std::uint32_t denominator)
{
    if (denominator == 0)
        return {};
    // std::to_chars rounds the exact binary value correctly, ties to even, like printf("%.2f") in the
    // C locale, and never uses the user's decimal comma.
    char text[32];
    const auto result
        = std::to_chars(text, text + sizeof text, quotient(numerator, denominator), std::chars_format::fixed, 2);
    std::size_t length = static_cast<std::size_t>(result.ptr - text);
    if (length > 0 && text[length - 1] == '0')
        --length;
    return QByteArray(text, static_cast<qsizetype>(length));
}

QByteArray ExifShutterSpeedText(std::uint32_t numerator, std::uint32_t denominator)
{
    const double value = quotient(numerator, denominator);
    if (value >= 65535.0)
        return QByteArrayLiteral("1 seconds");
    // Beyond 2^63 the whole number of the denominator no longer fits: the text stays empty.
    const double power = std::nearbyint(std::exp2(value));
    if (!(power < 9223372036854775808.0))
        return {};
    return "1/" + QByteArray::number(static_cast<qint64>(power)) + " seconds";
}

}  // namespace shutterhand
