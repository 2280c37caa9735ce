#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace shutterhand::test {

// The PTP/IP camera emulator of the shared test tools, started on a free loopback port for one test.
class PtpipEmulator {
public:
    // Starts it with the given options (see the emulator's README); false when it did not come up.
    bool start(const QStringList& options = {});
    ~PtpipEmulator();

    int port() const { return m_port; }
    // The port path as the camera library and CameraPorts take it.
    QString portPath() const { return QStringLiteral("ptpip:127.0.0.1:%1:%1").arg(m_port); }
    // Sends a control command (needs "--control") and returns the emulator's answer line.
    QString command(const QString& line);
    // The emulator's log (with "-v").
    QString log();

    static QString scriptPath();

private:
    QProcess m_process;
    int m_port = 0;
    QString m_log;
};

// Gives the camera library a throw-away home folder (it keeps its settings there); call before its
// first use.
void useThrowAwayHome();

}  // namespace shutterhand::test
