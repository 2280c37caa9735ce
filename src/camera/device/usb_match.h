#pragma once

#include <QList>
#include <QString>

namespace shutterhand {

// A USB device as the kernel describes it.
struct UsbDeviceDescription {
    int bus = 0;
    int device = 0;
    int vendor = 0;
    int product = 0;
    struct Interface {
        int cls = 0, subclass = 0, protocol = 0;
    };
    QList<Interface> interfaces;  // the device's own class counts as one more
};

// A camera driver's USB identification, as the camera library's driver list gives it: vendor and
// product IDs, or a device class (subclass and protocol -1 for any).
struct UsbDriverEntry {
    QString model;
    int vendor = 0, product = 0;
    int cls = 0, subclass = -1, protocol = -1;
};

// The driver model for a USB device: the entry with its vendor and product IDs, else the first entry
// whose class matches the device or one of its interfaces (still-image class only: a memory stick or a
// hub is no camera). Empty when no driver fits.
QString MatchUsbCamera(const UsbDeviceDescription& device, const QList<UsbDriverEntry>& drivers);

// The camera library's port path of a USB device ("usb:001,005").
QString UsbPortPath(const UsbDeviceDescription& device);

}  // namespace shutterhand
