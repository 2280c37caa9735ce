#pragma once

#include "camera/device/camera_driver.h"
#include "camera/device/device_timings.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>
#include <variant>

namespace shutterhand {

// The typed commands a camera's worker takes from the UI thread.
struct OpenCommand { };
struct CaptureCommand {
    quint64 ticket = 0;
};
struct RefreshPropertiesCommand {
    quint64 ticket = 0;  // 0: nobody waits for the answer
};
// Deletes every file the camera holds, the last first.
struct DeleteAllCommand {
    quint64 ticket = 0;
};
struct CloseCommand { };
using WorkerCommand
    = std::variant<OpenCommand, CaptureCommand, RefreshPropertiesCommand, DeleteAllCommand, CloseCommand>;

// The answer to a numbered command: no error, or what went wrong; a deletion also tells which files
// are gone.
struct CommandOutcome {
    quint64 ticket = 0;
    std::optional<DeviceError> error;
    QList<CameraFile> deleted;
};

// A new file on the camera. A JPEG has already been copied into the staging file when this is posted;
// `stagingError` says why not when that failed.
struct CreatedItem {
    CameraFile file;
    QString stagedPath;
    QString stagingError;
};

// Owns one camera's driver on a thread of its own. It takes commands one at a time and, between them,
// keeps looking for the camera's events: a new file is downloaded at once and only then reported, so
// that the UI thread never waits for the camera. Everything it reports goes out as queued signals.
class CameraWorker : public QObject {
    Q_OBJECT

public:
    CameraWorker(std::unique_ptr<CameraDriver> driver, QString stagingDir, DeviceTimings timings);
    ~CameraWorker() override;

    // Runs on the worker's thread (post it with QMetaObject::invokeMethod).
    void execute(const WorkerCommand& command);

signals:
    void opened(const shutterhand::DeviceDescription& description);
    void openFailed(const shutterhand::DeviceError& error);
    void commandFinished(const shutterhand::CommandOutcome& outcome);
    void propertiesRead(const QList<shutterhand::DeviceProperty>& properties);
    // The files on the camera right after it was opened.
    void filesListed(const QList<shutterhand::CameraFile>& files);
    void itemCreated(const shutterhand::CreatedItem& item);
    void treeUpdated();
    void lost(const shutterhand::DeviceError& error);

private:
    void run(const OpenCommand&);
    void run(const CaptureCommand& command);
    void run(const RefreshPropertiesCommand& command);
    void run(const DeleteAllCommand& command);
    void run(const CloseCommand&);
    void pollEvents();
    void handleEvent(const DriverEvent& event);
    void stage(const CameraFile& file);
    // Counts failures that point to a lost connection; true when the camera is now taken as gone.
    bool noteFailure(const DeviceError& error);
    void declareLost(const DeviceError& error);

    std::unique_ptr<CameraDriver> m_driver;
    QString m_stagingDir;
    DeviceTimings m_timings;
    QTimer m_pollTimer;
    QList<CameraFile> m_files;  // what the camera holds, as far as listed and reported
    bool m_open = false;
    bool m_lost = false;
    int m_failuresInRow = 0;
};

}  // namespace shutterhand

Q_DECLARE_METATYPE(shutterhand::CommandOutcome)
Q_DECLARE_METATYPE(shutterhand::CreatedItem)
