#pragma once

#include "camera/device/camera_driver.h"
#include "camera/device/gphoto2/gphoto_library.h"

#include <QElapsedTimer>

#include <atomic>
#include <deque>

namespace shutterhand::gphoto {

// One camera through the camera library. Runs on the camera's worker thread only.
class GphotoDriver : public CameraDriver {
public:
    // `driverModel` is the library's model entry found by autodetection ("PTP/IP Camera" for a network
    // camera), `port` the port path, `fallbackName` the name to show when the camera reports none.
    GphotoDriver(std::shared_ptr<Library> library, QString driverModel, QString port, QString fallbackName);
    ~GphotoDriver() override;

    DeviceResult<DeviceDescription> open() override;
    DeviceResult<QList<CameraFile>> listFiles() override;
    DeviceStatus triggerCapture() override;
    DeviceResult<QList<DeviceProperty>> readProperties() override;
    DeviceStatus deleteFile(const CameraFile& file) override;
    DeviceResult<DriverEvent> waitForEvent(int timeoutMs) override;
    DeviceStatus download(const CameraFile& file, const QString& targetPath) override;
    void close() override;

private:
    // Arms the watchdog that the library asks (through its context) whether to give up: a capture or a
    // download that runs longer than `ms` is cancelled.
    class Watchdog;
    static GPContextFeedback cancelRequested(GPContext* context, void* data);
    void listFolder(const QString& folder, QList<CameraFile>& out, int depth);

    std::shared_ptr<Library> m_library;
    QString m_driverModel;
    QString m_port;
    QString m_fallbackName;
    ContextPtr m_context;
    CameraPtr m_camera;
    bool m_initialised = false;
    bool m_canTrigger = false;
    bool m_canCapture = false;
    std::atomic<qint64> m_deadline{0};  // on m_clock; 0: no limit
    QElapsedTimer m_clock;
    std::deque<CameraFile> m_captured;  // pictures of a blocking capture, reported by the next wait
};

}  // namespace shutterhand::gphoto
