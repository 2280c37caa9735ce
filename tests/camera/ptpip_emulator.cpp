#include "ptpip_emulator.h"

#include "support/program_folder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <fcntl.h>

namespace shutterhand::test {

QString PtpipEmulator::scriptPath()
{
    return QDir(sourceDir()).absoluteFilePath(QStringLiteral("../shared/tools/ptpip_camera.py"));
}

bool PtpipEmulator::start(const QStringList& options)
{
    if (!QFileInfo::exists(scriptPath())) {
        qWarning("emulator not found at %s", qPrintable(scriptPath()));
        return false;
    }
    m_process.setProgram(QStringLiteral("python3"));
    m_process.setArguments(QStringList{scriptPath(), QStringLiteral("--port"), QStringLiteral("0")} + options);
    m_process.start();
    if (!m_process.waitForStarted(10000))
        return false;
    static const QRegularExpression ready(QStringLiteral(R"(^listening on 127\.0\.0\.1:(\d+))"));
    const QDeadlineTimer deadline(20000);
    QByteArray line;
    while (!deadline.hasExpired()) {
        if (!m_process.canReadLine() && !m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
        while (m_process.canReadLine()) {
            line = m_process.readLine().trimmed();
            const auto match = ready.match(QString::fromUtf8(line));
            if (match.hasMatch()) {
                m_port = match.captured(1).toInt();
                return true;
            }
        }
    }
    qWarning("emulator did not start: %s", m_process.readAllStandardError().constData());
    return false;
}

PtpipEmulator::~PtpipEmulator()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}

QString PtpipEmulator::command(const QString& line)
{
    m_process.write(line.toUtf8() + '\n');
    m_process.waitForBytesWritten(2000);
    const QDeadlineTimer deadline(10000);
    while (!m_process.canReadLine() && !deadline.hasExpired())
        m_process.waitForReadyRead(100);
    return QString::fromUtf8(m_process.readLine()).trimmed();
}

QString PtpipEmulator::log()
{
    m_log += QString::fromUtf8(m_process.readAllStandardError());
    return m_log;
}

void useThrowAwayHome()
{
    // A test started without standard input would hand its first pipe or socket descriptor 0, which a
    // child process then loses; the emulator's control channel needs a real one.
    if (::fcntl(0, F_GETFD) == -1)
        ::open("/dev/null", O_RDONLY);
    static QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
}

}  // namespace shutterhand::test
