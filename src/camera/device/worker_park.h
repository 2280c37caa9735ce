#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QThread;

namespace shutterhand {

// Keeps the threads of closed cameras until they have ended. Closing a camera must not block the UI
// thread (a camera that hangs can take seconds to let go), so a device hands its thread over here and
// forgets it; the park frees each thread once it has finished, and at the end waits a bounded time for
// the ones still running.
class WorkerPark : public QObject {
    Q_OBJECT

public:
    WorkerPark() = default;
    ~WorkerPark() override;

    // Takes the thread of `deviceId`'s worker, which has been asked to end.
    void adopt(QThread* thread, const QString& deviceId);
    // Runs the event loop until no thread of `deviceId` is left (at most `timeoutMs`): a camera must
    // be closed before it can be opened again. True when none is left.
    bool waitForDevice(const QString& deviceId, int timeoutMs);
    // Waits up to `timeoutMs` altogether for the adopted threads; true when all have ended. A thread
    // still running afterwards is left to the process's end rather than destroyed while it runs.
    bool joinAll(int timeoutMs);
    int running() const { return static_cast<int>(m_threads.size()); }

private:
    struct Parked {
        QThread* thread;
        QString deviceId;
    };
    bool forget(QThread* thread);

    QList<Parked> m_threads;
};

}  // namespace shutterhand
