#include "camera/device/gphoto2/gphoto_detector.h"

#include "camera/device/device_ids.h"
#include "camera/device/gphoto2/gphoto_config.h"
#include "camera/device/gphoto2/usb_devices.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDetector, "shutterhand.camera.detect", QtInfoMsg)

namespace shutterhand::gphoto {

QList<std::pair<QString, QString>> GphotoDetector::detectUsb()
{
    // The camera library's own autodetection loses about 22 KB on every call (the device lists of its
    // USB port driver), which a program that looks again at every USB event cannot afford; the kernel's
    // device list and the driver list's USB IDs give the same answer.
    if (m_usbDrivers.isEmpty()) {
        auto lock = m_library->lock();
        m_usbDrivers = UsbDriverEntries(m_library->abilities());
    }
    QList<std::pair<QString, QString>> found;
    for (const UsbDeviceDescription& device : ListUsbDevices()) {
        const QString model = MatchUsbCamera(device, m_usbDrivers);
        if (!model.isEmpty())
            found.append({model, UsbPortPath(device)});
    }
    return found;
}

GphotoDetector::Probe GphotoDetector::probe(const QString& driverModel, const QString& port)
{
    Probe result;
    const ContextPtr context(gp_context_new());
    Camera* raw = nullptr;
    if (gp_camera_new(&raw) < GP_OK)
        return result;
    const CameraPtr camera(raw);
    int initialised = GP_ERROR;
    {
        auto lock = m_library->lock();
        if (m_library->configure(raw, m_library->ports(), driverModel, port).ok())
            initialised = gp_camera_init(raw, context.get());
    }
    if (initialised < GP_OK) {
        qCDebug(lcDetector) << port << "does not answer:" << gp_result_as_string(initialised);
        return result;
    }
    result.answered = true;
    CameraWidget* root = nullptr;
    if (gp_camera_get_config(raw, &root, context.get()) >= GP_OK) {
        const WidgetPtr owner(root);
        const CameraIdentity identity = ReadIdentity(root);
        result.name = identity.model;
        result.serialNumber = identity.serialNumber;
        result.manufacturer = identity.manufacturer;
    }
    ExitCamera(*m_library, raw, context.get());
    return result;
}

void GphotoDetector::scan(const ScanRequest& request)
{
    if (!m_library)
        m_library = Library::instance();
    for (const QString& port : request.forgetPorts)
        m_known.remove(port);

    struct Candidate {
        QString driverModel;
        QString port;
        bool network;
    };
    QList<Candidate> candidates;
    if (request.usb) {
        for (const auto& [model, port] : detectUsb())
            candidates.append({model, port, false});
    }
    for (const QString& port : request.networkPorts)
        candidates.append({QString::fromLatin1(kNetworkDriverModel), port, true});

    QList<FoundCamera> cameras;
    QStringList silent;
    QSet<QString> present;
    QSet<QString> ids;
    for (const Candidate& candidate : candidates) {
        present.insert(candidate.port);
        Probe known = m_known.value(candidate.port);
        if (!known.answered && !request.connectedPorts.contains(candidate.port)) {
            known = probe(candidate.driverModel, candidate.port);
            if (known.answered)
                m_known.insert(candidate.port, known);
        }
        if (!known.answered && candidate.network) {
            silent.append(candidate.port);
            continue;
        }
        // A USB camera that cannot be opened now (another program holds it) is listed all the same,
        // under its driver's name, so that connecting can say what holds it.
        const QString name = known.name.isEmpty() ? candidate.driverModel : known.name;
        // A camera keeps its ID across unplugging (bus and device numbers change) when it has a serial
        // number; the port stands in for one that has none, or whose number another camera shares.
        QString id = QStringLiteral("gphoto2:") + (known.serialNumber.isEmpty() ? candidate.port : known.serialNumber);
        if (ids.contains(id))
            id += u'@' + candidate.port;
        ids.insert(id);
        DeviceInfo info{id, {{wia::PropertyName, name, true}, {QStringLiteral("Port"), candidate.port, true}}};
        if (!known.serialNumber.isEmpty())
            info.Properties.append({QStringLiteral("Serial Number"), known.serialNumber, true});
        if (!known.manufacturer.isEmpty())
            info.Properties.append({QStringLiteral("Manufacturer"), known.manufacturer, true});
        info.Properties.append({QStringLiteral("Driver"), candidate.driverModel, true});
        cameras.append({info, candidate.driverModel, candidate.port});
    }
    // What was learnt about ports that are gone is no longer true for whatever appears there next.
    for (auto it = m_known.begin(); it != m_known.end();) {
        if (present.contains(it.key()))
            ++it;
        else
            it = m_known.erase(it);
    }
    emit scanned(cameras, silent);
}

}  // namespace shutterhand::gphoto
