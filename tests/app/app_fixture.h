#pragma once

// A complete application core in a temporary program folder, with fakes for the window, the desktop,
// the web server and the script runner that record what the core asks of them in one timeline.

#include "actions/photo_event.h"
#include "app/core/application_core.h"
#include "support/program_folder.h"
#include "support/scripted_prompter.h"

#include <QStringList>

namespace shutterhand::test {

// The timeline of a test: view calls as "view:<name>", action runs as "run:<code>".
struct Timeline {
    QStringList entries;
    QStringList runs() const { return entries.filter(QStringLiteral("run:")); }
};

class FakeView : public MainView {
public:
    explicit FakeView(Timeline& timeline)
        : m_timeline(timeline)
    { }
    void placeWindow() override { m_timeline.entries.append(QStringLiteral("view:place")); }
    void buildLanguageMenu() override { m_timeline.entries.append(QStringLiteral("view:languageMenu")); }
    void applyLanguage() override { m_timeline.entries.append(QStringLiteral("view:applyLanguage")); }
    void closeMainWindow() override { m_timeline.entries.append(QStringLiteral("view:close")); }
    void setWaitCursor(bool) override { }

private:
    Timeline& m_timeline;
};

class FakeDesktop : public DesktopServices {
public:
    void openUrl(const QUrl& url) override { opened.append(url); }
    QList<QUrl> opened;
};

class FakeWebServer : public WebServerControl {
public:
    bool startServer() override
    {
        ++starts;
        return startSucceeds;
    }
    void stopServer() override { ++stops; }
    int starts = 0;
    int stops = 0;
    bool startSucceeds = true;
};

// Records each action's code instead of compiling it; a test may hook in more.
class FakeRunner : public ActionRunner {
public:
    explicit FakeRunner(Timeline& timeline)
        : m_timeline(timeline)
    { }
    void runAction(const ActionRun& run) override
    {
        m_timeline.entries.append(QStringLiteral("run:") + run.code);
        if (onRun)
            onRun(run);
    }
    std::function<void(const ActionRun&)> onRun;

private:
    Timeline& m_timeline;
};

// Minimal language files: German and English captions for a few numbers.
inline void writeLanguageFiles(const ProgramFolder& folder)
{
    folder.writeFile(QStringLiteral("Lang/de.dat"),
                     "LANGUAGE=Deutsch\r\n12=B&eenden\r\n29=Ausl\xC3\xB6sen\r\n34=Keine Kamera gefunden\r\n"
                     "76=Hinweise\r\n27=Info\r\n46=Schlie\xC3\x9F\x65n\r\n");
    folder.writeFile(QStringLiteral("Lang/en.dat"),
                     "LANGUAGE=English\r\n12=E&xit\r\n29=Release\r\n34=No camera found\r\n76=Notes\r\n");
}

// The delivered var.dat with the given extra lines appended (later lines win).
inline void writeVarDat(const ProgramFolder& folder, const QByteArray& extraLines = {})
{
    QByteArray bytes = "DefaultLang/:/String/:/de\r\n"
                       "Data/:/Directory/:/%WORKDIR%data/\r\n"
                       "Events/:/Directory/:/%WORKDIR%Events/\r\n"
                       "Lang/:/Directory/:/%WORKDIR%Lang/\r\n"
                       "HelpDir/:/Directory/:/%WORKDIR%help/\r\n"
                       "system_deleteimages/:/Boolean/:/0\r\n";
    folder.writeFile(QStringLiteral("data/var.dat"), bytes + extraLines);
}

// Binds an event to an action file whose code is the given text.
inline QByteArray bindAction(const ProgramFolder& folder, const QString& event, const QString& code)
{
    TPhotoEvent action;
    action.Name = event;
    action.Code = code;
    action.SetFileName(folder.filePath(QStringLiteral("Events/") + event + QStringLiteral(".evn")));
    if (!action.WriteToFile().ok())
        qFatal("cannot write action");
    return (event + QStringLiteral("/:/Event/:/") + event + QStringLiteral(".evn\r\n")).toUtf8();
}

struct CoreFixture {
    ProgramFolder folder;
    Timeline timeline;
    ScriptedPrompter prompter;
    FakeDesktop desktop;
    FakeView view{timeline};
    FakeRunner runner{timeline};
    FakeWebServer webServer;
    std::unique_ptr<ApplicationCore> core;

    // Creates the core; call after the folder holds what the test needs.
    ApplicationCore& create()
    {
        core = std::make_unique<ApplicationCore>(folder.path(), prompter, desktop);
        core->setActionRunner(&runner);
        core->setWebServerControl(&webServer);
        return *core;
    }
};

}  // namespace shutterhand::test
