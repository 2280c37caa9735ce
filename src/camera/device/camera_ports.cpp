#include "camera/device/camera_ports.h"

#include <QRegularExpression>

namespace shutterhand {

namespace {

bool validPort(const QString& text)
{
    bool ok = false;
    const int port = text.toInt(&ok);
    return ok && port >= 1 && port <= 65535;
}

}  // namespace

CameraPortList ParseCameraPorts(const QString& value)
{
    static const QRegularExpression separators(QStringLiteral("[;,\\r\\n]"));
    // Host: an IPv4 address or a DNS name (letters, digits, hyphens and dots).
    static const QRegularExpression entry(
        QStringLiteral(R"(^ptpip:([A-Za-z0-9](?:[A-Za-z0-9.-]{0,251}[A-Za-z0-9])?)(?::(\d{1,5}))?(?::(\d{1,5}))?$)"),
        QRegularExpression::CaseInsensitiveOption);
    CameraPortList list;
    for (const QString& part : value.split(separators, Qt::SkipEmptyParts)) {
        const QString text = part.trimmed();
        if (text.isEmpty())
            continue;
        const auto match = entry.match(text);
        const QString command = match.captured(2);
        const QString event = match.captured(3);
        if (!match.hasMatch() || (!command.isEmpty() && !validPort(command))
            || (!event.isEmpty() && !validPort(event))) {
            list.rejected.append(text);
            continue;
        }
        QString port = QStringLiteral("ptpip:") + match.captured(1);
        if (!command.isEmpty())
            port += u':' + command + u':' + (event.isEmpty() ? command : event);
        if (!list.ports.contains(port))
            list.ports.append(port);
    }
    return list;
}

}  // namespace shutterhand
