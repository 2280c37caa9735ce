#include "camera/device/simulated/simulated_camera.h"

#include "camera/device/device_ids.h"
#include "camera/device/simulated/simulated_picture.h"

#include <QFile>

#include <algorithm>
#include <chrono>

namespace shutterhand {

namespace {

const QString kFolder = QStringLiteral("/DCIM/100SHUTR");

// Stands for the RAW file of a release: the simulated camera has no sensor data to put into it.
QByteArray rawFileBytes(int number)
{
    QByteArray bytes = QByteArrayLiteral("SHUTTERHAND-SIMULATED-RAW ") + QByteArray::number(number) + '\n';
    bytes.append(QByteArray(64 * 1024, static_cast<char>(number & 0xFF)));
    return bytes;
}

}  // namespace

// Hands the worker's calls to the camera it belongs to.
class SimulatedDriver : public CameraDriver {
public:
    explicit SimulatedDriver(std::shared_ptr<SimulatedCamera> camera)
        : m_camera(std::move(camera))
    { }

    DeviceResult<DeviceDescription> open() override { return m_camera->open(); }
    DeviceResult<QList<CameraFile>> listFiles() override { return m_camera->files(); }
    DeviceStatus triggerCapture() override { return m_camera->trigger(); }
    DeviceResult<QList<DeviceProperty>> readProperties() override
    {
        std::lock_guard lock(m_camera->m_mutex);
        if (m_camera->m_unplugged)
            return m_camera->lostError();
        return m_camera->properties();
    }
    DeviceStatus deleteFile(const CameraFile& file) override { return m_camera->remove(file); }
    DeviceResult<DriverEvent> waitForEvent(int timeoutMs) override { return m_camera->waitForEvent(timeoutMs); }
    DeviceStatus download(const CameraFile& file, const QString& targetPath) override
    {
        return m_camera->download(file, targetPath);
    }
    void close() override { m_camera->close(); }

private:
    std::shared_ptr<SimulatedCamera> m_camera;
};

SimulatedCamera::SimulatedCamera(QString deviceId, SimulatedCameraOptions options)
    : m_deviceId(std::move(deviceId))
    , m_options(std::move(options))
{
    m_clock.start();
}

QString SimulatedCamera::name() const
{
    std::lock_guard lock(m_mutex);
    return m_options.name;
}

SimulatedCameraOptions SimulatedCamera::options() const
{
    std::lock_guard lock(m_mutex);
    return m_options;
}

void SimulatedCamera::setOptions(const SimulatedCameraOptions& options)
{
    std::lock_guard lock(m_mutex);
    m_options = options;
}

void SimulatedCamera::pressShutter()
{
    std::lock_guard lock(m_mutex);
    m_dueShots.append(m_clock.elapsed());
    m_changed.notify_all();
}

void SimulatedCamera::failNextReleases(int count)
{
    std::lock_guard lock(m_mutex);
    m_failReleases = count;
}

void SimulatedCamera::answerBusy(int count)
{
    std::lock_guard lock(m_mutex);
    m_busyAnswers = count;
}

void SimulatedCamera::setClaimedBy(const QString& holder)
{
    std::lock_guard lock(m_mutex);
    m_claimedBy = holder;
}

bool SimulatedCamera::releaseClaim()
{
    std::lock_guard lock(m_mutex);
    const bool wasClaimed = !m_claimedBy.isEmpty();
    m_claimedBy.clear();
    return wasClaimed;
}

void SimulatedCamera::setHangOnRelease(bool hang)
{
    std::lock_guard lock(m_mutex);
    m_hang = hang;
    m_changed.notify_all();
}

void SimulatedCamera::unplug()
{
    std::lock_guard lock(m_mutex);
    m_unplugged = true;
    m_changed.notify_all();
}

int SimulatedCamera::pictureCount() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_card.size());
}

QStringList SimulatedCamera::fileNames() const
{
    std::lock_guard lock(m_mutex);
    QStringList names;
    for (const StoredFile& stored : m_card)
        names.append(stored.file.name);
    return names;
}

QByteArray SimulatedCamera::fileBytes(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    for (const StoredFile& stored : m_card) {
        if (stored.file.name == name)
            return stored.bytes;
    }
    return {};
}

std::unique_ptr<CameraDriver> SimulatedCamera::createDriver(const std::shared_ptr<SimulatedCamera>& self) const
{
    return std::make_unique<SimulatedDriver>(self);
}

DeviceError SimulatedCamera::lostError() const
{
    return deviceError(DeviceErrorKind::Lost, QStringLiteral("Die Kamera wurde getrennt."));
}

DeviceResult<DeviceDescription> SimulatedCamera::open()
{
    std::lock_guard lock(m_mutex);
    if (m_unplugged)
        return lostError();
    if (!m_claimedBy.isEmpty()) {
        DeviceError error = deviceError(DeviceErrorKind::Claimed, QStringLiteral("Die Kamera ist belegt."));
        error.holder = m_claimedBy;
        return error;
    }
    m_open = true;
    // Only what happens from now on is reported; pictures taken while nobody listened are on the card.
    m_events.clear();
    DeviceDescription description;
    description.properties = properties();
    if (m_options.canCapture)
        description.commands.append(takePictureCommand());
    description.events = standardDeviceEvents();
    return description;
}

DeviceResult<QList<CameraFile>> SimulatedCamera::files() const
{
    std::lock_guard lock(m_mutex);
    if (m_unplugged)
        return lostError();
    QList<CameraFile> files;
    for (const StoredFile& stored : m_card)
        files.append(stored.file);
    return files;
}

