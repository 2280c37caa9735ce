#include "camera/camera_session.h"

#include "actions/event_names.h"
#include "app/core/application_core.h"
#include "camera/device/camera_ports.h"
#include "camera/device/device_ids.h"
#include "config/system_config.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSession, "shutterhand.camera.session", QtInfoMsg)

namespace shutterhand {

namespace {

const QString kReleaseFailed = QStringLiteral("Beim erstellen eines Bildes ist es zu einem Fehler gekommen.");
constexpr int kDefaultCaptureTimeoutSeconds = 30;
// After a release brought a file without JPEG (a RAW-only camera), how long the JPEG of a RAW + JPEG
// pair may still take.
constexpr int kNoJpegGraceMs = 5000;

}  // namespace

CameraSession::CameraSession(ApplicationCore& core, DeviceManager& manager, QObject* parent)
    : QObject(parent)
    , m_core(core)
    , m_manager(manager)
{
    connect(&m_manager, &DeviceManager::OnEvent, this, &CameraSession::DeviceManager1Event);
    m_releaseLimit.setSingleShot(true);
    connect(&m_releaseLimit, &QTimer::timeout, this, [this] {
        failRelease(QStringLiteral("Die Kamera hat innerhalb von %1 Sekunden kein Bild geliefert.")
                        .arg(captureTimeoutMs() / 1000));
    });
    m_noJpegGrace.setSingleShot(true);
    m_noJpegGrace.setInterval(kNoJpegGraceMs);
    connect(&m_noJpegGrace, &QTimer::timeout, this, [this] {
        if (!m_releasing)
            return;
        m_core.WriteLog(1, QStringLiteral("Die Kamera hat kein Bild im JPEG-Format geliefert."));
        m_core.PicturePending = false;
        showStatus({});
        releaseCursor();
        endRelease();
    });
    connect(&m_core, &ApplicationCore::languageChanged, this, [this] {
        if (!m_listEnabled) {
            m_entries = {m_core.GetLangText(34)};
            showList();
        }
    });
}

CameraSession::~CameraSession() = default;

DeviceServiceSettings CameraSession::serviceSettings() const
{
    const TVarContainer& vars = m_core.config().Vars();
    DeviceServiceSettings settings;
    // The program's run command switches the simulated camera on for one run without touching var.dat.
    settings.simulated = isTrueValue(vars.GetValueByName(QStringLiteral("SimulatedCamera")))
        || qEnvironmentVariable("SHUTTERHAND_SIMULATED_CAMERA") == QLatin1String("1");
    settings.networkPorts = ParseCameraPorts(vars.GetValueByName(QStringLiteral("CameraPorts"))).ports;
    settings.stagingDir = m_core.directory(QStringLiteral("WorkDir")) + QStringLiteral("tmp/");
    return settings;
}

void CameraSession::ensureService()
{
    if (m_manager.isConnected())
        return;
    if (!m_serviceStarted) {
        // The service reads its settings once, at its first use; the entries it cannot use are named
        // then, as errors, so that the log window shows them.
        m_serviceStarted = true;
        const CameraPortList ports
            = ParseCameraPorts(m_core.config().Vars().GetValueByName(QStringLiteral("CameraPorts")));
        for (const QString& rejected : ports.rejected)
            m_core.WriteLog(2,
                            QStringLiteral("CameraPorts: \"%1\" ist kein Netzwerkanschluss einer Kamera und "
                                           "wird übergangen.")
                                .arg(rejected));
    }
    m_manager.Connect(serviceSettings());
}

int CameraSession::captureTimeoutMs() const
{
    bool ok = false;
    const int seconds = m_core.config().Vars().GetValueByName(QStringLiteral("CaptureTimeout")).trimmed().toInt(&ok);
    return (ok && seconds > 0 ? seconds : kDefaultCaptureTimeoutSeconds) * 1000;
}

QString CameraSession::shownCameraText() const
{
    return m_index >= 0 && m_index < m_entries.size() ? m_entries[m_index] : QString();
}

void CameraSession::showList()
{
    if (MainView* view = m_core.view())
        view->showCameraList(m_entries, m_index, m_listEnabled);
}

void CameraSession::showControls()
{
    if (MainView* view = m_core.view())
        view->setCameraControls(releaseEnabled(), m_infoEnabled, m_seriesEnabled);
}

void CameraSession::showStatus(const QString& text)
{
    m_status = text;
    if (MainView* view = m_core.view())
        view->showStatus(text);
}

void CameraSession::RefreshDeviceList()
{
    ensureService();
    m_entries.clear();
    m_entryIds.clear();
    for (const DeviceInfo& info : m_manager.DeviceInfos()) {
        if (info.Properties.isEmpty())
            continue;
        for (const DeviceProperty& property : info.Properties) {
            if (property.Name == wia::PropertyName) {
                m_entries.append(property.Value);
                m_entryIds.append(info.DeviceID);
            }
        }
    }
    m_index = -1;
    if (m_entries.isEmpty()) {
        m_listEnabled = false;
        m_entries = {m_core.GetLangText(34)};
        m_index = 0;
        m_infoEnabled = false;
        m_releaseEnabled = false;
    } else {
        m_listEnabled = true;
        // A new list while a camera is connected shows that camera, so that the window does not claim
        // that none is chosen while it releases and reports the battery.
        if (m_device)
            m_index = static_cast<int>(m_entryIds.lastIndexOf(m_device->DeviceID()));
    }
    m_seriesEnabled = m_listEnabled && !shownCameraText().trimmed().isEmpty();
    showList();
    showControls();
}

void CameraSession::RegisterDeviceEvents()
{
    ensureService();
    for (const QString& event :
         {wia::EventDeviceConnected, wia::EventDeviceDisconnected, wia::EventItemCreated, wia::EventTreeUpdated})
        m_manager.RegisterEvent(event, wia::AllDevices);
}

void CameraSession::ReleaseDeviceService()
{
    if (m_releasing)
        endRelease();
    m_device.reset();
    m_manager.shutdown();
}

void CameraSession::ComboBox1Change(int index)
{
    if (m_connecting) {
        // A camera is being connected; the list shows what is being connected until that is done.
        showList();
        return;
    }
    m_index = index;
    m_connecting = true;
    m_core.setWaitCursor(true);
    m_manager.Disconnect();
    ensureService();
    m_manager.RegisterEvent(wia::EventDeviceConnected, wia::AllDevices);
    m_manager.RegisterEvent(wia::EventDeviceDisconnected, wia::AllDevices);
    // The camera of the previous choice is let go first: a camera can be open only once, and choosing
    // the same camera again must be able to open it.
    releaseCurrentDevice(QStringLiteral("Eine andere Kamera wurde gewählt."));
    m_device = ConnectDeviceByName(shownCameraText());
    if (m_device && m_index < 0) {
        // The list was rebuilt while the camera was being connected (a camera came or went).
        m_index = static_cast<int>(m_entryIds.lastIndexOf(m_device->DeviceID()));
        showList();
    }
    m_infoEnabled = m_device != nullptr;
    m_releaseEnabled = SupportsTakePicture();
    m_manager.RegisterEvent(wia::EventItemCreated, wia::AllDevices);
    m_manager.RegisterEvent(wia::EventTreeUpdated, wia::AllDevices);
    m_seriesEnabled = m_listEnabled && !shownCameraText().trimmed().isEmpty();
    showControls();
    m_core.setWaitCursor(false);
    m_connecting = false;
}

std::shared_ptr<Device> CameraSession::ConnectDeviceByName(const QString& name)
{
    // When several cameras carry the name, the last one decides; only that one is opened.
    QString deviceId;
    for (const DeviceInfo& info : m_manager.DeviceInfos()) {
        if (!info.Properties.isEmpty() && info.name() == name)
            deviceId = info.DeviceID;
    }
    if (deviceId.isEmpty())
        return nullptr;
    DeviceResult<std::shared_ptr<Device>> connected = m_manager.ConnectDevice(deviceId);
    if (!connected.ok() && connected.error().kind == DeviceErrorKind::Claimed && !connected.error().holder.isEmpty()) {
        const bool release = m_core.prompter().askYesNo(
            Prompter::Icon::Warning,
            QStringLiteral("Die Kamera \"%1\" wird von einem anderen Programm benutzt: %2.\nDie Dateiverwaltung "
                           "des Desktops (gvfs) übernimmt eine Kamera, sobald sie angeschlossen wird, und gibt sie "
                           "nicht frei, solange sie eingebunden ist.\n\nSoll Shutterhand die Kamera freigeben "
                           "(\"gio mount -s gphoto2\")?")
                .arg(name, connected.error().holder));
        if (release && m_manager.ReleaseClaim(deviceId))
            connected = m_manager.ConnectDevice(deviceId);
    }
    if (!connected.ok()) {
        m_core.WriteLog(2, QStringLiteral("Fehler beim Verbinden zur Kamera"));
        m_core.WriteLog(1, connected.error().message);
        return nullptr;
    }
    watchDevice(connected.value().get());
    return connected.value();
}

void CameraSession::watchDevice(Device* device)
{
    // Queued, so that whatever the handlers run (actions among them) may drop the device.
    const QPointer<Device> guarded(device);
    connect(
        device, &Device::commandFinished, this,
        [this, guarded](const QString&, const QString& error) { onReleaseAnswered(guarded, error); },
        Qt::QueuedConnection);
    connect(
        device, &Device::itemsRemoved, this, [this, guarded](const QString& error) { onItemsRemoved(guarded, error); },
        Qt::QueuedConnection);
}

void CameraSession::releaseCurrentDevice(const QString& reason)
{
    if (m_releasing)
        failRelease(reason);
    while (m_deleteCursors > 0) {
        --m_deleteCursors;
        m_core.setWaitCursor(false);
    }
    m_device.reset();
}

QString CameraSession::GetDeviceNameByID(const QString& deviceId)
{
    QString name;
    for (const DeviceInfo& info : m_manager.DeviceInfos()) {
        if (!info.Properties.isEmpty() && info.DeviceID == deviceId)
            name = info.name();
    }
    return name;
}

bool CameraSession::SupportsTakePicture() const { return m_device && m_device->hasCommand(wia::CommandTakePicture); }

void CameraSession::DisableCameraButtons()
{
    m_releaseEnabled = false;
    m_infoEnabled = false;
    showControls();
}

void CameraSession::SelectDeviceByName(const QString& name)
{
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i] == name) {
            m_index = i;
            showList();
            ComboBox1Change(i);
        }
    }
}

