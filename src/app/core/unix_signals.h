#pragma once

#include <QObject>

class QSocketNotifier;

namespace shutterhand {

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the main thread, so that a logout, a service
// stop or Ctrl+C closes the program in its normal order (EndShutterhand runs) instead of killing it.
class UnixSignalWatcher : public QObject {
    Q_OBJECT

public:
    explicit UnixSignalWatcher(QObject* parent = nullptr);
    ~UnixSignalWatcher() override;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace shutterhand
