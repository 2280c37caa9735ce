#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

#include <utility>
#include <variant>

namespace shutterhand {

// One property of a device or of a device's description: its name, its value as text, and whether the
// camera lets it be changed.
struct DeviceProperty {
    QString Name;
    QString Value;
    bool IsReadOnly = true;

    bool operator==(const DeviceProperty&) const = default;
};

struct DeviceCommandInfo {
    QString CommandID;
    QString Name;

    bool operator==(const DeviceCommandInfo&) const = default;
};

struct DeviceEventInfo {
    QString EventID;
    QString Name;

    bool operator==(const DeviceEventInfo&) const = default;
};

// A file on the camera, as its driver names it.
struct CameraFile {
    QString folder;
    QString name;
    QString mimeType;

    // The item ID: the file's full path on the camera, unique per camera.
    QString id() const { return folder.endsWith(u'/') ? folder + name : folder + u'/' + name; }
    bool isJpeg() const;
    bool operator==(const CameraFile&) const = default;
};

// What an attached device tells before it is connected: its ID and its description properties
// ("Name" among them).
struct DeviceInfo {
    QString DeviceID;
    QList<DeviceProperty> Properties;

    // The value of the property "Name"; empty when there is none.
    QString name() const;
};

// What a connected device tells about itself once it is open.
struct DeviceDescription {
    QList<DeviceProperty> properties;
    QList<DeviceCommandInfo> commands;
    QList<DeviceEventInfo> events;
};

enum class DeviceErrorKind {
    Failed,        // the camera or its driver refused; the message says why
    Busy,          // the camera answered "busy" for longer than the retries wait
    Lost,          // the connection is gone (unplugged, switched off, network dropped)
    Claimed,       // another program holds the camera; `holder` names it
    TimedOut,      // the camera did not answer within the watchdog's limit
    NotSupported,  // the camera cannot do this
};

struct DeviceError {
    DeviceErrorKind kind = DeviceErrorKind::Failed;
    QString message;
    QString holder;  // for Claimed: what holds the camera, as the user knows it
};

// A value or the error that prevented it. Errors are values here: every caller decides what a failure
// means for its own work.
template <typename T> class DeviceResult {
public:
    DeviceResult(T value)
        : m_state(std::move(value))
    { }
    DeviceResult(DeviceError error)
        : m_state(std::move(error))
    { }

    bool ok() const { return std::holds_alternative<T>(m_state); }
    const T& value() const& { return std::get<T>(m_state); }
    T&& value() && { return std::get<T>(std::move(m_state)); }
    const DeviceError& error() const { return std::get<DeviceError>(m_state); }

private:
    std::variant<T, DeviceError> m_state;
};

using DeviceStatus = DeviceResult<std::monostate>;
inline DeviceStatus deviceOk() { return std::monostate{}; }
inline DeviceError deviceError(DeviceErrorKind kind, QString message)
{
    return DeviceError{kind, std::move(message), {}};
}

// The events a device of this program reports, with their names as the properties dialog shows them.
QList<DeviceEventInfo> standardDeviceEvents();
// The take-picture command, for devices that can capture.
DeviceCommandInfo takePictureCommand();

}  // namespace shutterhand

Q_DECLARE_METATYPE(shutterhand::DeviceProperty)
Q_DECLARE_METATYPE(shutterhand::CameraFile)
Q_DECLARE_METATYPE(shutterhand::DeviceDescription)
Q_DECLARE_METATYPE(shutterhand::DeviceError)