void CameraSession::TriggerPicture()
{
    if (!SupportsTakePicture())
        return;
    m_core.PicturePending = true;
    BitBtn1Click();
}

void CameraSession::BitBtn1Click()
{
    if (m_releasing) {
        // One release at a time: the camera is busy with the last one until its picture is here.
        qCDebug(lcSession) << "release refused: one is under way";
        return;
    }
    if (!m_releaseCursor) {
        m_core.setWaitCursor(true);
        m_releaseCursor = true;
    }
    m_core.PictureRequested = true;
    m_core.FireEvent(events::RequestPicture);
    const QString creating = QStringLiteral("Bild wir erstellt...");
    m_core.WriteLog(0, creating);
    showStatus(creating);
    if (!m_device) {
        // The action of RequestPicture may have changed the camera.
        failRelease(QStringLiteral("Es ist keine Kamera verbunden."));
        return;
    }
    m_releasing = true;
    m_releaseDevice = m_device.get();
    showControls();
    m_releaseLimit.start(captureTimeoutMs());
    m_device->ExecuteCommand(wia::CommandTakePicture);
}

void CameraSession::onReleaseAnswered(Device* device, const QString& error)
{
    if (!m_releasing || !device || device != m_releaseDevice)
        return;
    if (!error.isEmpty()) {
        failRelease(error);
        return;
    }
    const QString waiting = QStringLiteral("Warte auf Kamera...");
    m_core.WriteLog(0, waiting);
    showStatus(waiting);
}

