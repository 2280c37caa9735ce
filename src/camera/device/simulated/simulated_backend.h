#pragma once

#include "camera/device/device_backend.h"
#include "camera/device/simulated/simulated_camera.h"

#include <QList>

#include <memory>

namespace shutterhand {

// The simulated cameras: normally the one "Shutterhand Simulator"; tests attach and detach more.
// Changes to the list are announced later through the event loop, as a real service does.
class SimulatedBackend : public DeviceBackend {
    Q_OBJECT

public:
    explicit SimulatedBackend(bool withDefaultCamera = true);

    // Plugs in a camera; returns it for steering.
    std::shared_ptr<SimulatedCamera> attach(const SimulatedCameraOptions& options = {});
    // Unplugs a camera: it leaves the list, and a connection to it breaks.
    void detach(const QString& deviceId);
    std::shared_ptr<SimulatedCamera> camera(const QString& deviceId) const;
    QList<std::shared_ptr<SimulatedCamera>> cameras() const { return m_cameras; }

    void start() override;
    std::unique_ptr<CameraDriver> createDriver(const QString& deviceId) override;
    void setConnected(const QString&, bool) override { }
    void deviceLost(const QString&) override { }
    bool releaseClaim(const QString& deviceId) override;

private:
    void announce();

    QList<std::shared_ptr<SimulatedCamera>> m_cameras;
    int m_nextNumber = 1;
    bool m_started = false;
};

}  // namespace shutterhand
