// Any bytes as a camera's battery text, as the CameraPorts setting and as a camera's file name. Checks
// the promises the callers rely on, not just the absence of crashes.

#include "camera/device/battery_level.h"
#include "camera/device/camera_ports.h"
#include "camera/device/file_names.h"

#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <cstdlib>

using namespace shutterhand;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // A battery level is always a whole percentage.
    const BatteryRange ranges[] = {{}, {0, 3}, {-5, 1e9}};
    for (const BatteryRange& range : ranges) {
        if (const auto percent = BatteryPercent(text, range); percent && (*percent < 0 || *percent > 100))
            std::abort();
    }

    // Every accepted port is a PTP/IP port with both ports given or none; nothing is listed twice.
    static const QRegularExpression port(QStringLiteral(R"(^ptpip:[A-Za-z0-9.-]+(:\d{1,5}:\d{1,5})?$)"));
    const CameraPortList ports = ParseCameraPorts(text);
    for (qsizetype i = 0; i < ports.ports.size(); ++i) {
        if (!port.match(ports.ports[i]).hasMatch() || ports.ports.indexOf(ports.ports[i]) != i)
            std::abort();
    }

    // A camera's file name never leaves the folder it is stored in.
    const QString name = SafeLocalFileName(text);
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name == QLatin1String(".")
        || name == QLatin1String("..") || name.toUtf8().size() > 255 || name.contains(QChar(0)))
        std::abort();
    return 0;
}