void CameraSession::failRelease(const QString& reason)
{
    m_core.WriteLog(2, kReleaseFailed);
    if (!reason.isEmpty())
        m_core.WriteLog(1, reason);
    showStatus({});
    m_core.PicturePending = false;
    releaseCursor();
    endRelease();
}

void CameraSession::endRelease()
{
    m_releasing = false;
    m_releaseDevice = nullptr;
    m_releaseLimit.stop();
    m_noJpegGrace.stop();
    showControls();
}

void CameraSession::releaseCursor()
{
    if (m_releaseCursor) {
        m_releaseCursor = false;
        m_core.setWaitCursor(false);
    }
}

void CameraSession::DeviceManager1Event(const QString& eventId, const QString& deviceId, const QString& itemId)
{
    qCDebug(lcSession) << "device event" << eventId << deviceId << itemId;
    if (eventId == wia::EventDeviceConnected) {
        m_core.CurrentDeviceName = GetDeviceNameByID(deviceId);
        RefreshDeviceList();
        m_core.FireEvent(events::DeviceConnect);
    } else if (eventId == wia::EventDeviceDisconnected) {
        // Any camera that goes away ends the session with the chosen one.
        releaseCurrentDevice(QStringLiteral("Die Verbindung zur Kamera ist abgebrochen."));
        DisableCameraButtons();
        RefreshDeviceList();
        m_core.FireEvent(events::DeviceDisconnect);
    } else if (eventId == wia::EventItemCreated) {
        if (m_device && m_device->DeviceID() == deviceId)
            takeInPicture(itemId);
    }
    showStatus({});
    releaseCursor();
}

