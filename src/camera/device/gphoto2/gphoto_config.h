#pragma once

#include "camera/device/device_types.h"

#include <gphoto2/gphoto2.h>

namespace shutterhand::gphoto {

// What the configuration tree says about the camera itself.
struct CameraIdentity {
    QString model;  // as the camera reports it (the device information of a PTP camera)
    QString serialNumber;
    QString manufacturer;
};

CameraIdentity ReadIdentity(CameraWidget* root);

// The camera's settings as device properties: "Name" first (the camera's own model name, or
// `fallbackName` when it reports none), then every setting of the tree in its order, with the battery
// level as "Battery Status" (a whole percentage where the camera's text allows) and the ISO as
// "Exposure Index". The "actions" branch holds commands, not settings, and is left out.
QList<DeviceProperty> PropertiesFromConfig(CameraWidget* root, const QString& fallbackName);

}  // namespace shutterhand::gphoto
