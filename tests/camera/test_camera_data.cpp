// What cameras and settings say as text: battery levels and the network camera ports.

#include "camera/device/battery_level.h"
#include "camera/device/camera_ports.h"

#include <gtest/gtest.h>

using namespace shutterhand;

namespace {

struct BatteryCase {
    const char* text;
    BatteryRange range;
    int percent;  // -1: no level
};

class BatteryLevel : public testing::TestWithParam<BatteryCase> { };

TEST_P(BatteryLevel, BecomesAPercentage)
{
    const BatteryCase& c = GetParam();
    const std::optional<int> percent = BatteryPercent(QString::fromUtf8(c.text), c.range);
    if (c.percent < 0)
        EXPECT_FALSE(percent.has_value()) << c.text;
    else
        EXPECT_EQ(percent.value_or(-1), c.percent) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    CameraTexts, BatteryLevel,
    testing::Values(BatteryCase{"85%", {}, 85}, BatteryCase{" 100 % ", {}, 100}, BatteryCase{"42.6%", {}, 43},
                    BatteryCase{"250%", {}, 100}, BatteryCase{"2/3", {}, 67}, BatteryCase{"3/0", {}, -1},
                    BatteryCase{"Full", {}, 100}, BatteryCase{"low", {}, 20}, BatteryCase{"AC Power", {}, 100},
                    BatteryCase{"Empty", {}, 0}, BatteryCase{"0", {}, 0}, BatteryCase{"2", {}, 67},
                    BatteryCase{"3", {}, 100}, BatteryCase{"60", {}, 60}, BatteryCase{"2", {0, 4}, 50},
                    BatteryCase{"150", {100, 200}, 50}, BatteryCase{"-5", {}, 0}, BatteryCase{"", {}, -1},
                    BatteryCase{"unknown", {}, -1}, BatteryCase{"85%%", {}, -1}));

TEST(CameraPorts, KeepsNetworkPortsAndRejectsTheRest)
{
    const CameraPortList list = ParseCameraPorts(
        QStringLiteral(" ptpip:192.168.1.20 ;ptpip:127.0.0.1:15741;PTPIP:cam.local:1:2,, usb:001,002;ptpip:10.0.0.1:0;"
                       "ptpip:192.168.1.20;ptpip:-bad;ptpip:1.2.3.4:70000:1\nptpip:"));
    EXPECT_EQ(list.ports, (QStringList{"ptpip:192.168.1.20", "ptpip:127.0.0.1:15741:15741", "ptpip:cam.local:1:2"}));
    EXPECT_EQ(list.rejected,
              (QStringList{"usb:001", "002", "ptpip:10.0.0.1:0", "ptpip:-bad", "ptpip:1.2.3.4:70000:1", "ptpip:"}));
}

TEST(CameraPorts, EmptyValueListsNothing)
{
    EXPECT_TRUE(ParseCameraPorts(QString()).ports.isEmpty());
    EXPECT_TRUE(ParseCameraPorts(QStringLiteral(" ; ;")).rejected.isEmpty());
}

}  // namespace
