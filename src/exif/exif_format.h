#pragma once

#include <QByteArray>

#include <cstdint>

namespace shutterhand {

// The conversions of an EXIF rational (unsigned numerator and denominator) into the texts users see.

// Numerator and denominator joined by "/", not reduced; "0" when the denominator is exactly 1000000.
QByteArray ExifFractionText(std::uint32_t numerator, std::uint32_t denominator);

// The quotient with two decimals and "." (whatever the locale), a tie rounded to the even text as C's
// printf does; then one final "0" is dropped ("4.0", "2.8", "2.85"). Empty for a zero denominator.
QByteArray ExifDecimalText(std::uint32_t numerator, std::uint32_t denominator);

// "1/" and 2 raised to the APEX value, rounded, then " seconds"; "1 seconds" from 65535 on; empty when
// the power cannot be represented.
QByteArray ExifShutterSpeedText(std::uint32_t numerator, std::uint32_t denominator);

}  // namespace shutterhand
