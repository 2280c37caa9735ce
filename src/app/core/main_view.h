#pragma once

#include "app/core/camera_service.h"

#include <QString>
#include <QStringList>
#include <QUrl>

namespace shutterhand {

// The main window's share of start-up and of the operations that change what it shows. The core calls
// these in the order the start-up prescribes; tests record them.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void placeWindow() = 0;        // at the right edge of the screen, 10 pixels from the top
    virtual void buildLanguageMenu() = 0;  // the "Sprachen" submenu
    virtual void applyLanguage() = 0;      // every caption of the main window from the language table
    virtual void closeMainWindow() = 0;    // ends the program once the running handler has returned
    virtual void setWaitCursor(bool on) = 0;

    // --- the camera session and the picture; a view without these controls ignores them
    // The camera list: its entries, the selected one (-1: none) and whether it can be used.
    virtual void showCameraList(const QStringList& /*entries*/, int /*current*/, bool /*enabled*/) { }
    // "Auslösen", "Kamerainfos" and "Serienaufnahme...".
    virtual void setCameraControls(bool /*release*/, bool /*info*/, bool /*series*/) { }
    virtual void showStatus(const QString& /*text*/) { }
    // Shows the picture file in the picture frame; an empty name shows the built-in placeholder.
    virtual void showPicture(const QString& /*file*/) { }
    // The EXIF overlay's text (lines separated by CR LF) and whether it is shown.
    virtual void showExifOverlay(const QString& /*text*/, bool /*visible*/) { }
    // The context menu entry "Bild speichern unter...".
    virtual void setSaveAsEnabled(bool /*enabled*/) { }
    // Puts the picture file on the clipboard as a bitmap; false when there is no clipboard.
    virtual bool copyPictureToClipboard(const QString& /*file*/) { return false; }
    // The camera properties dialog, modal.
    virtual void openCameraInfo(const CameraInfo& /*info*/) { }
};

// The desktop's "open": documents and addresses go to their default application.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    virtual void openUrl(const QUrl& url) = 0;
};

// The FTP push, as the picture intake hands it each new picture while "FTP- Push" is checked.
class PicturePush {
public:
    virtual ~PicturePush() = default;
    // Uploads the file; failures go to the log, the intake goes on either way.
    virtual void pushPicture(const QString& file) = 0;
};

// The web server, as far as the main window's menu entry and the poll timer drive it.
class WebServerControl {
public:
    virtual ~WebServerControl() = default;
    // Starts listening on the configured bindings; false when none could be opened.
    virtual bool startServer() = 0;
    virtual void stopServer() = 0;
};

}  // namespace shutterhand
