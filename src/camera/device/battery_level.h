#pragma once

#include <QString>

#include <optional>

namespace shutterhand {

// The numeric range a camera gives for its battery setting, when it gives one.
struct BatteryRange {
    double minimum = 0;
    double maximum = 0;
    bool known() const { return maximum > minimum; }
};

// The battery level as a whole percentage (0 to 100) from what a camera reports: "85%", "85 %",
// "2/3", a bare level within `range` (or 0 to 3 without one), or words such as "Full" or "Low".
// None when the text says nothing about the level.
std::optional<int> BatteryPercent(const QString& text, BatteryRange range = {});

}  // namespace shutterhand
