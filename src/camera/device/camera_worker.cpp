#include "camera/device/camera_worker.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryFile>
#include <QThread>

Q_LOGGING_CATEGORY(lcCameraWorker, "shutterhand.camera.worker", QtInfoMsg)

namespace shutterhand {

namespace {

// Events are taken in small batches so that a burst of them cannot hold back the next command.
constexpr int kEventsPerPoll = 16;

}  // namespace

CameraWorker::CameraWorker(std::unique_ptr<CameraDriver> driver, QString stagingDir, DeviceTimings timings)
    : m_driver(std::move(driver))
    , m_stagingDir(std::move(stagingDir))
    , m_timings(timings)
    , m_pollTimer(this)
{
    m_pollTimer.setSingleShot(true);
    connect(&m_pollTimer, &QTimer::timeout, this, &CameraWorker::pollEvents);
}

CameraWorker::~CameraWorker()
{
    if (m_open)
        m_driver->close();
}

void CameraWorker::execute(const WorkerCommand& command)
{
    std::visit([this](const auto& c) { run(c); }, command);
}

void CameraWorker::run(const OpenCommand&)
{
    DeviceResult<DeviceDescription> description = m_driver->open();
    if (!description.ok()) {
        emit openFailed(description.error());
        return;
    }
    m_open = true;
    emit opened(description.value());
    // The card is listed after the camera has been announced as open: a full card can take a while,
    // and nobody has to wait for it before the first release.
    DeviceResult<QList<CameraFile>> files = m_driver->listFiles();
    if (files.ok()) {
        m_files = files.value();
        emit filesListed(m_files);
    }
    m_pollTimer.start(m_timings.pollIntervalMs);
}

void CameraWorker::run(const CaptureCommand& command)
{
    CommandOutcome outcome{command.ticket, {}, {}};
    if (!m_open || m_lost) {
        outcome.error = deviceError(DeviceErrorKind::Lost, QStringLiteral("Die Kamera ist nicht verbunden."));
        emit commandFinished(outcome);
        return;
    }
    // A camera that is still busy with the previous picture (or writing its card) says so; it is
    // asked again for a few seconds before the release counts as failed.
    QElapsedTimer waited;
    waited.start();
    DeviceStatus status = m_driver->triggerCapture();
    while (!status.ok() && status.error().kind == DeviceErrorKind::Busy
           && waited.elapsed() + m_timings.busyRetryStepMs <= m_timings.busyRetryMs) {
        QThread::msleep(static_cast<unsigned long>(m_timings.busyRetryStepMs));
        status = m_driver->triggerCapture();
    }
    if (!status.ok()) {
        outcome.error = status.error();
        noteFailure(status.error());
    }
    emit commandFinished(outcome);
}

void CameraWorker::run(const RefreshPropertiesCommand& command)
{
    CommandOutcome outcome{command.ticket, {}, {}};
    if (m_open && !m_lost) {
        DeviceResult<QList<DeviceProperty>> properties = m_driver->readProperties();
        if (properties.ok()) {
            emit propertiesRead(properties.value());
        } else {
            outcome.error = properties.error();
            noteFailure(properties.error());
        }
    }
    if (command.ticket != 0)
        emit commandFinished(outcome);
}

void CameraWorker::run(const DeleteAllCommand& command)
{
    CommandOutcome outcome{command.ticket, {}, {}};
    if (!m_open || m_lost)
        outcome.error = deviceError(DeviceErrorKind::Lost, QStringLiteral("Die Kamera ist nicht verbunden."));
    // Every file reported so far has been copied off the camera already (a JPEG is staged before its
    // event goes out), so deleting them all loses no new picture.
    const QList<CameraFile> files = m_open && !m_lost ? m_files : QList<CameraFile>();
    for (auto it = files.crbegin(); it != files.crend() && !m_lost; ++it) {
        const DeviceStatus status = m_driver->deleteFile(*it);
        if (status.ok()) {
            outcome.deleted.append(*it);
            m_files.removeOne(*it);
        } else {
            if (!outcome.error)
                outcome.error = status.error();
            noteFailure(status.error());
        }
    }
    emit commandFinished(outcome);
}

void CameraWorker::run(const CloseCommand&)
{
    m_pollTimer.stop();
    if (m_open) {
        m_open = false;
        m_driver->close();
    }
    thread()->quit();
}

void CameraWorker::pollEvents()
{
    if (!m_open || m_lost)
        return;
    for (int i = 0; i < kEventsPerPoll; ++i) {
        DeviceResult<DriverEvent> event = m_driver->waitForEvent(m_timings.eventWaitMs);
        if (!event.ok()) {
            if (noteFailure(event.error()))
                return;
            break;
        }
        m_failuresInRow = 0;
        if (event.value().kind == DriverEvent::Kind::None)
            break;
        handleEvent(event.value());
        if (m_lost)
            return;
    }
    if (m_open && !m_lost)
        m_pollTimer.start(m_timings.pollIntervalMs);
}

void CameraWorker::handleEvent(const DriverEvent& event)
{
    switch (event.kind) {
    case DriverEvent::Kind::None:
        break;
    case DriverEvent::Kind::FileAdded:
        stage(event.file);
        break;
    case DriverEvent::Kind::TreeChanged:
        emit treeUpdated();
        break;
    case DriverEvent::Kind::PropertyChanged:
        run(RefreshPropertiesCommand{});
        break;
    }
}

void CameraWorker::stage(const CameraFile& file)
{
    if (!m_files.contains(file))
        m_files.append(file);
    CreatedItem item{file, {}, {}};
    if (!file.isJpeg()) {
        // Only a JPEG is ever shown or stored; other files (RAW) are reported without copying them.
        emit itemCreated(item);
        return;
    }
    if (!QDir().mkpath(m_stagingDir)) {
        item.stagingError = QStringLiteral("Der Ordner %1 kann nicht angelegt werden.").arg(m_stagingDir);
        emit itemCreated(item);
        return;
    }
    QTemporaryFile staging(QDir(m_stagingDir).filePath(QStringLiteral("staging-XXXXXX.jpg")));
    staging.setAutoRemove(false);
    if (!staging.open()) {
        item.stagingError = QStringLiteral("%1: %2").arg(staging.fileTemplate(), staging.errorString());
        emit itemCreated(item);
        return;
    }
    const QString path = staging.fileName();
    staging.close();
    const DeviceStatus status = m_driver->download(file, path);
    if (!status.ok()) {
        QFile::remove(path);
        item.stagingError = status.error().message;
        noteFailure(status.error());
    } else {
        item.stagedPath = path;
    }
    if (!m_lost)
        emit itemCreated(item);
}

bool CameraWorker::noteFailure(const DeviceError& error)
{
    if (error.kind != DeviceErrorKind::Lost && error.kind != DeviceErrorKind::TimedOut)
        return false;
    if (++m_failuresInRow < m_timings.lostAfterFailures)
        return false;
    declareLost(error);
    return true;
}

void CameraWorker::declareLost(const DeviceError& error)
{
    if (m_lost)
        return;
    m_lost = true;
    m_pollTimer.stop();
    qCInfo(lcCameraWorker) << "camera lost:" << error.message;
    emit lost(error);
}

}  // namespace shutterhand
