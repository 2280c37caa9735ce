#include "camera/device/battery_level.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace shutterhand {

namespace {

int clampPercent(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 100.0)));
}

// Level words as camera drivers report them, from full to empty. A camera on mains power counts as full.
struct LevelWord {
    const char* word;
    int percent;
};
constexpr LevelWord kWords[] = {
    {"full", 100}, {"ac", 100},      {"ac power", 100}, {"ac adapter", 100}, {"external", 100},
    {"high", 80},  {"normal", 75},   {"good", 75},      {"medium", 50},      {"half", 50},
    {"low", 20},   {"very low", 10}, {"critical", 5},   {"empty", 0},        {"exhausted", 0},
};

}  // namespace

std::optional<int> BatteryPercent(const QString& text, BatteryRange range)
{
    const QString value = text.simplified();
    if (value.isEmpty())
        return std::nullopt;

    static const QRegularExpression percent(QStringLiteral(R"(^(\d{1,6}(?:[.,]\d{1,6})?)\s?%$)"));
    if (const auto match = percent.match(value); match.hasMatch())
        return clampPercent(match.captured(1).replace(u',', u'.').toDouble());

    static const QRegularExpression fraction(QStringLiteral(R"(^(\d{1,6})\s?/\s?(\d{1,6})$)"));
    if (const auto match = fraction.match(value); match.hasMatch()) {
        const double denominator = match.captured(2).toDouble();
        if (denominator <= 0)
            return std::nullopt;
        return clampPercent(match.captured(1).toDouble() * 100.0 / denominator);
    }

    static const QRegularExpression number(QStringLiteral(R"(^-?\d{1,9}(?:\.\d{1,6})?$)"));
    if (number.match(value).hasMatch()) {
        const double level = value.toDouble();
        if (range.known())
            return clampPercent((level - range.minimum) * 100.0 / (range.maximum - range.minimum));
        // Without a range, a bare number of 0 to 3 is one of the four levels simple cameras report;
        // anything larger is taken as a percentage.
        if (level >= 0 && level <= 3 && level == std::floor(level))
            return clampPercent(level * 100.0 / 3.0);
        return clampPercent(level);
    }

    const QString lower = value.toLower();
    for (const LevelWord& entry : kWords) {
        if (lower == QLatin1String(entry.word))
            return entry.percent;
    }
    return std::nullopt;
}

}  // namespace shutterhand
