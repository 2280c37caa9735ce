#pragma once

#include "camera/device/device_backend.h"

#include <QMap>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <memory>

class QThread;

namespace shutterhand {

class UdevMonitor;

namespace gphoto {
class GphotoDetector;
class Library;
struct FoundCamera;
}  // namespace gphoto

// The cameras of the camera library (libgphoto2): USB cameras found by autodetection and kept current
// by the kernel's USB events, and the network cameras of the configured ports, probed until they answer.
class GphotoBackend : public DeviceBackend {
    Q_OBJECT

public:
    GphotoBackend(bool usbCameras, QStringList networkPorts);
    ~GphotoBackend() override;

    void start() override;
    std::unique_ptr<CameraDriver> createDriver(const QString& deviceId) override;
    void setConnected(const QString& deviceId, bool connected) override;
    void deviceLost(const QString& deviceId) override;
    bool releaseClaim(const QString& deviceId) override;

private:
    void requestScan();
    void onScanned(const QList<gphoto::FoundCamera>& cameras, const QStringList& silentPorts);

    bool m_usb;
    QStringList m_networkPorts;
    QThread* m_thread = nullptr;
    gphoto::GphotoDetector* m_detector = nullptr;
    UdevMonitor* m_udev = nullptr;
    QTimer m_debounce;  // USB events come in bursts; one look after they have settled
    QTimer m_retry;     // network ports that did not answer are asked again now and then
    QMap<QString, std::pair<QString, QString>> m_reach;  // device ID -> driver model, port
    QMap<QString, QString> m_names;                      // device ID -> name
    QSet<QString> m_connectedPorts;
    QSet<QString> m_forgetPorts;
    bool m_scanning = false;
    bool m_scanAgain = false;
};

}  // namespace shutterhand
