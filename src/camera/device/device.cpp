#include "camera/device/device.h"

#include "camera/device/device_ids.h"
#include "camera/device/worker_park.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <QThread>

Q_LOGGING_CATEGORY(lcDevice, "shutterhand.camera.device", QtInfoMsg)

namespace shutterhand {

namespace {

// The watchdog looks this often at the commands the camera has not answered yet.
constexpr int kWatchdogIntervalMs = 250;
// Each file of a deletion adds this much to the time the camera may take.
constexpr int kDeleteMsPerFile = 2000;

}  // namespace

Device::Device(QString deviceId, std::unique_ptr<CameraDriver> driver, QString stagingDir, DeviceTimings timings,
               std::shared_ptr<WorkerPark> park)
    : m_deviceId(std::move(deviceId))
    , m_timings(timings)
    , m_park(std::move(park))
{
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("camera ") + m_deviceId);
    m_worker = new CameraWorker(std::move(driver), std::move(stagingDir), timings);
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &CameraWorker::opened, this, &Device::onOpened);
    connect(m_worker, &CameraWorker::openFailed, this, &Device::onOpenFailed);
    connect(m_worker, &CameraWorker::commandFinished, this, &Device::onCommandFinished);
    connect(m_worker, &CameraWorker::propertiesRead, this, [this](const QList<DeviceProperty>& properties) {
        m_description.properties = properties;
        emit propertiesChanged();
    });
    connect(m_worker, &CameraWorker::filesListed, this, &Device::onFilesListed);
    connect(m_worker, &CameraWorker::itemCreated, this, &Device::onItemCreated);
    connect(m_worker, &CameraWorker::treeUpdated, this, &Device::treeUpdated);
    connect(m_worker, &CameraWorker::lost, this, &Device::onLost);
    m_thread->start();

    m_watchdog.setInterval(kWatchdogIntervalMs);
    connect(&m_watchdog, &QTimer::timeout, this, &Device::checkWatchdog);
    post(OpenCommand{});
}

Device::~Device()
{
    m_worker->disconnect(this);
    post(CloseCommand{});
    m_park->adopt(m_thread, m_deviceId);
}

void Device::post(WorkerCommand command)
{
    CameraWorker* worker = m_worker;
    QMetaObject::invokeMethod(
        worker, [worker, command = std::move(command)] { worker->execute(command); }, Qt::QueuedConnection);
}

