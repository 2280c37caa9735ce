#include "camera/device/gphoto2/udev_monitor.h"

#include <QSocketNotifier>

#include <libudev.h>

namespace shutterhand {

UdevMonitor::UdevMonitor(QObject* parent)
    : QObject(parent)
{ }

UdevMonitor::~UdevMonitor()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

bool UdevMonitor::start()
{
    if (m_notifier)
        return true;
    m_udev = udev_new();
    if (!m_udev)
        return false;
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor)
        return false;
    // Whole USB devices only; their interfaces would report every plug several times.
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", "usb_device") < 0
        || udev_monitor_enable_receiving(m_monitor) < 0)
        return false;
    const int fd = udev_monitor_get_fd(m_monitor);
    if (fd < 0)
        return false;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevMonitor::receive);
    return true;
}

void UdevMonitor::receive()
{
    bool changed = false;
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        udev_device_unref(device);
        changed = true;
    }
    if (changed)
        emit usbDevicesChanged();
}

}  // namespace shutterhand
