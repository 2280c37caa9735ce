#pragma once

#include "camera/device/device_types.h"

namespace shutterhand {

// Something the camera reported between commands.
struct DriverEvent {
    enum class Kind {
        None,             // nothing happened within the wait
        FileAdded,        // a new file is on the camera: `file`
        TreeChanged,      // folders or files changed otherwise
        PropertyChanged,  // a setting changed on the camera
    };
    Kind kind = Kind::None;
    CameraFile file;
};

// The blocking operations on one camera. A driver is created on the UI thread, then handed to that
// camera's worker thread, which alone calls it from then on (camera libraries are not thread-safe per
// camera). Every call may block for as long as the camera needs; the worker keeps the UI thread free.
class CameraDriver {
public:
    virtual ~CameraDriver() = default;

    // Opens the camera and describes it: properties, commands and events.
    virtual DeviceResult<DeviceDescription> open() = 0;
    // The pictures on the open camera, in the camera's order.
    virtual DeviceResult<QList<CameraFile>> listFiles() = 0;
    // Starts a release. Returns once the camera has accepted (or refused) it; the picture itself is
    // reported later by waitForEvent.
    virtual DeviceStatus triggerCapture() = 0;
    // The current values of every property, in the order of open()'s description.
    virtual DeviceResult<QList<DeviceProperty>> readProperties() = 0;
    virtual DeviceStatus deleteFile(const CameraFile& file) = 0;
    // Waits up to `timeoutMs` for the camera's next event; Kind::None when there was none.
    virtual DeviceResult<DriverEvent> waitForEvent(int timeoutMs) = 0;
    // Copies the file from the camera into `targetPath` (a new file).
    virtual DeviceStatus download(const CameraFile& file, const QString& targetPath) = 0;
    // Closes the camera; the driver is not used again.
    virtual void close() = 0;
};

}  // namespace shutterhand
