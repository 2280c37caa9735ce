#pragma once

#include "camera/device/usb_match.h"

#include <gphoto2/gphoto2.h>

namespace shutterhand::gphoto {

// The USB devices attached now, from the kernel's device list (libudev); empty without one.
QList<UsbDeviceDescription> ListUsbDevices();

// The USB identifications of the camera library's drivers.
QList<UsbDriverEntry> UsbDriverEntries(CameraAbilitiesList* abilities);

}  // namespace shutterhand::gphoto
