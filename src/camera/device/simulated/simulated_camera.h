#pragma once

#include "camera/device/camera_driver.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace shutterhand {

// What a release of the simulated camera puts on its card.
enum class SimulatedShots { Jpeg, Raw, RawAndJpeg };

struct SimulatedCameraOptions {
    QString name = QStringLiteral("Shutterhand Simulator");
    int pictureWidth = 2400;
    int pictureHeight = 1600;
    int captureDelayMs = 700;  // from the release to the picture on the card
    SimulatedShots shots = SimulatedShots::Jpeg;
    bool canCapture = true;
};

// The simulated camera itself: its card, its settings and the events it has to report. The UI thread
// (tests, the simulated backend) steers it while its worker thread drives it through a driver, so every
// member is guarded by one mutex.
class SimulatedCamera {
public:
    SimulatedCamera(QString deviceId, SimulatedCameraOptions options);

    QString deviceId() const { return m_deviceId; }
    QString name() const;
    SimulatedCameraOptions options() const;
    void setOptions(const SimulatedCameraOptions& options);

    // --- steering, for tests and demonstrations
    // The camera's own shutter button: a picture is taken now, without a command.
    void pressShutter();
    // The next `count` releases are refused with an error.
    void failNextReleases(int count);
    // The next `count` releases are answered "busy" before one is accepted.
    void answerBusy(int count);
    // Opening fails as if another program held the camera, until release() is called.
    void setClaimedBy(const QString& holder);
    bool releaseClaim();
    // While set, a release never returns: the driver hangs as a camera's driver can.
    void setHangOnRelease(bool hang);
    // Unplugged: every later call of a connected driver fails as a lost connection does.
    void unplug();
    int pictureCount() const;
    QStringList fileNames() const;
    QByteArray fileBytes(const QString& name) const;

    // --- the driver's side
    std::unique_ptr<CameraDriver> createDriver(const std::shared_ptr<SimulatedCamera>& self) const;

private:
    friend class SimulatedDriver;

    struct StoredFile {
        CameraFile file;
        QByteArray bytes;
    };

    DeviceResult<DeviceDescription> open();
    DeviceResult<QList<CameraFile>> files() const;
    DeviceStatus trigger();
    QList<DeviceProperty> properties() const;
    DeviceResult<DriverEvent> waitForEvent(int timeoutMs);
    DeviceStatus download(const CameraFile& file, const QString& targetPath) const;
    DeviceStatus remove(const CameraFile& file);
    void close();

    // Takes the picture of one release; the caller holds the mutex.
    void shoot(std::unique_lock<std::mutex>& lock);
    int batteryPercent() const;
    DeviceError lostError() const;

    const QString m_deviceId;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    SimulatedCameraOptions m_options;
    QList<StoredFile> m_card;
    std::deque<CameraFile> m_events;  // new files not reported yet
    QList<qint64> m_dueShots;         // times (on m_clock) at which released pictures reach the card
    QElapsedTimer m_clock;
    int m_shotCounter = 0;
    int m_failReleases = 0;
    int m_busyAnswers = 0;
    QString m_claimedBy;
    bool m_hang = false;
    bool m_unplugged = false;
    bool m_open = false;
};

}  // namespace shutterhand
