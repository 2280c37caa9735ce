#pragma once

#include <QString>
#include <QStringList>

namespace shutterhand {

// The programs of the desktop that hold cameras: the gvfs camera backend mounts a camera as soon as it
// is plugged in and keeps it claimed, so no other program can open it.
QStringList FindCameraHolders(const QString& procRoot = QStringLiteral("/proc"));

// Asks gvfs to let go of its cameras ("gio mount -s gphoto2"); waits, running the event loop, for at
// most `timeoutMs`. True when the command succeeded.
bool ReleaseDesktopCameraMounts(int timeoutMs = 10000);

}  // namespace shutterhand
