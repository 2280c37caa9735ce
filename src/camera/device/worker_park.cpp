#include "camera/device/worker_park.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

Q_LOGGING_CATEGORY(lcWorkerPark, "shutterhand.camera.threads", QtInfoMsg)

namespace shutterhand {

WorkerPark::~WorkerPark() { joinAll(5000); }

void WorkerPark::adopt(QThread* thread, const QString& deviceId)
{
    m_threads.append({thread, deviceId});
    connect(thread, &QThread::finished, this, [this, thread] {
        if (forget(thread))
            thread->deleteLater();
    });
}

bool WorkerPark::forget(QThread* thread)
{
    for (qsizetype i = 0; i < m_threads.size(); ++i) {
        if (m_threads[i].thread == thread) {
            m_threads.removeAt(i);
            return true;
        }
    }
    return false;
}

bool WorkerPark::waitForDevice(const QString& deviceId, int timeoutMs)
{
    const auto pending = [&] {
        for (const Parked& parked : std::as_const(m_threads)) {
            if (parked.deviceId == deviceId && !parked.thread->isFinished())
                return true;
        }
        return false;
    };
    if (!pending())
        return true;
    QEventLoop loop;
    QTimer tick;
    connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!pending())
            loop.quit();
    });
    tick.start(20);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return !pending();
}

bool WorkerPark::joinAll(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const QList<Parked> threads = m_threads;
    for (const Parked& parked : threads) {
        if (!parked.thread->wait(deadline))
            continue;
        forget(parked.thread);
        delete parked.thread;
    }
    for (const Parked& parked : std::as_const(m_threads)) {
        // Destroying a running QThread would abort the program; a camera stuck in its driver is
        // abandoned instead and goes with the process.
        qCWarning(lcWorkerPark) << "the thread of" << parked.deviceId << "did not end in time; it is left running";
        parked.thread->disconnect(this);
    }
    const bool all = m_threads.isEmpty();
    m_threads.clear();
    return all;
}

}  // namespace shutterhand
