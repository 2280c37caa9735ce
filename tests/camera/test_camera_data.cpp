// What cameras and settings tell: battery levels, network camera ports, camera file names and the
// USB identification of cameras.

#include "camera/device/battery_level.h"
#include "camera/device/camera_ports.h"
#include "camera/device/file_names.h"
#include "camera/device/usb_match.h"

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

TEST(CameraFileNames, StayInTheirFolder)
{
    const std::pair<const char*, const char*> cases[] = {
        {"IMG_0001.JPG", "IMG_0001.JPG"},
        {"../../etc/passwd", "passwd"},
        {"DCIM\\100\\A.JPG", "A.JPG"},
        {"..", "picture.jpg"},
        {"", "picture.jpg"},
        {"a/", "picture.jpg"},
        {"x\ny.jpg", "x_y.jpg"},
        {" spaced.jpg ", "spaced.jpg"},
    };
    for (const auto& [camera, local] : cases)
        EXPECT_EQ(SafeLocalFileName(QString::fromUtf8(camera)), QString::fromUtf8(local)) << camera;
    EXPECT_EQ(SafeLocalFileName(QString(300, u'\u00e4')).toUtf8().size(), 254);
}

TEST(UsbCameras, MatchByIdsThenByStillImageClass)
{
    const QList<UsbDriverEntry> drivers = {
        {"Mass Storage Thing", 0, 0, 8, -1, -1},
        {"USB PTP Class Camera", 0, 0, 6, 1, 1},
        {"Nikon DSC D750", 0x04b0, 0x0440, 0, -1, -1},
    };
    using Interface = UsbDeviceDescription::Interface;
    const UsbDeviceDescription nikon{1, 5, 0x04b0, 0x0440, {{0, 0, 0}, {6, 1, 1}}};
    const UsbDeviceDescription generic{2, 17, 0x1234, 0x0001, {{0, 0, 0}, {6, 1, 1}}};
    const UsbDeviceDescription stick{1, 6, 0x0781, 0x5567, {{0, 0, 0}, {8, 6, 80}}};
    const UsbDeviceDescription otherProtocol{1, 7, 0x1111, 0x2222, {{0, 0, 0}, Interface{6, 1, 2}}};
    EXPECT_EQ(MatchUsbCamera(nikon, drivers), QStringLiteral("Nikon DSC D750"));
    EXPECT_EQ(MatchUsbCamera(generic, drivers), QStringLiteral("USB PTP Class Camera"));
    EXPECT_EQ(MatchUsbCamera(stick, drivers), QString());
    EXPECT_EQ(MatchUsbCamera(otherProtocol, drivers), QString());
    EXPECT_EQ(UsbPortPath(generic), QStringLiteral("usb:002,017"));
}

}  // namespace
