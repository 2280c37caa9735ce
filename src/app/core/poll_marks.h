#pragma once

#include <QString>

namespace shutterhand {

// What one poll tick found out about the connected camera: the battery icon and the ISO label.
struct PollMarks {
    bool battery = false;
    int batteryIcon = 0;  // index into the five battery icons, 0 full to 4 empty
    QString batteryHint;  // "85% Batterieleistung verfügbar"
    bool iso = false;
    QString isoText;  // "ISO 400"

    bool operator==(const PollMarks&) const = default;
};

// The icon for a battery level in percent: 75 and above 0, 50-74 1, 25-49 2, 10-24 3, below 10 4.
int batteryIconIndex(int percent);

// Takes one device property into the marks: "Exposure Index" sets the ISO label, "Battery Status" with
// an integer value the battery icon; every other property, and a battery value that is no integer,
// changes nothing.
void applyDeviceProperty(PollMarks& marks, const QString& name, const QString& value);

}  // namespace shutterhand
