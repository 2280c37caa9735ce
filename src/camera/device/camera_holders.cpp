#include "camera/device/camera_holders.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

namespace shutterhand {

QStringList FindCameraHolders(const QString& procRoot)
{
    // The kernel shortens process names to 15 characters: "gvfs-gphoto2-volume-monitor" is seen as
    // "gvfs-gphoto2-vo". The volume monitor only watches; the mount daemon holds the camera.
    QStringList holders;
    const QDir proc(procRoot);
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
        if (!comm.open(QIODevice::ReadOnly))
            continue;
        const QString name = QString::fromUtf8(comm.read(64)).trimmed();
        if (name.startsWith(QLatin1String("gvfsd-gphoto2")) && !holders.contains(name))
            holders.append(name);
    }
    return holders;
}

bool ReleaseDesktopCameraMounts(int timeoutMs)
{
    QProcess gio;
    QEventLoop loop;
    QObject::connect(&gio, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&gio, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    gio.start(QStringLiteral("gio"), {QStringLiteral("mount"), QStringLiteral("-s"), QStringLiteral("gphoto2")});
    if (gio.state() != QProcess::NotRunning)
        loop.exec();
    if (gio.state() != QProcess::NotRunning) {
        gio.kill();
        gio.waitForFinished(1000);
        return false;
    }
    return gio.exitStatus() == QProcess::NormalExit && gio.exitCode() == 0;
}

}  // namespace shutterhand
