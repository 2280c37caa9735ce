#pragma once

#include "camera/device/device.h"
#include "camera/device/device_backend.h"
#include "camera/device/device_timings.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace shutterhand {

class WorkerPark;

// What the device service is started with.
struct DeviceServiceSettings {
    bool simulated = false;    // list the simulated camera
    QStringList networkPorts;  // network cameras to probe, e.g. "ptpip:192.168.1.20"
    QString stagingDir;        // where new pictures are copied off the camera ("tmp/" of the program)
    bool usbCameras = true;    // look for USB cameras (off in tests that must see only their own)
};

using BackendFactory = std::function<std::vector<std::unique_ptr<DeviceBackend>>(const DeviceServiceSettings&)>;

// The backends of the program: the simulated camera when asked for, and the camera library's cameras.
std::vector<std::unique_ptr<DeviceBackend>> defaultBackends(const DeviceServiceSettings& settings);

// The device manager: the list of attached devices, connecting to one of them, and the device events,
// which it delivers as OnEvent on the UI thread to whoever registered them.
class DeviceManager : public QObject {
    Q_OBJECT

public:
    explicit DeviceManager(BackendFactory factory = defaultBackends, DeviceTimings timings = {},
                           QObject* parent = nullptr);
    ~DeviceManager() override;

    // Attaches to the service: the first call starts the backends with `settings`; later calls only
    // switch event delivery on again.
    void Connect(const DeviceServiceSettings& settings);
    // Ends every event registration; the list of devices is kept up to date all the same.
    void Disconnect();
    bool isConnected() const { return m_connected; }
    // Delivers the event (an ID of device_ids.h) of every device ("*") until the next Disconnect.
    void RegisterEvent(const QString& eventId, const QString& deviceId = QStringLiteral("*"));

    // The attached devices, in the order of the backends. The first call after start waits (running the
    // event loop, at most a few seconds) until every backend has looked for its devices once.
    QList<DeviceInfo> DeviceInfos();
    // Connects a listed device; waits, running the event loop, until it is open or has failed.
    DeviceResult<std::shared_ptr<Device>> ConnectDevice(const QString& deviceId);
    // Asks the device's backend to free it from another program.
    bool ReleaseClaim(const QString& deviceId);

    // Releases the service at the end of the program: waits a bounded time for the cameras' threads.
    void shutdown(int timeoutMs = 5000);

    const DeviceServiceSettings& settings() const { return m_settings; }
    const DeviceTimings& timings() const { return m_timings; }
    int runningWorkers() const;

signals:
    void OnEvent(const QString& eventId, const QString& deviceId, const QString& itemId);

private:
    void onDevicesChanged(DeviceBackend* backend, const QList<DeviceInfo>& devices);
    void deviceGone(const QString& deviceId);
    void deliver(const QString& eventId, const QString& deviceId, const QString& itemId = {});
    DeviceBackend* backendOf(const QString& deviceId) const;
    void watch(const std::shared_ptr<Device>& device, DeviceBackend* backend);

    BackendFactory m_factory;
    DeviceTimings m_timings;
    DeviceServiceSettings m_settings;
    std::vector<std::unique_ptr<DeviceBackend>> m_backends;
    QMap<DeviceBackend*, QList<DeviceInfo>> m_lists;
    QSet<DeviceBackend*> m_scanned;
    QSet<QString> m_registered;
    QMap<QString, QPointer<Device>> m_devices;  // the connected devices by ID
    std::shared_ptr<WorkerPark> m_park;
    bool m_started = false;
    bool m_connected = false;
    bool m_waitedForScan = false;
    bool m_listShown = false;  // someone has seen the list: changes to it are news from now on
};

}  // namespace shutterhand