DeviceStatus SimulatedCamera::trigger()
{
    std::unique_lock lock(m_mutex);
    if (m_unplugged)
        return lostError();
    if (!m_options.canCapture)
        return deviceError(DeviceErrorKind::NotSupported, QStringLiteral("Die Kamera kann nicht auslösen."));
    if (m_busyAnswers > 0) {
        --m_busyAnswers;
        return deviceError(DeviceErrorKind::Busy, QStringLiteral("Die Kamera ist beschäftigt."));
    }
    if (m_failReleases > 0) {
        --m_failReleases;
        return deviceError(DeviceErrorKind::Failed, QStringLiteral("Die Kamera hat die Aufnahme abgelehnt."));
    }
    m_changed.wait(lock, [this] { return !m_hang || m_unplugged; });
    if (m_unplugged)
        return lostError();
    m_dueShots.append(m_clock.elapsed() + m_options.captureDelayMs);
    m_changed.notify_all();
    return deviceOk();
}

QList<DeviceProperty> SimulatedCamera::properties() const
{
    static const char* const kFormats[] = {"JPEG", "RAW", "RAW + JPEG"};
    return {
        {wia::PropertyName, m_options.name, true},
        {QStringLiteral("Manufacturer"), QStringLiteral("Shutterhand"), true},
        {QStringLiteral("Serial Number"), m_deviceId, true},
        {wia::PropertyBatteryStatus, QString::number(batteryPercent()), true},
        {wia::PropertyExposureIndex, QStringLiteral("400"), false},
        {QStringLiteral("Shutter Speed"), QStringLiteral("1/125"), false},
        {QStringLiteral("F-Number"), QStringLiteral("f/5.6"), false},
        {QStringLiteral("White Balance"), QStringLiteral("Automatic"), false},
        {QStringLiteral("Image Size"), QStringLiteral("%1x%2").arg(m_options.pictureWidth).arg(m_options.pictureHeight),
         false},
        {QStringLiteral("Image Format"), QString::fromLatin1(kFormats[static_cast<int>(m_options.shots)]), false},
    };
}

int SimulatedCamera::batteryPercent() const
{
    // A slowly emptying battery: a point every two minutes and every ten pictures.
    const qint64 minutes = m_clock.elapsed() / 60000;
    return static_cast<int>(std::max<qint64>(5, 100 - minutes / 2 - m_shotCounter / 10));
}

DeviceResult<DriverEvent> SimulatedCamera::waitForEvent(int timeoutMs)
{
    std::unique_lock lock(m_mutex);
    const qint64 deadline = m_clock.elapsed() + timeoutMs;
    for (;;) {
        if (m_unplugged)
            return lostError();
        if (!m_events.empty()) {
            DriverEvent event{DriverEvent::Kind::FileAdded, m_events.front()};
            m_events.pop_front();
            return event;
        }
        const qint64 now = m_clock.elapsed();
        const auto due = std::min_element(m_dueShots.begin(), m_dueShots.end());
        if (due != m_dueShots.end() && *due <= now) {
            m_dueShots.erase(due);
            shoot(lock);
            continue;
        }
        if (now >= deadline)
            return DriverEvent{};
        const qint64 until = due != m_dueShots.end() ? std::min(deadline, *due) : deadline;
        m_changed.wait_for(lock, std::chrono::milliseconds(until - now));
    }
}

void SimulatedCamera::shoot(std::unique_lock<std::mutex>& lock)
{
    const int number = ++m_shotCounter;
    const SimulatedCameraOptions options = m_options;
    lock.unlock();
    QList<StoredFile> files;
    const QString base = QStringLiteral("SHS_%1").arg(number, 4, 10, QLatin1Char('0'));
    if (options.shots != SimulatedShots::Jpeg)
        files.append({{kFolder, base + QStringLiteral(".RAW"), QStringLiteral("image/x-shutterhand-raw")},
                      rawFileBytes(number)});
    if (options.shots != SimulatedShots::Raw) {
        SimulatedShot shot{options.pictureWidth, options.pictureHeight, number, QDateTime::currentDateTime(),
                           options.name};
        files.append(
            {{kFolder, base + QStringLiteral(".JPG"), QStringLiteral("image/jpeg")}, RenderSimulatedPicture(shot)});
    }
    lock.lock();
    for (const StoredFile& stored : files) {
        m_card.append(stored);
        if (m_open)
            m_events.push_back(stored.file);
    }
}

DeviceStatus SimulatedCamera::download(const CameraFile& file, const QString& targetPath) const
{
    QByteArray bytes;
    {
        std::lock_guard lock(m_mutex);
        if (m_unplugged)
            return lostError();
        const auto found = std::find_if(m_card.begin(), m_card.end(),
                                        [&](const StoredFile& stored) { return stored.file.id() == file.id(); });
        if (found == m_card.end())
            return deviceError(DeviceErrorKind::Failed, QStringLiteral("%1 ist nicht auf der Karte.").arg(file.name));
        bytes = found->bytes;
    }
    QFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate) || target.write(bytes) != bytes.size())
        return deviceError(DeviceErrorKind::Failed, QStringLiteral("%1: %2").arg(targetPath, target.errorString()));
    return deviceOk();
}

DeviceStatus SimulatedCamera::remove(const CameraFile& file)
{
    std::lock_guard lock(m_mutex);
    if (m_unplugged)
        return lostError();
    const auto found = std::find_if(m_card.begin(), m_card.end(),
                                    [&](const StoredFile& stored) { return stored.file.id() == file.id(); });
    if (found == m_card.end())
        return deviceError(DeviceErrorKind::Failed, QStringLiteral("%1 ist nicht auf der Karte.").arg(file.name));
    m_card.erase(found);
    return deviceOk();
}

void SimulatedCamera::close()
{
    std::lock_guard lock(m_mutex);
    m_open = false;
    m_events.clear();
}

}  // namespace shutterhand
