#include "camera/device/gphoto2/gphoto_library.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <csignal>

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace shutterhand::gphoto {

DeviceError toDeviceError(int result, const QString& what, bool waiting)
{
    const QString message
        = QStringLiteral("%1: %2 (%3)").arg(what, QString::fromUtf8(gp_result_as_string(result))).arg(result);
    DeviceErrorKind kind = DeviceErrorKind::Failed;
    switch (result) {
    case GP_ERROR_CAMERA_BUSY:
        kind = DeviceErrorKind::Busy;
        break;
    case GP_ERROR_IO_USB_CLAIM:
        kind = DeviceErrorKind::Claimed;
        break;
    case GP_ERROR_NOT_SUPPORTED:
        kind = DeviceErrorKind::NotSupported;
        break;
    case GP_ERROR_CANCEL:
        // Only our own watchdog cancels.
        kind = DeviceErrorKind::TimedOut;
        break;
    case GP_ERROR_IO:
    case GP_ERROR_TIMEOUT:
    case GP_ERROR_IO_INIT:
    case GP_ERROR_IO_READ:
    case GP_ERROR_IO_WRITE:
    case GP_ERROR_IO_UPDATE:
    case GP_ERROR_IO_USB_CLEAR_HALT:
    case GP_ERROR_IO_USB_FIND:
    case GP_ERROR_UNKNOWN_PORT:
        kind = DeviceErrorKind::Lost;
        break;
    default:
        if (waiting)
            kind = DeviceErrorKind::Lost;
        break;
    }
    return DeviceError{kind, message, {}};
}

void ExitCamera(Library& library, Camera* camera, GPContext* context)
{
    // libgphoto2 2.5.30 closes descriptor 0 when it disconnects a PTP/IP camera (a descriptor field it
    // never opened, left at 0). The program's next socket, pipe or event descriptor would then be
    // given number 0 and closed by the next disconnect, which stops an event loop or a child process's
    // pipe without warning. Descriptor 0 is therefore saved before and put back right after; the
    // library lock keeps the camera library's own descriptors out of that moment.
    auto lock = library.lock();
    const int saved = ::fcntl(0, F_DUPFD_CLOEXEC, 3);
    gp_camera_exit(camera, context);
    if (saved >= 0) {
        if (::fcntl(0, F_GETFD) == -1)
            ::dup2(saved, 0);
        ::close(saved);
    }
}

std::shared_ptr<Library> Library::instance()
{
    static std::mutex creation;
    static std::shared_ptr<Library> library;
    std::lock_guard lock(creation);
    if (!library) {
        std::signal(SIGPIPE, SIG_IGN);
        library = std::make_shared<Library>();
    }
    return library;
}

namespace {

// Keeps every plug-in of a folder loaded for good. The library loads all its camera drivers to read
// their model lists and unloads them again; what their dependencies set up when they were loaded is
// then lost for the rest of the run (and reported as leaked by the leak checker of the test builds).
// Loaded once and kept, they cost a few megabytes and nothing is lost.
void keepPluginsLoaded(const QByteArray& environmentVariable, const char* defaultFolder)
{
    const QString folder = qEnvironmentVariableIsSet(environmentVariable.constData())
        ? qEnvironmentVariable(environmentVariable.constData())
        : QString::fromUtf8(defaultFolder);
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.so")}, QDir::Files)) {
        if (void* handle
            = ::dlopen(QFile::encodeName(dir.filePath(name)).constData(), RTLD_LAZY | RTLD_LOCAL | RTLD_NODELETE))
            ::dlclose(handle);
    }
}

}  // namespace

Library::Library()
{
    keepPluginsLoaded("CAMLIBS", SHUTTERHAND_GPHOTO2_CAMLIBS);
    keepPluginsLoaded("IOLIBS", SHUTTERHAND_GPHOTO2_IOLIBS);
    CameraAbilitiesList* abilities = nullptr;
    gp_abilities_list_new(&abilities);
    m_abilities.reset(abilities);
    ContextPtr context(gp_context_new());
    gp_abilities_list_load(abilities, context.get());
}

GPPortInfoList* Library::ports()
{
    if (!m_ports) {
        GPPortInfoList* list = nullptr;
        if (gp_port_info_list_new(&list) < GP_OK)
            return nullptr;
        m_ports.reset(list);
        if (gp_port_info_list_load(list) < GP_OK)
            m_ports.reset();
    }
    return m_ports.get();
}

DeviceStatus Library::configure(Camera* camera, GPPortInfoList* ports, const QString& driverModel, const QString& port)
{
    const QByteArray model = driverModel.toUtf8();
    const int modelIndex = gp_abilities_list_lookup_model(m_abilities.get(), model.constData());
    if (modelIndex < GP_OK)
        return toDeviceError(modelIndex, QStringLiteral("Kameratreiber %1").arg(driverModel));
    CameraAbilities abilities;
    if (const int result = gp_abilities_list_get_abilities(m_abilities.get(), modelIndex, &abilities); result < GP_OK)
        return toDeviceError(result, QStringLiteral("Kameratreiber %1").arg(driverModel));
    gp_camera_set_abilities(camera, abilities);

    if (!ports)
        return toDeviceError(GP_ERROR_LIBRARY, QStringLiteral("Anschlussliste"));
    const QByteArray path = port.toUtf8();
    const int portIndex = gp_port_info_list_lookup_path(ports, path.constData());
    if (portIndex < GP_OK)
        return toDeviceError(portIndex, QStringLiteral("Anschluss %1").arg(port));
    GPPortInfo info;
    if (const int result = gp_port_info_list_get_info(ports, portIndex, &info); result < GP_OK)
        return toDeviceError(result, QStringLiteral("Anschluss %1").arg(port));
    if (const int result = gp_camera_set_port_info(camera, info); result < GP_OK)
        return toDeviceError(result, QStringLiteral("Anschluss %1").arg(port));
    return deviceOk();
}

}  // namespace shutterhand::gphoto
