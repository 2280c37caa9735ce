#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

namespace shutterhand {

// Tells when USB devices come or go, from the kernel's device events (libudev). Lives on the UI thread;
// the events arrive through the event loop.
class UdevMonitor : public QObject {
    Q_OBJECT

public:
    explicit UdevMonitor(QObject* parent = nullptr);
    ~UdevMonitor() override;

    // False when the device events cannot be received (no udev, no permission).
    bool start();

signals:
    void usbDevicesChanged();

private:
    void receive();

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace shutterhand
