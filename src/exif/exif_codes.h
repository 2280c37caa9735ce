#pragma once

#include <QByteArray>

#include <cstdint>

namespace shutterhand {

// The descriptions of the coded EXIF values, by the value as stored.
QByteArray OrientationDescription(std::uint8_t value);
QByteArray ExposureProgramDescription(std::uint32_t value);
QByteArray MeteringModeDescription(std::uint32_t value);
QByteArray LightSourceDescription(std::uint32_t value);
QByteArray FlashDescription(std::uint32_t value);

}  // namespace shutterhand
