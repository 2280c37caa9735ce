// The camera commands of shutterhand-tool: cameras, capture and properties. They use the program's
// device layer and the program folder's var.dat (SimulatedCamera, CameraPorts, CaptureTimeout).

#include "tool/camera_commands.h"

#include "camera/device/camera_ports.h"
#include "camera/device/device_ids.h"
#include "camera/device/device_manager.h"
#include "camera/device/file_names.h"
#include "config/system_config.h"
#include "config/var_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <optional>

namespace shutterhand {

namespace {

constexpr int kDefaultCaptureTimeoutSeconds = 30;

void printError(const QString& message) { std::fprintf(stderr, "shutterhand-tool: %s\n", qPrintable(message)); }

struct CameraOptions {
    bool simulated = false;
    bool usb = true;
    QStringList ports;
    QString camera;
    QString output;
    bool cameraGiven = false;
};

// Parses the options a command allows; prints what is wrong and returns none on a mistake.
std::optional<CameraOptions> parseOptions(int argc, char** argv, bool takesCamera, bool takesOutput, const char* usage)
{
    CameraOptions options;
    for (int i = 0; i < argc; ++i) {
        const char* option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(option, "--simulated") == 0) {
            options.simulated = true;
        } else if (std::strcmp(option, "--no-usb") == 0) {
            options.usb = false;
        } else if (std::strcmp(option, "--port") == 0 && hasValue) {
            const QString value = QString::fromLocal8Bit(argv[++i]);
            const CameraPortList parsed = ParseCameraPorts(value);
            if (!parsed.rejected.isEmpty() || parsed.ports.isEmpty()) {
                printError(QStringLiteral("not a network camera port: %1 (for example ptpip:192.168.1.20)").arg(value));
                return std::nullopt;
            }
            options.ports += parsed.ports;
        } else if (takesCamera && std::strcmp(option, "--camera") == 0 && hasValue) {
            options.camera = QString::fromLocal8Bit(argv[++i]);
            options.cameraGiven = true;
        } else if (takesOutput && std::strcmp(option, "--output") == 0 && hasValue) {
            options.output = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: shutterhand-tool %s\n", usage);
            return std::nullopt;
        }
    }
    return options;
}

// The program folder's settings; a folder without var.dat gives the defaults.
TSystemConfig loadConfig()
{
    TSystemConfig config;
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    config.Directorys().SetDirectory(QStringLiteral("WorkDir"), folder);
    const FileResult loaded = LoadSystemVars(config);
    if (!loaded.ok())
        printError(loaded.error);
    return config;
}

// The device service of one command: the program's backends, pictures staged in a folder of its own.
struct Service {
    QTemporaryDir staging;
    DeviceManager manager;
    TSystemConfig config = loadConfig();

    explicit Service(const CameraOptions& options)
    {
        const TVarContainer& vars = config.Vars();
        DeviceServiceSettings settings;
        settings.simulated = options.simulated || isTrueValue(vars.GetValueByName(QStringLiteral("SimulatedCamera")))
            || qEnvironmentVariable("SHUTTERHAND_SIMULATED_CAMERA") == QLatin1String("1");
        settings.networkPorts = ParseCameraPorts(vars.GetValueByName(QStringLiteral("CameraPorts"))).ports;
        for (const QString& port : options.ports) {
            if (!settings.networkPorts.contains(port))
                settings.networkPorts.append(port);
        }
        settings.usbCameras = options.usb;
        settings.stagingDir = staging.path() + QStringLiteral("/");
        manager.Connect(settings);
    }

    int captureTimeoutMs() const
    {
        bool ok = false;
        const int seconds = config.Vars().GetValueByName(QStringLiteral("CaptureTimeout")).trimmed().toInt(&ok);
        return (ok && seconds > 0 ? seconds : kDefaultCaptureTimeoutSeconds) * 1000;
    }