QList<std::pair<QString, QString>> CameraSession::PollDeviceProperties()
{
    QList<std::pair<QString, QString>> values;
    if (shownCameraText().isEmpty() || !m_device)
        return values;
    for (const DeviceProperty& property : m_device->Properties())
        values.append({property.Name, property.Value});
    m_device->RefreshProperties();
    return values;
}

FileResult CameraSession::DeleteCameraItems()
{
    if (!m_device)
        return FileResult::failure(QStringLiteral("Es ist keine Kamera verbunden."));
    m_core.setWaitCursor(true);
    ++m_deleteCursors;
    const QString deleting = QStringLiteral("Bilder werden gelöscht");
    m_core.WriteLog(0, deleting);
    showStatus(deleting);
    m_device->RemoveAllItems();
    return FileResult::success();
}

void CameraSession::onItemsRemoved(Device* device, const QString& error)
{
    if (device != m_device.get())
        return;
    if (!error.isEmpty())
        m_core.WriteLog(2, QStringLiteral("Die Bilder auf der Kamera konnten nicht gelöscht werden: ") + error);
    if (m_status == QLatin1String("Bilder werden gelöscht"))
        showStatus({});
    if (m_deleteCursors > 0) {
        --m_deleteCursors;
        m_core.setWaitCursor(false);
    }
}

CameraInfo CameraSession::cameraInfo() const
{
    CameraInfo info;
    if (!m_device)
        return info;
    for (const DeviceProperty& property : m_device->Properties())
        info.properties.append({property.Name, property.Value, property.IsReadOnly});
    for (const DeviceEventInfo& event : m_device->Events())
        info.events.append({event.Name, event.EventID, false});
    for (const DeviceCommandInfo& command : m_device->Commands())
        info.commands.append({command.Name, command.CommandID, false});
    return info;
}

}  // namespace shutterhand
