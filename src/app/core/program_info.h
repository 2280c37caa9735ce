#pragma once

#include <QString>

namespace shutterhand {

// The program version as four numbers, compiled in from the build's project version.
QString GetFileVersionString();

// The window title seen on the task bar.
inline const QString kMainWindowCaption = QStringLiteral("Shutter Hand V1.0");

// The address behind the web-site entry of the "?" menu.
inline const QString kProductWebsite = QStringLiteral("https://shutterhand.example.org/");

}  // namespace shutterhand
