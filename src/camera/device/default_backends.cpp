#include "camera/device/device_manager.h"
#include "camera/device/gphoto2/gphoto_backend.h"
#include "camera/device/simulated/simulated_backend.h"

namespace shutterhand {

std::vector<std::unique_ptr<DeviceBackend>> defaultBackends(const DeviceServiceSettings& settings)
{
    std::vector<std::unique_ptr<DeviceBackend>> backends;
    if (settings.simulated)
        backends.push_back(std::make_unique<SimulatedBackend>());
    backends.push_back(std::make_unique<GphotoBackend>(settings.usbCameras, settings.networkPorts));
    return backends;
}

}  // namespace shutterhand
