#include "app/core/poll_marks.h"

#include <QRegularExpression>

namespace shutterhand {

int batteryIconIndex(int percent)
{
    if (percent >= 75)
        return 0;
    if (percent >= 50)
        return 1;
    if (percent >= 25)
        return 2;
    if (percent >= 10)
        return 3;
    return 4;
}

void applyDeviceProperty(PollMarks& marks, const QString& name, const QString& value)
{
    if (name == QLatin1String("Exposure Index")) {
        marks.iso = true;
        marks.isoText = QStringLiteral("ISO ") + value;
    } else if (name == QLatin1String("Battery Status")) {
        static const QRegularExpression integer(QStringLiteral(R"(^\s*[+-]?\d{1,9}\s*$)"));
        if (!integer.match(value).hasMatch())
            return;
        const int percent = value.trimmed().toInt();
        marks.battery = true;
        marks.batteryIcon = batteryIconIndex(percent);
        marks.batteryHint = QString::number(percent) + QStringLiteral("% Batterieleistung verfügbar");
    }
}

}  // namespace shutterhand
