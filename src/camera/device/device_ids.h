#pragma once

#include <QString>

namespace shutterhand::wia {

// The identifiers of the device interface. They keep the GUID texts of the image-acquisition service
// the program was designed on, so that actions and the properties dialog show the same IDs everywhere.
inline const QString EventDeviceConnected = QStringLiteral("{A28BBADE-64B6-11D2-A231-00C04FA31809}");
inline const QString EventDeviceDisconnected = QStringLiteral("{143E4E83-6497-11D2-A231-00C04FA31809}");
inline const QString EventItemCreated = QStringLiteral("{4C8F4EF5-E14F-11D2-B326-00C04F68CE61}");
inline const QString EventTreeUpdated = QStringLiteral("{C9859B91-4AB2-4CD6-A1FC-582EEC55E585}");
inline const QString CommandTakePicture = QStringLiteral("{AF933CAC-ACAD-11D2-A093-00C04F72DC3C}");
inline const QString FormatJpeg = QStringLiteral("{B96B3CAE-0728-11D3-9D7B-0000F81EF32E}");

// The device registration of an event for every device.
inline const QString AllDevices = QStringLiteral("*");

// Property names the program compares.
inline const QString PropertyName = QStringLiteral("Name");
inline const QString PropertyExposureIndex = QStringLiteral("Exposure Index");
inline const QString PropertyBatteryStatus = QStringLiteral("Battery Status");

}  // namespace shutterhand::wia
