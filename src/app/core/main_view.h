#pragma once

#include <QString>
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
};

// The desktop's "open": documents and addresses go to their default application.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;
    virtual void openUrl(const QUrl& url) = 0;
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
