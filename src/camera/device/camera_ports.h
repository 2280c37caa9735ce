#pragma once

#include <QString>
#include <QStringList>

namespace shutterhand {

// Network camera ports as the system variable CameraPorts lists them.
struct CameraPortList {
    QStringList ports;     // usable port paths, each once, e.g. "ptpip:192.168.1.20:15740:15740"
    QStringList rejected;  // entries that are no network camera port, as written
};

// Splits the value at ";" (also "," and line ends) and checks each entry: "ptpip:" followed by an IPv4
// address or a host name, then optionally ":" and the command port and ":" and the event port (1 to
// 65535). A lone command port is given for the events too, because the camera library would
// otherwise send them to its default port.
CameraPortList ParseCameraPorts(const QString& value);

}  // namespace shutterhand
