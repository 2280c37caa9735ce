#pragma once

#include "camera/device/camera_worker.h"
#include "camera/device/device_item.h"
#include "camera/device/device_timings.h"

#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <memory>

class QThread;

namespace shutterhand {

class WorkerPark;

// A connected camera, as the UI thread sees it. Every call returns at once: the camera's worker thread
// does the work, and this object keeps what the camera last told (properties, commands, events, items)
// so that reading it never waits for the camera. Destroying it closes the camera in the background.
class Device : public QObject {
    Q_OBJECT

public:
    // Starts the worker thread for `driver`; the camera is opened there. Use waitUntilOpen() before
    // anything else.
    Device(QString deviceId, std::unique_ptr<CameraDriver> driver, QString stagingDir, DeviceTimings timings,
           std::shared_ptr<WorkerPark> park);
    ~Device() override;

    // Runs the event loop until the camera is open or has failed to open (or the open time limit has
    // passed). Other events are handled meanwhile.
    DeviceStatus waitUntilOpen();

    QString DeviceID() const { return m_deviceId; }
    const QList<DeviceProperty>& Properties() const { return m_description.properties; }
    const QList<DeviceCommandInfo>& Commands() const { return m_description.commands; }
    const QList<DeviceEventInfo>& Events() const { return m_description.events; }
    bool hasCommand(const QString& commandId) const;

    int ItemCount() const { return static_cast<int>(m_items.size()); }
    // The item at `index`, counted from 1 as the device collections are.
    std::shared_ptr<DeviceItem> Item(int index) const;
    // The item of an event's item ID; null when the camera has no such item.
    std::shared_ptr<DeviceItem> GetItem(const QString& itemId) const;

    // Starts a command; commandFinished() tells how it went.
    void ExecuteCommand(const QString& commandId);
    // Deletes every item on the camera, the last first; itemsRemoved() tells how it went.
    void RemoveAllItems();
    // Asks the camera for fresh property values; propertiesChanged() follows when they have come.
    void RefreshProperties();
    // Frees the copy of an item once its item-created event has been handled.
    void finishItemEvent(const QString& itemId);

    bool isLost() const { return m_lost; }

signals:
    void commandFinished(const QString& commandId, const QString& error);
    void itemsRemoved(const QString& error);
    void itemCreated(const QString& itemId);
    void treeUpdated();
    void propertiesChanged();
    // The connection is gone: unplugged, switched off, or the camera stopped answering.
    void lost(const QString& reason);

private:
    enum class OpenState { Opening, Open, Failed };
    enum class PendingKind { Command, Deletion, Properties };
    struct Pending {
        PendingKind kind = PendingKind::Command;
        QString commandId;  // for a command
        QElapsedTimer started;
        int limitMs = 0;
    };

    void post(WorkerCommand command);
    void onOpened(const DeviceDescription& description);
    void onFilesListed(const QList<CameraFile>& files);
    quint64 track(PendingKind kind, const QString& commandId, int limitMs);
    void onOpenFailed(const DeviceError& error);
    void onCommandFinished(const CommandOutcome& outcome);
    void onItemCreated(const CreatedItem& item);
    void onLost(const DeviceError& error);
    void checkWatchdog();

    QString m_deviceId;
    DeviceTimings m_timings;
    std::shared_ptr<WorkerPark> m_park;
    QThread* m_thread = nullptr;
    CameraWorker* m_worker = nullptr;

    OpenState m_openState = OpenState::Opening;
    DeviceError m_openError;
    DeviceDescription m_description;
    QList<std::shared_ptr<DeviceItem>> m_items;
    QMap<quint64, Pending> m_pending;
    quint64 m_nextTicket = 1;
    QTimer m_watchdog;
    bool m_lost = false;
};

}  // namespace shutterhand
