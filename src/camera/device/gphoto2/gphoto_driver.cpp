#include "camera/device/gphoto2/gphoto_driver.h"

#include "camera/device/camera_holders.h"
#include "camera/device/gphoto2/gphoto_config.h"

#include <QFile>

#include <cstdlib>

namespace shutterhand::gphoto {

namespace {

// A camera that accepted a release has the picture on its card well within this; a longer capture is
// taken as hung (the library's generic capture waits forever for a picture that never comes).
constexpr int kCaptureLimitMs = 30000;
// Even a large file comes off a slow connection within this.
constexpr int kDownloadLimitMs = 120000;
// Folders on a card are a few levels deep; a deeper tree is not walked further.
constexpr int kMaxFolderDepth = 8;

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

}  // namespace

class GphotoDriver::Watchdog {
public:
    Watchdog(GphotoDriver& driver, int limitMs)
        : m_driver(driver)
    {
        m_driver.m_deadline = m_driver.m_clock.elapsed() + limitMs;
    }
    ~Watchdog() { m_driver.m_deadline = 0; }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    GphotoDriver& m_driver;
};

GphotoDriver::GphotoDriver(std::shared_ptr<Library> library, QString driverModel, QString port, QString fallbackName)
    : m_library(std::move(library))
    , m_driverModel(std::move(driverModel))
    , m_port(std::move(port))
    , m_fallbackName(std::move(fallbackName))
{
    m_clock.start();
}

GphotoDriver::~GphotoDriver() { close(); }

GPContextFeedback GphotoDriver::cancelRequested(GPContext*, void* data)
{
    const auto* driver = static_cast<GphotoDriver*>(data);
    const qint64 deadline = driver->m_deadline;
    return deadline != 0 && driver->m_clock.elapsed() > deadline ? GP_CONTEXT_FEEDBACK_CANCEL : GP_CONTEXT_FEEDBACK_OK;
}

DeviceResult<DeviceDescription> GphotoDriver::open()
{
    m_context.reset(gp_context_new());
    gp_context_set_cancel_func(m_context.get(), &GphotoDriver::cancelRequested, this);
    Camera* camera = nullptr;
    if (const int result = gp_camera_new(&camera); result < GP_OK)
        return toDeviceError(result, QStringLiteral("Kamera"));
    m_camera.reset(camera);
    {
        auto lock = m_library->lock();
        const DeviceStatus configured = m_library->configure(camera, m_library->ports(), m_driverModel, m_port);
        if (!configured.ok())
            return configured.error();
        const int result = gp_camera_init(camera, m_context.get());
        if (result < GP_OK) {
            DeviceError error = toDeviceError(result, QStringLiteral("Verbinden mit %1").arg(m_port));
            if (error.kind == DeviceErrorKind::Claimed)
                error.holder = FindCameraHolders().join(QStringLiteral(", "));
            return error;
        }
    }
    m_initialised = true;

    CameraAbilities abilities;
    if (gp_camera_get_abilities(camera, &abilities) >= GP_OK) {
        m_canTrigger = abilities.operations & GP_OPERATION_TRIGGER_CAPTURE;
        m_canCapture = abilities.operations & GP_OPERATION_CAPTURE_IMAGE;
    }
    DeviceDescription description;
    DeviceResult<QList<DeviceProperty>> properties = readProperties();
    if (properties.ok())
        description.properties = properties.value();
    else if (properties.error().kind == DeviceErrorKind::Lost)
        return properties.error();
    else
        description.properties = PropertiesFromConfig(nullptr, m_fallbackName);
    if (m_canTrigger || m_canCapture)
        description.commands.append(takePictureCommand());
    description.events = standardDeviceEvents();
    return description;
}

DeviceResult<QList<DeviceProperty>> GphotoDriver::readProperties()
{
    CameraWidget* root = nullptr;
    const int result = gp_camera_get_config(m_camera.get(), &root, m_context.get());
    if (result < GP_OK)
        return toDeviceError(result, QStringLiteral("Einstellungen lesen"));
    const WidgetPtr owner(root);
    return PropertiesFromConfig(root, m_fallbackName);
}

void GphotoDriver::listFolder(const QString& folder, QList<CameraFile>& out, int depth)
{
    const QByteArray path = folder.toUtf8();
    CameraList* list = nullptr;
    gp_list_new(&list);
    const ListPtr files(list);
    if (gp_camera_folder_list_files(m_camera.get(), path.constData(), list, m_context.get()) >= GP_OK) {
        for (int i = 0; i < gp_list_count(list); ++i) {
            const char* name = nullptr;
            if (gp_list_get_name(list, i, &name) >= GP_OK && name)
                out.append({folder, QString::fromUtf8(name), {}});
        }
    }
    if (depth >= kMaxFolderDepth)
        return;
    gp_list_reset(list);
    if (gp_camera_folder_list_folders(m_camera.get(), path.constData(), list, m_context.get()) < GP_OK)
        return;
    QStringList folders;
    for (int i = 0; i < gp_list_count(list); ++i) {
        const char* name = nullptr;
        if (gp_list_get_name(list, i, &name) >= GP_OK && name)
            folders.append(joinPath(folder, QString::fromUtf8(name)));
    }
    for (const QString& child : folders)
        listFolder(child, out, depth + 1);
}

DeviceResult<QList<CameraFile>> GphotoDriver::listFiles()
{
    QList<CameraFile> files;
    listFolder(QStringLiteral("/"), files, 0);
    return files;
}

DeviceStatus GphotoDriver::triggerCapture()
{
    Watchdog watchdog(*this, kCaptureLimitMs);
    // The release is only triggered: the picture comes as an event, as one taken with the camera's own
    // button does. The driver list does not always say that a driver can trigger (the generic PTP/IP
    // model does not, yet its driver can), so it is tried whenever the camera can capture at all.
    int result = gp_camera_trigger_capture(m_camera.get(), m_context.get());
    if (result == GP_ERROR_NOT_SUPPORTED && m_canCapture) {
        // Cameras that can only capture and wait: the picture is reported by the next look for events.
        CameraFilePath path{};
        result = gp_camera_capture(m_camera.get(), GP_CAPTURE_IMAGE, &path, m_context.get());
        if (result >= GP_OK)
            m_captured.push_back({QString::fromUtf8(path.folder), QString::fromUtf8(path.name), {}});
    }
    if (result < GP_OK)
        return toDeviceError(result, QStringLiteral("Auslösen"));
    return deviceOk();
}

DeviceResult<DriverEvent> GphotoDriver::waitForEvent(int timeoutMs)
{
    if (!m_captured.empty()) {
        DriverEvent event{DriverEvent::Kind::FileAdded, m_captured.front()};
        m_captured.pop_front();
        return event;
    }
    CameraEventType type = GP_EVENT_TIMEOUT;
    void* data = nullptr;
    // Over PTP/IP the library looks at the socket for a millisecond and returns at once, whatever the
    // timeout says; the worker's loop does the waiting.
    const int result = gp_camera_wait_for_event(m_camera.get(), timeoutMs, &type, &data, m_context.get());
    const std::unique_ptr<void, decltype(&std::free)> owner(data, &std::free);
    if (result < GP_OK)
        return toDeviceError(result, QStringLiteral("Warten auf die Kamera"), true);
    switch (type) {
    case GP_EVENT_FILE_ADDED: {
        const auto* path = static_cast<const CameraFilePath*>(data);
        if (!path)
            return DriverEvent{};
        return DriverEvent{DriverEvent::Kind::FileAdded,
                           {QString::fromUtf8(path->folder), QString::fromUtf8(path->name), {}}};
    }
    case GP_EVENT_FOLDER_ADDED:
    case GP_EVENT_FILE_CHANGED:
        return DriverEvent{DriverEvent::Kind::TreeChanged, {}};
    default:
        // Timeouts, the end of a capture and the cameras' own notes (property changes) need nothing:
        // the poll timer reads the properties anew.
        return DriverEvent{};
    }
}

DeviceStatus GphotoDriver::download(const CameraFile& file, const QString& targetPath)
{
    Watchdog watchdog(*this, kDownloadLimitMs);
    ::CameraFile* data = nullptr;
    if (const int result = gp_file_new(&data); result < GP_OK)
        return toDeviceError(result, file.name);
    const FilePtr owner(data);
    const QByteArray folder = file.folder.toUtf8();
    const QByteArray name = file.name.toUtf8();
    if (const int result = gp_camera_file_get(m_camera.get(), folder.constData(), name.constData(), GP_FILE_TYPE_NORMAL,
                                              data, m_context.get());
        result < GP_OK)
        return toDeviceError(result, QStringLiteral("Übertragen von %1").arg(file.name));
    const char* bytes = nullptr;
    unsigned long size = 0;
    if (const int result = gp_file_get_data_and_size(data, &bytes, &size); result < GP_OK)
        return toDeviceError(result, file.name);
    QFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || target.write(bytes, static_cast<qint64>(size)) != static_cast<qint64>(size) || !target.flush())
        return deviceError(DeviceErrorKind::Failed, QStringLiteral("%1: %2").arg(targetPath, target.errorString()));
    return deviceOk();
}

DeviceStatus GphotoDriver::deleteFile(const CameraFile& file)
{
    const QByteArray folder = file.folder.toUtf8();
    const QByteArray name = file.name.toUtf8();
    if (const int result = gp_camera_file_delete(m_camera.get(), folder.constData(), name.constData(), m_context.get());
        result < GP_OK)
        return toDeviceError(result, QStringLiteral("Löschen von %1").arg(file.name));
    return deviceOk();
}

void GphotoDriver::close()
{
    if (m_initialised && m_camera) {
        // A camera whose connection is gone answers with errors here; the library's write to its
        // closed socket would raise SIGPIPE, which the library instance has made harmless.
        ExitCamera(*m_library, m_camera.get(), m_context.get());
        m_initialised = false;
    }
    m_camera.reset();
    m_context.reset();
}

}  // namespace shutterhand::gphoto
