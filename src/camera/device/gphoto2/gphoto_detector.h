#pragma once

#include "camera/device/device_types.h"
#include "camera/device/gphoto2/gphoto_library.h"
#include "camera/device/usb_match.h"

#include <QMap>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <memory>

namespace shutterhand::gphoto {

// What one look for cameras covers.
struct ScanRequest {
    bool usb = true;
    QStringList networkPorts;
    QSet<QString> connectedPorts;  // ports with an open connection: not probed, their entry is kept
    QSet<QString> forgetPorts;     // ports whose camera dropped off: probed anew
};

// A camera found by a look: its description and how to reach it.
struct FoundCamera {
    DeviceInfo info;
    QString driverModel;
    QString port;
};

// Looks for cameras on its own thread: USB cameras by the library's autodetection, network cameras by
// opening each configured port. A camera is opened once when it first appears, to learn its own model
// name and serial number; what it said is kept for its port until it goes away.
class GphotoDetector : public QObject {
    Q_OBJECT

public:
    GphotoDetector() = default;

    // Runs on the detector's thread; the first look loads the camera library's driver list there, off
    // the UI thread.
    void scan(const shutterhand::gphoto::ScanRequest& request);

signals:
    void scanned(const QList<shutterhand::gphoto::FoundCamera>& cameras, const QStringList& silentPorts);

private:
    struct Probe {
        bool answered = false;
        QString name;
        QString serialNumber;
        QString manufacturer;
    };
    Probe probe(const QString& driverModel, const QString& port);
    QList<std::pair<QString, QString>> detectUsb();

    std::shared_ptr<Library> m_library;
    QList<UsbDriverEntry> m_usbDrivers;
    QMap<QString, Probe> m_known;  // by port
};

}  // namespace shutterhand::gphoto

Q_DECLARE_METATYPE(shutterhand::gphoto::ScanRequest)
Q_DECLARE_METATYPE(shutterhand::gphoto::FoundCamera)
