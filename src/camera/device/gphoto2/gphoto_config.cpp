#include "camera/device/gphoto2/gphoto_config.h"

#include "camera/device/battery_level.h"
#include "camera/device/device_ids.h"

#include <QDateTime>

#include <cmath>
#include <optional>

namespace shutterhand::gphoto {

namespace {

QString widgetName(CameraWidget* widget)
{
    const char* name = nullptr;
    gp_widget_get_name(widget, &name);
    return name ? QString::fromUtf8(name) : QString();
}

CameraWidgetType widgetType(CameraWidget* widget)
{
    CameraWidgetType type = GP_WIDGET_SECTION;
    gp_widget_get_type(widget, &type);
    return type;
}

// The value of a setting as text; none for widgets that hold no value.
std::optional<QString> widgetValue(CameraWidget* widget)
{
    switch (widgetType(widget)) {
    case GP_WIDGET_TEXT:
    case GP_WIDGET_RADIO:
    case GP_WIDGET_MENU: {
        const char* text = nullptr;
        if (gp_widget_get_value(widget, &text) < GP_OK)
            return std::nullopt;
        return text ? QString::fromUtf8(text) : QString();
    }
    case GP_WIDGET_RANGE: {
        float value = 0;
        if (gp_widget_get_value(widget, &value) < GP_OK)
            return std::nullopt;
        return QString::number(static_cast<double>(value), 'g', 7);
    }
    case GP_WIDGET_TOGGLE: {
        int value = 0;
        if (gp_widget_get_value(widget, &value) < GP_OK)
            return std::nullopt;
        return QString::number(value);
    }
    case GP_WIDGET_DATE: {
        int value = 0;
        if (gp_widget_get_value(widget, &value) < GP_OK)
            return std::nullopt;
        if (value <= 0)
            return QString();
        return QDateTime::fromSecsSinceEpoch(value).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        return std::nullopt;
    }
}

BatteryRange widgetRange(CameraWidget* widget)
{
    if (widgetType(widget) != GP_WIDGET_RANGE)
        return {};
    float minimum = 0, maximum = 0, step = 0;
    if (gp_widget_get_range(widget, &minimum, &maximum, &step) < GP_OK)
        return {};
    return {minimum, maximum};
}

QString findValue(CameraWidget* root, const char* name)
{
    CameraWidget* child = nullptr;
    if (gp_widget_get_child_by_name(root, name, &child) < GP_OK)
        return {};
    return widgetValue(child).value_or(QString()).trimmed();
}

void collect(CameraWidget* widget, QList<DeviceProperty>& out, bool top)
{
    const CameraWidgetType type = widgetType(widget);
    if (type == GP_WIDGET_WINDOW || type == GP_WIDGET_SECTION) {
        if (!top && type == GP_WIDGET_SECTION && widgetName(widget) == QLatin1String("actions"))
            return;
        const int count = gp_widget_count_children(widget);
        for (int i = 0; i < count; ++i) {
            CameraWidget* child = nullptr;
            if (gp_widget_get_child(widget, i, &child) >= GP_OK)
                collect(child, out, false);
        }
        return;
    }
    const std::optional<QString> value = widgetValue(widget);
    if (!value)
        return;
    int readOnly = 0;
    gp_widget_get_readonly(widget, &readOnly);
    QString name = widgetName(widget);
    QString text = *value;
    if (name == QLatin1String("batterylevel")) {
        name = wia::PropertyBatteryStatus;
        if (const auto percent = BatteryPercent(text, widgetRange(widget)))
            text = QString::number(*percent);
    } else if (name == QLatin1String("iso")) {
        name = wia::PropertyExposureIndex;
    }
    out.append({name, text, readOnly != 0});
}

}  // namespace

CameraIdentity ReadIdentity(CameraWidget* root)
{
    if (!root)
        return {};
    return {findValue(root, "cameramodel"), findValue(root, "serialnumber"), findValue(root, "manufacturer")};
}

QList<DeviceProperty> PropertiesFromConfig(CameraWidget* root, const QString& fallbackName)
{
    const QString model = ReadIdentity(root).model;
    QList<DeviceProperty> properties{{wia::PropertyName, model.isEmpty() ? fallbackName : model, true}};
    if (root)
        collect(root, properties, true);
    return properties;
}

}  // namespace shutterhand::gphoto
