#include "camera/device/usb_match.h"

namespace shutterhand {

namespace {

// The USB class of still-image devices (PTP cameras).
constexpr int kStillImageClass = 6;

bool classMatches(const UsbDeviceDescription::Interface& iface, const UsbDriverEntry& driver)
{
    return iface.cls == driver.cls && (driver.subclass == -1 || iface.subclass == driver.subclass)
        && (driver.protocol == -1 || iface.protocol == driver.protocol);
}

}  // namespace

QString MatchUsbCamera(const UsbDeviceDescription& device, const QList<UsbDriverEntry>& drivers)
{
    for (const UsbDriverEntry& driver : drivers) {
        if (driver.vendor != 0 && driver.vendor == device.vendor && driver.product == device.product)
            return driver.model;
    }
    for (const UsbDriverEntry& driver : drivers) {
        if (driver.cls != kStillImageClass)
            continue;
        for (const UsbDeviceDescription::Interface& iface : device.interfaces) {
            if (classMatches(iface, driver))
                return driver.model;
        }
    }
    return {};
}

QString UsbPortPath(const UsbDeviceDescription& device)
{
    return QStringLiteral("usb:%1,%2")
        .arg(device.bus, 3, 10, QLatin1Char('0'))
        .arg(device.device, 3, 10, QLatin1Char('0'));
}

}  // namespace shutterhand