DeviceStatus Device::waitUntilOpen()
{
    if (m_openState == OpenState::Opening) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(m_worker, &CameraWorker::opened, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        connect(m_worker, &CameraWorker::openFailed, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        limit.start(m_timings.openMs);
        while (m_openState == OpenState::Opening && limit.isActive())
            loop.exec();
        if (m_openState == OpenState::Opening) {
            m_openState = OpenState::Failed;
            m_openError = deviceError(DeviceErrorKind::TimedOut, QStringLiteral("Die Kamera antwortet nicht."));
        }
    }
    if (m_openState == OpenState::Failed)
        return m_openError;
    return deviceOk();
}

void Device::onOpened(const DeviceDescription& description)
{
    if (m_openState != OpenState::Opening)
        return;
    m_openState = OpenState::Open;
    m_description = description;
}

void Device::onFilesListed(const QList<CameraFile>& files)
{
    // Pictures reported before the listing arrived stay behind the ones that were there before them.
    QList<std::shared_ptr<DeviceItem>> items;
    for (const CameraFile& file : files) {
        if (!GetItem(file.id()))
            items.append(std::make_shared<DeviceItem>(file, nullptr));
    }
    m_items = items + m_items;
}

quint64 Device::track(PendingKind kind, const QString& commandId, int limitMs)
{
    const quint64 ticket = m_nextTicket++;
    Pending pending{kind, commandId, {}, limitMs};
    pending.started.start();
    m_pending.insert(ticket, pending);
    m_watchdog.start();
    return ticket;
}

void Device::onOpenFailed(const DeviceError& error)
{
    if (m_openState != OpenState::Opening)
        return;
    m_openState = OpenState::Failed;
    m_openError = error;
}

bool Device::hasCommand(const QString& commandId) const
{
    for (const DeviceCommandInfo& command : m_description.commands) {
        if (command.CommandID == commandId)
            return true;
    }
    return false;
}

std::shared_ptr<DeviceItem> Device::Item(int index) const
{
    if (index < 1 || index > m_items.size())
        return nullptr;
    return m_items[index - 1];
}

std::shared_ptr<DeviceItem> Device::GetItem(const QString& itemId) const
{
    for (const auto& item : m_items) {
        if (item->ItemID() == itemId)
            return item;
    }
    return nullptr;
}

void Device::ExecuteCommand(const QString& commandId)
{
    QString refusal;
    if (m_lost || m_openState != OpenState::Open)
        refusal = QStringLiteral("Die Kamera ist nicht verbunden.");
    else if (commandId != wia::CommandTakePicture || !hasCommand(commandId))
        refusal = QStringLiteral("Die Kamera kennt das Kommando %1 nicht.").arg(commandId);
    if (!refusal.isEmpty()) {
        // The answer always comes later, as it does from a camera.
        QMetaObject::invokeMethod(
            this, [this, commandId, refusal] { emit commandFinished(commandId, refusal); }, Qt::QueuedConnection);
        return;
    }
    post(CaptureCommand{track(PendingKind::Command, commandId, m_timings.commandMs + m_timings.busyRetryMs)});
}

void Device::RemoveAllItems()
{
    if (m_lost || m_openState != OpenState::Open) {
        QMetaObject::invokeMethod(
            this, [this] { emit itemsRemoved(QStringLiteral("Die Kamera ist nicht verbunden.")); },
            Qt::QueuedConnection);
        return;
    }
    const int limit = m_timings.commandMs + kDeleteMsPerFile * static_cast<int>(m_items.size());
    post(DeleteAllCommand{track(PendingKind::Deletion, {}, limit)});
}

void Device::RefreshProperties()
{
    if (m_lost || m_openState != OpenState::Open)
        return;
    for (const Pending& pending : std::as_const(m_pending)) {
        if (pending.kind == PendingKind::Properties)
            return;  // the previous refresh has not been answered yet
    }
    post(RefreshPropertiesCommand{track(PendingKind::Properties, {}, m_timings.commandMs)});
}

void Device::finishItemEvent(const QString& itemId)
{
    if (const auto item = GetItem(itemId))
        item->discardStaging();
}

void Device::onCommandFinished(const CommandOutcome& outcome)
{
    const auto found = m_pending.find(outcome.ticket);
    if (found == m_pending.end())
        return;
    const Pending pending = *found;
    m_pending.erase(found);
    if (m_pending.isEmpty())
        m_watchdog.stop();
    const QString error = outcome.error ? outcome.error->message : QString();
    if (pending.kind == PendingKind::Command) {
        emit commandFinished(pending.commandId, error);
    } else if (pending.kind == PendingKind::Deletion) {
        m_items.removeIf(
            [&](const std::shared_ptr<DeviceItem>& item) { return outcome.deleted.contains(item->file()); });
        emit itemsRemoved(error);
    }
}

void Device::onItemCreated(const CreatedItem& created)
{
    auto staged = created.stagedPath.isEmpty() ? nullptr : std::make_shared<StagedFile>(created.stagedPath);
    auto item = std::make_shared<DeviceItem>(created.file, std::move(staged), created.stagingError);
    bool replaced = false;
    for (auto& existing : m_items) {
        if (existing->ItemID() == item->ItemID()) {
            existing = item;
            replaced = true;
        }
    }
    if (!replaced)
        m_items.append(item);
    emit itemCreated(item->ItemID());
}

void Device::onLost(const DeviceError& error)
{
    if (m_lost)
        return;
    m_lost = true;
    m_watchdog.stop();
    const QString reason
        = error.message.isEmpty() ? QStringLiteral("Die Verbindung zur Kamera ist abgebrochen.") : error.message;
    qCInfo(lcDevice) << m_deviceId << "lost:" << reason;
    // Whoever waits for an answer gets one: the camera will not give it any more.
    const QMap<quint64, Pending> pending = std::exchange(m_pending, {});
    for (const Pending& command : pending) {
        if (command.kind == PendingKind::Command)
            emit commandFinished(command.commandId, reason);
        else if (command.kind == PendingKind::Deletion)
            emit itemsRemoved(reason);
    }
    emit lost(reason);
}

void Device::checkWatchdog()
{
    for (const Pending& pending : std::as_const(m_pending)) {
        if (pending.started.elapsed() > pending.limitMs) {
            // The worker is stuck inside the camera's driver. It cannot be interrupted; the camera is
            // given up, and the thread ends whenever the driver returns.
            onLost(deviceError(DeviceErrorKind::TimedOut, QStringLiteral("Die Kamera antwortet nicht.")));
            return;
        }
    }
}

}  // namespace shutterhand
