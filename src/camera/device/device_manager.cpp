#include "camera/device/device_manager.h"

#include "camera/device/device_ids.h"
#include "camera/device/worker_park.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcDeviceManager, "shutterhand.camera.manager", QtInfoMsg)

namespace shutterhand {

namespace {

// How long the first look at the device list may wait for the backends: network cameras that have not
// answered by then are listed later, with a device-connected event.
constexpr int kFirstScanWaitMs = 8000;

}  // namespace

DeviceManager::DeviceManager(BackendFactory factory, DeviceTimings timings, QObject* parent)
    : QObject(parent)
    , m_factory(std::move(factory))
    , m_timings(timings)
    , m_park(std::make_shared<WorkerPark>())
{ }

DeviceManager::~DeviceManager() { shutdown(); }

void DeviceManager::Connect(const DeviceServiceSettings& settings)
{
    m_connected = true;
    if (m_started)
        return;
    m_started = true;
    m_settings = settings;
    m_backends = m_factory(settings);
    for (const auto& backend : m_backends) {
        DeviceBackend* raw = backend.get();
        connect(raw, &DeviceBackend::devicesChanged, this,
                [this, raw](const QList<DeviceInfo>& devices) { onDevicesChanged(raw, devices); });
        raw->start();
    }
}

void DeviceManager::Disconnect()
{
    m_connected = false;
    m_registered.clear();
}

void DeviceManager::RegisterEvent(const QString& eventId, const QString& deviceId)
{
    if (!m_connected)
        return;
    // Every caller of the program registers for all devices; a single device's registration would
    // need the ID kept beside the event, which nothing asks for.
    Q_UNUSED(deviceId)
    m_registered.insert(eventId);
}

QList<DeviceInfo> DeviceManager::DeviceInfos()
{
    if (!m_waitedForScan && m_started) {
        m_waitedForScan = true;
        if (m_scanned.size() < static_cast<qsizetype>(m_backends.size())) {
            QEventLoop loop;
            QTimer tick;
            connect(&tick, &QTimer::timeout, &loop, [&] {
                if (m_scanned.size() >= static_cast<qsizetype>(m_backends.size()))
                    loop.quit();
            });
            tick.start(10);
            QTimer::singleShot(kFirstScanWaitMs, &loop, &QEventLoop::quit);
            loop.exec();
        }
    }
    m_listShown = true;
    QList<DeviceInfo> all;
    for (const auto& backend : m_backends)
        all += m_lists.value(backend.get());
    return all;
}

DeviceBackend* DeviceManager::backendOf(const QString& deviceId) const
{
    for (const auto& backend : m_backends) {
        for (const DeviceInfo& info : m_lists.value(backend.get())) {
            if (info.DeviceID == deviceId)
                return backend.get();
        }
    }
    return nullptr;
}

DeviceResult<std::shared_ptr<Device>> DeviceManager::ConnectDevice(const QString& deviceId)
{
    DeviceBackend* backend = backendOf(deviceId);
    if (!backend)
        return deviceError(DeviceErrorKind::Lost, QStringLiteral("Die Kamera ist nicht mehr angeschlossen."));
    if (m_devices.value(deviceId))
        return deviceError(DeviceErrorKind::Failed, QStringLiteral("Die Kamera ist schon verbunden."));
    // A camera that was just closed may still be letting go of its connection.
    if (!m_park->waitForDevice(deviceId, m_timings.openMs))
        return deviceError(DeviceErrorKind::TimedOut, QStringLiteral("Die vorige Verbindung zur Kamera endet nicht."));
    backend = backendOf(deviceId);  // the list may have changed meanwhile
    std::unique_ptr<CameraDriver> driver = backend ? backend->createDriver(deviceId) : nullptr;
    if (!driver)
        return deviceError(DeviceErrorKind::Lost, QStringLiteral("Die Kamera ist nicht mehr angeschlossen."));

    auto device = std::make_shared<Device>(deviceId, std::move(driver), m_settings.stagingDir, m_timings, m_park);
    watch(device, backend);
    const DeviceStatus opened = device->waitUntilOpen();
    if (!opened.ok())
        return opened.error();
    return device;
}

void DeviceManager::watch(const std::shared_ptr<Device>& device, DeviceBackend* backend)
{
    const QString id = device->DeviceID();
    Device* raw = device.get();
    m_devices.insert(id, raw);
    backend->setConnected(id, true);
    // Device signals are taken up through the event loop, so that whoever handles the event may drop
    // the device without pulling it from under its own signal.
    const QPointer<Device> guarded(raw);
    connect(
        raw, &Device::itemCreated, this,
        [this, id, guarded](const QString& itemId) {
            deliver(wia::EventItemCreated, id, itemId);
            if (guarded)
                guarded->finishItemEvent(itemId);
        },
        Qt::QueuedConnection);
    connect(
        raw, &Device::treeUpdated, this, [this, id] { deliver(wia::EventTreeUpdated, id); }, Qt::QueuedConnection);
    connect(
        raw, &Device::lost, this, [this, id] { deviceGone(id); }, Qt::QueuedConnection);
    const QPointer<DeviceBackend> owner(backend);
    connect(raw, &QObject::destroyed, this, [this, id, raw, owner] {
        if (m_devices.value(id) == raw || m_devices.value(id).isNull())
            m_devices.remove(id);
        if (owner)
            owner->setConnected(id, false);
    });
}

bool DeviceManager::ReleaseClaim(const QString& deviceId)
{
    DeviceBackend* backend = backendOf(deviceId);
    return backend && backend->releaseClaim(deviceId);
}

void DeviceManager::onDevicesChanged(DeviceBackend* backend, const QList<DeviceInfo>& devices)
{
    const QList<DeviceInfo> before = m_lists.value(backend);
    m_lists.insert(backend, devices);
    const bool firstList = !m_scanned.contains(backend);
    m_scanned.insert(backend);
    // The devices found before anyone looked at the list are part of it, not arrivals.
    if (firstList && !m_listShown)
        return;
    const auto ids = [](const QList<DeviceInfo>& list) {
        QStringList out;
        for (const DeviceInfo& info : list)
            out.append(info.DeviceID);
        return out;
    };
    const QStringList oldIds = ids(before);
    const QStringList newIds = ids(devices);
    for (const QString& id : oldIds) {
        if (!newIds.contains(id))
            deliver(wia::EventDeviceDisconnected, id);
    }
    for (const QString& id : newIds) {
        if (!oldIds.contains(id))
            deliver(wia::EventDeviceConnected, id);
    }
}

void DeviceManager::deviceGone(const QString& deviceId)
{
    DeviceBackend* backend = backendOf(deviceId);
    if (!backend)
        return;  // already gone from the list, and announced then
    QList<DeviceInfo>& list = m_lists[backend];
    list.removeIf([&](const DeviceInfo& info) { return info.DeviceID == deviceId; });
    backend->deviceLost(deviceId);
    deliver(wia::EventDeviceDisconnected, deviceId);
}

void DeviceManager::deliver(const QString& eventId, const QString& deviceId, const QString& itemId)
{
    qCDebug(lcDeviceManager) << "event" << eventId << deviceId << itemId;
    if (m_connected && m_registered.contains(eventId))
        emit OnEvent(eventId, deviceId, itemId);
}

int DeviceManager::runningWorkers() const { return m_park->running(); }

void DeviceManager::shutdown(int timeoutMs)
{
    Disconnect();
    m_park->joinAll(timeoutMs);
}

}  // namespace shutterhand
