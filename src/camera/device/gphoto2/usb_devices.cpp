#include "camera/device/gphoto2/usb_devices.h"

#include <libudev.h>

#include <memory>

namespace shutterhand::gphoto {

namespace {

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};

int attribute(udev_device* device, const char* name, int base)
{
    const char* text = udev_device_get_sysattr_value(device, name);
    return text ? QByteArray(text).trimmed().toInt(nullptr, base) : 0;
}

}  // namespace

QList<UsbDeviceDescription> ListUsbDevices()
{
    QList<UsbDeviceDescription> devices;
    const std::unique_ptr<udev, UdevUnref> context(udev_new());
    if (!context)
        return devices;
    const std::unique_ptr<udev_enumerate, UdevUnref> list(udev_enumerate_new(context.get()));
    if (!list)
        return devices;
    udev_enumerate_add_match_subsystem(list.get(), "usb");
    udev_enumerate_scan_devices(list.get());
    // Whole devices first, then their interfaces, which the kernel lists as the devices' children.
    QList<std::pair<QString, UsbDeviceDescription>> bySyspath;
    QList<std::pair<QString, UsbDeviceDescription::Interface>> interfaces;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(list.get()))
    {
        const std::unique_ptr<udev_device, UdevUnref> device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!device)
            continue;
        const char* type = udev_device_get_devtype(device.get());
        const QString syspath = QString::fromUtf8(udev_device_get_syspath(device.get()));
        if (type && qstrcmp(type, "usb_device") == 0) {
            UsbDeviceDescription description;
            description.bus = attribute(device.get(), "busnum", 10);
            description.device = attribute(device.get(), "devnum", 10);
            description.vendor = attribute(device.get(), "idVendor", 16);
            description.product = attribute(device.get(), "idProduct", 16);
            description.interfaces.append({attribute(device.get(), "bDeviceClass", 16),
                                           attribute(device.get(), "bDeviceSubClass", 16),
                                           attribute(device.get(), "bDeviceProtocol", 16)});
            bySyspath.append({syspath, description});
        } else if (type && qstrcmp(type, "usb_interface") == 0) {
            interfaces.append(
                {syspath,
                 {attribute(device.get(), "bInterfaceClass", 16), attribute(device.get(), "bInterfaceSubClass", 16),
                  attribute(device.get(), "bInterfaceProtocol", 16)}});
        }
    }
    for (auto& [syspath, description] : bySyspath) {
        for (const auto& [path, iface] : interfaces) {
            // Only the device's own interfaces: a hub's subtree also holds the devices behind it.
            if (path.startsWith(syspath + u'/') && !path.mid(syspath.size() + 1).contains(u'/'))
                description.interfaces.append(iface);
        }
        if (description.bus > 0 && description.device > 0)
            devices.append(description);
    }
    return devices;
}

QList<UsbDriverEntry> UsbDriverEntries(CameraAbilitiesList* abilities)
{
    QList<UsbDriverEntry> entries;
    const int count = gp_abilities_list_count(abilities);
    for (int i = 0; i < count; ++i) {
        CameraAbilities a;
        if (gp_abilities_list_get_abilities(abilities, i, &a) < GP_OK || !(a.port & GP_PORT_USB))
            continue;
        if (a.usb_vendor == 0 && a.usb_class == 0)
            continue;
        entries.append(
            {QString::fromUtf8(a.model), a.usb_vendor, a.usb_product, a.usb_class, a.usb_subclass, a.usb_protocol});
    }
    return entries;
}

}  // namespace shutterhand::gphoto
