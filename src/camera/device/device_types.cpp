#include "camera/device/device_types.h"

#include "camera/device/device_ids.h"

namespace shutterhand {

bool CameraFile::isJpeg() const
{
    if (mimeType.compare(QLatin1String("image/jpeg"), Qt::CaseInsensitive) == 0)
        return true;
    // Some drivers leave the type empty or generic; the name then decides.
    if (!mimeType.isEmpty() && !mimeType.startsWith(QLatin1String("application/octet-stream")))
        return false;
    return name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive)
        || name.endsWith(QLatin1String(".jpeg"), Qt::CaseInsensitive);
}

QString DeviceInfo::name() const
{
    for (const DeviceProperty& property : Properties) {
        if (property.Name == wia::PropertyName)
            return property.Value;
    }
    return {};
}

QList<DeviceEventInfo> standardDeviceEvents()
{
    return {
        {wia::EventDeviceConnected, QStringLiteral("Device Connected")},
        {wia::EventDeviceDisconnected, QStringLiteral("Device Disconnected")},
        {wia::EventItemCreated, QStringLiteral("Item Created")},
        {wia::EventTreeUpdated, QStringLiteral("Item Tree Updated")},
    };
}

DeviceCommandInfo takePictureCommand() { return {wia::CommandTakePicture, QStringLiteral("Take Picture")}; }

}  // namespace shutterhand
