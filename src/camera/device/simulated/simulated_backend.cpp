#include "camera/device/simulated/simulated_backend.h"

#include "camera/device/device_ids.h"

namespace shutterhand {

SimulatedBackend::SimulatedBackend(bool withDefaultCamera)
{
    if (withDefaultCamera)
        attach();
}

std::shared_ptr<SimulatedCamera> SimulatedBackend::attach(const SimulatedCameraOptions& options)
{
    const QString id = QStringLiteral("simulated:%1").arg(m_nextNumber++, 4, 10, QLatin1Char('0'));
    auto camera = std::make_shared<SimulatedCamera>(id, options);
    m_cameras.append(camera);
    if (m_started)
        announce();
    return camera;
}

void SimulatedBackend::detach(const QString& deviceId)
{
    for (qsizetype i = 0; i < m_cameras.size(); ++i) {
        if (m_cameras[i]->deviceId() == deviceId) {
            m_cameras[i]->unplug();
            m_cameras.removeAt(i);
            break;
        }
    }
    if (m_started)
        announce();
}

std::shared_ptr<SimulatedCamera> SimulatedBackend::camera(const QString& deviceId) const
{
    for (const auto& camera : m_cameras) {
        if (camera->deviceId() == deviceId)
            return camera;
    }
    return nullptr;
}

void SimulatedBackend::start()
{
    m_started = true;
    announce();
}

void SimulatedBackend::announce()
{
    QList<DeviceInfo> devices;
    for (const auto& camera : m_cameras) {
        devices.append({camera->deviceId(),
                        {{wia::PropertyName, camera->name(), true},
                         {QStringLiteral("Port"), QStringLiteral("simulated"), true},
                         {QStringLiteral("Serial Number"), camera->deviceId(), true}}});
    }
    QMetaObject::invokeMethod(
        this, [this, devices] { emit devicesChanged(devices); }, Qt::QueuedConnection);
}

std::unique_ptr<CameraDriver> SimulatedBackend::createDriver(const QString& deviceId)
{
    const auto found = camera(deviceId);
    return found ? found->createDriver(found) : nullptr;
}

bool SimulatedBackend::releaseClaim(const QString& deviceId)
{
    const auto found = camera(deviceId);
    return found && found->releaseClaim();
}

}  // namespace shutterhand
