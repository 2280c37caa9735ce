#pragma once

#include <QString>
#include <QStringList>

namespace shutterhand::events {

// The program events. Each is bound to an action through the system variable of the same name.
inline const QString ConfigLoad = QStringLiteral("ConfigLoad");
inline const QString StartShutterhand = QStringLiteral("StartShutterhand");
inline const QString EndShutterhand = QStringLiteral("EndShutterhand");
inline const QString ApplicationMove = QStringLiteral("ApplicationMove");
inline const QString OpenLogWindow = QStringLiteral("OpenLogWindow");
inline const QString CloseLogWindow = QStringLiteral("CloseLogWindow");
inline const QString ConfigSave = QStringLiteral("ConfigSave");
inline const QString SaveImage = QStringLiteral("SaveImage");
inline const QString DeviceConnect = QStringLiteral("DeviceConnect");
inline const QString DeviceDisconnect = QStringLiteral("DeviceDisconnect");
inline const QString RequestPicture = QStringLiteral("RequestPicture");
inline const QString TakePicture = QStringLiteral("TakePicture");
inline const QString TakeSeriesPicture = QStringLiteral("TakeSeriesPicture");
inline const QString TakeRemotePicture = QStringLiteral("TakeRemotePicture");
inline const QString CreateThumbnail = QStringLiteral("CreateThumbnail");
inline const QString WebserverIndexrequest = QStringLiteral("WebserverIndexrequest");
inline const QString StartWebserver = QStringLiteral("StartWebserver");
inline const QString StopWebserver = QStringLiteral("StopWebserver");
inline const QString RestartWebserver = QStringLiteral("RestartWebserver");
inline const QString AVICreate = QStringLiteral("AVICreate");

// All twenty, in the order the manual lists them.
inline QStringList all()
{
    return {ConfigLoad,        StartShutterhand,  EndShutterhand,   ApplicationMove,
            OpenLogWindow,     CloseLogWindow,    ConfigSave,       SaveImage,
            DeviceConnect,     DeviceDisconnect,  RequestPicture,   TakePicture,
            TakeSeriesPicture, TakeRemotePicture, CreateThumbnail,  WebserverIndexrequest,
            StartWebserver,    StopWebserver,     RestartWebserver, AVICreate};
}

}  // namespace shutterhand::events