    // The camera to use: the last of the given name (as the program's camera list connects), or the
    // first listed one.
    std::shared_ptr<Device> connect(const CameraOptions& options)
    {
        QString deviceId;
        for (const DeviceInfo& info : manager.DeviceInfos()) {
            if (!options.cameraGiven && deviceId.isEmpty())
                deviceId = info.DeviceID;
            else if (options.cameraGiven && info.name() == options.camera)
                deviceId = info.DeviceID;
        }
        if (deviceId.isEmpty()) {
            printError(options.cameraGiven ? QStringLiteral("no camera named \"%1\"").arg(options.camera)
                                           : QStringLiteral("no camera found"));
            return nullptr;
        }
        DeviceResult<std::shared_ptr<Device>> device = manager.ConnectDevice(deviceId);
        if (!device.ok()) {
            QString message = QStringLiteral("cannot connect to the camera: ") + device.error().message;
            if (device.error().kind == DeviceErrorKind::Claimed && !device.error().holder.isEmpty())
                message
                    += QStringLiteral(" (held by %1; \"gio mount -s gphoto2\" releases it)").arg(device.error().holder);
            printError(message);
            return nullptr;
        }
        return device.value();
    }
};

// Where the picture goes: the given file, into the given folder, or the camera's own name here.
QString outputPath(const QString& output, const QString& cameraName)
{
    const QString name = SafeLocalFileName(cameraName);
    if (output.isEmpty())
        return QDir::current().filePath(name);
    if (QFileInfo(output).isDir())
        return QDir(output).filePath(name);
    return output;
}

}  // namespace

int runCamerasCommand(int argc, char** argv)
{
    const auto options = parseOptions(argc, argv, false, false, "cameras [--simulated] [--port PORT]... [--no-usb]");
    if (!options)
        return 2;
    Service service(*options);
    const QList<DeviceInfo> devices = service.manager.DeviceInfos();
    if (devices.isEmpty())
        std::fprintf(stderr, "shutterhand-tool: no camera found\n");
    for (const DeviceInfo& info : devices)
        std::printf("%s\t%s\n", qPrintable(info.name()), qPrintable(info.DeviceID));
    return 0;
}

int runPropertiesCommand(int argc, char** argv)
{
    const auto options
        = parseOptions(argc, argv, true, false, "properties [--camera NAME] [--simulated] [--port PORT]... [--no-usb]");
    if (!options)
        return 2;
    Service service(*options);
    const std::shared_ptr<Device> device = service.connect(*options);
    if (!device)
        return 1;
    for (const DeviceProperty& property : device->Properties()) {
        std::printf("%s\t%s\t%s\n", qPrintable(property.Name), qPrintable(property.Value),
                    property.IsReadOnly ? "read-only" : "writable");
    }
    return 0;
}

int runCaptureCommand(int argc, char** argv)
{
    const auto options = parseOptions(
        argc, argv, true, true, "capture [--camera NAME] [--output FILE] [--simulated] [--port PORT]... [--no-usb]");
    if (!options)
        return 2;
    Service service(*options);
    const std::shared_ptr<Device> device = service.connect(*options);
    if (!device)
        return 1;
    if (!device->hasCommand(wia::CommandTakePicture)) {
        printError(QStringLiteral("the camera cannot take pictures"));
        return 1;
    }

    QEventLoop loop;
    QString failure;
    QString written;
    QObject::connect(device.get(), &Device::commandFinished, &loop, [&](const QString&, const QString& error) {
        if (!error.isEmpty()) {
            failure = QStringLiteral("the release failed: ") + error;
            loop.quit();
        }
    });
    QObject::connect(device.get(), &Device::lost, &loop, [&](const QString& reason) {
        failure = QStringLiteral("the camera is gone: ") + reason;
        loop.quit();
    });
    // The picture is saved while its event is handled; a RAW file of the same release is passed over.
    service.manager.RegisterEvent(wia::EventItemCreated);
    QObject::connect(&service.manager, &DeviceManager::OnEvent, &loop,
                     [&](const QString& eventId, const QString& deviceId, const QString& itemId) {
                         if (eventId != wia::EventItemCreated || deviceId != device->DeviceID())
                             return;
                         const std::shared_ptr<DeviceItem> item = device->GetItem(itemId);
                         if (!item || !item->Formats().contains(wia::FormatJpeg))
                             return;
                         const QString target = outputPath(options->output, item->file().name);
                         DeviceResult<ImageFile> transfer = item->Transfer(wia::FormatJpeg);
                         const FileResult saved = transfer.ok() ? transfer.value().SaveFile(target)
                                                                : FileResult::failure(transfer.error().message);
                         if (saved.ok())
                             written = target;
                         else
                             failure = QStringLiteral("the picture cannot be stored: ") + saved.error;
                         loop.quit();
                     });
    const int limitMs = service.captureTimeoutMs();
    QTimer::singleShot(limitMs, &loop, [&] {
        failure = QStringLiteral("no picture came from the camera within %1 seconds").arg(limitMs / 1000);
        loop.quit();
    });
    device->ExecuteCommand(wia::CommandTakePicture);
    loop.exec();
    if (written.isEmpty()) {
        printError(failure);
        return 1;
    }
    std::printf("%s\n", qPrintable(QDir::toNativeSeparators(written)));
    return 0;
}

}  // namespace shutterhand
