#include "camera/device/gphoto2/gphoto_backend.h"

#include "camera/device/camera_holders.h"
#include "camera/device/gphoto2/gphoto_detector.h"
#include "camera/device/gphoto2/gphoto_driver.h"
#include "camera/device/gphoto2/udev_monitor.h"

#include <QLoggingCategory>
#include <QThread>

Q_LOGGING_CATEGORY(lcGphotoBackend, "shutterhand.camera.gphoto2", QtInfoMsg)

namespace shutterhand {

namespace {

constexpr int kDebounceMs = 500;        // USB events of one plug arrive within this
constexpr int kRetryMs = 10000;         // how often silent network cameras are asked again
constexpr int kUsbPollMs = 3000;        // without USB events, how often USB is looked at
constexpr int kLostRescanMs = 1000;     // after a camera dropped off, when to look again
constexpr int kDetectorStopMs = 10000;  // how long the end of the program waits for a running look

}  // namespace

GphotoBackend::GphotoBackend(bool usbCameras, QStringList networkPorts)
    : m_usb(usbCameras)
    , m_networkPorts(std::move(networkPorts))
{
    m_debounce.setSingleShot(true);
    m_debounce.setInterval(kDebounceMs);
    connect(&m_debounce, &QTimer::timeout, this, &GphotoBackend::requestScan);
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &GphotoBackend::requestScan);
}

GphotoBackend::~GphotoBackend()
{
    if (!m_thread)
        return;
    m_thread->quit();
    if (m_thread->wait(kDetectorStopMs)) {
        delete m_thread;
    } else {
        // A look stuck in a network connect is left to the end of the process rather than destroyed
        // while it runs.
        qCWarning(lcGphotoBackend) << "camera detection did not end in time; it is left running";
    }
}

void GphotoBackend::start()
{
    if (m_thread)
        return;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("camera detection"));
    m_detector = new gphoto::GphotoDetector;
    m_detector->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_detector, &QObject::deleteLater);
    connect(m_detector, &gphoto::GphotoDetector::scanned, this, &GphotoBackend::onScanned);
    m_thread->start();

    if (m_usb) {
        m_udev = new UdevMonitor(this);
        if (m_udev->start()) {
            connect(m_udev, &UdevMonitor::usbDevicesChanged, &m_debounce, qOverload<>(&QTimer::start));
        } else {
            // No kernel events (a container, no udev): USB is looked at regularly instead.
            qCInfo(lcGphotoBackend) << "no USB device events; looking for USB cameras every" << kUsbPollMs << "ms";
            auto* poll = new QTimer(this);
            connect(poll, &QTimer::timeout, this, &GphotoBackend::requestScan);
            poll->start(kUsbPollMs);
        }
    }
    requestScan();
}

void GphotoBackend::requestScan()
{
    if (m_scanning) {
        m_scanAgain = true;
        return;
    }
    m_scanning = true;
    m_scanAgain = false;
    gphoto::ScanRequest request{m_usb, m_networkPorts, m_connectedPorts, std::exchange(m_forgetPorts, {})};
    gphoto::GphotoDetector* detector = m_detector;
    QMetaObject::invokeMethod(
        detector, [detector, request] { detector->scan(request); }, Qt::QueuedConnection);
}

void GphotoBackend::onScanned(const QList<gphoto::FoundCamera>& cameras, const QStringList& silentPorts)
{
    m_scanning = false;
    QList<DeviceInfo> devices;
    m_reach.clear();
    m_names.clear();
    for (const gphoto::FoundCamera& camera : cameras) {
        devices.append(camera.info);
        m_reach.insert(camera.info.DeviceID, {camera.driverModel, camera.port});
        m_names.insert(camera.info.DeviceID, camera.info.name());
    }
    emit devicesChanged(devices);
    if (m_scanAgain)
        requestScan();
    else if (!silentPorts.isEmpty() && !m_retry.isActive())
        m_retry.start(kRetryMs);
}

std::unique_ptr<CameraDriver> GphotoBackend::createDriver(const QString& deviceId)
{
    const auto found = m_reach.find(deviceId);
    if (found == m_reach.end())
        return nullptr;
    // The detector has loaded the library by now (a device is listed), so this does not wait.
    return std::make_unique<gphoto::GphotoDriver>(gphoto::Library::instance(), found->first, found->second,
                                                  m_names.value(deviceId));
}

void GphotoBackend::setConnected(const QString& deviceId, bool connected)
{
    const auto found = m_reach.find(deviceId);
    if (found == m_reach.end()) {
        if (!connected)
            requestScan();  // a camera that went away while connected may be back by now
        return;
    }
    if (connected)
        m_connectedPorts.insert(found->second);
    else
        m_connectedPorts.remove(found->second);
}

void GphotoBackend::deviceLost(const QString& deviceId)
{
    const auto found = m_reach.find(deviceId);
    if (found == m_reach.end())
        return;
    m_forgetPorts.insert(found->second);
    m_connectedPorts.remove(found->second);
    QTimer::singleShot(kLostRescanMs, this, &GphotoBackend::requestScan);
}

bool GphotoBackend::releaseClaim(const QString&)
{
    const bool released = ReleaseDesktopCameraMounts();
    requestScan();
    return released;
}

}  // namespace shutterhand
