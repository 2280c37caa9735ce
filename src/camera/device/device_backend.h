#pragma once

#include "camera/device/camera_driver.h"

#include <QObject>

#include <memory>

namespace shutterhand {

// One source of cameras (the camera library, the simulated camera). It keeps the list of attached
// devices current and makes the drivers that connect to them. Lives on the UI thread.
class DeviceBackend : public QObject {
    Q_OBJECT

public:
    // Starts looking for devices; the first complete list comes as devicesChanged().
    virtual void start() = 0;
    // A driver for a listed device, to be opened on its worker thread; null for an unknown ID.
    virtual std::unique_ptr<CameraDriver> createDriver(const QString& deviceId) = 0;
    // A connection to the device has been opened (true) or closed (false). Backends that probe devices
    // leave a connected one alone.
    virtual void setConnected(const QString& deviceId, bool connected) = 0;
    // The connection to the device broke; the backend forgets what it knew and looks for it anew.
    virtual void deviceLost(const QString& deviceId) = 0;
    // Frees a device that another program holds; true when that worked.
    virtual bool releaseClaim(const QString& deviceId) = 0;

signals:
    // The complete list of this backend's devices, in its own order.
    void devicesChanged(const QList<shutterhand::DeviceInfo>& devices);
};

}  // namespace shutterhand

Q_DECLARE_METATYPE(shutterhand::DeviceInfo)
