// An action file from the command line: a headless application core on the program folder's settings
// (no start-up, no events of its own, no camera, no windows) gives the script its objects. ShowMessage
// writes to standard output; error lines of the log go to standard error. Events the script raises (by
// saving a picture, for example) are logged but run no actions, so that one command runs one action.

#include "tool/action_script.h"

#include "actions/photo_event.h"
#include "actions/script/interpreter.h"
#include "app/core/application_core.h"
#include "app/core/program_info.h"
#include "config/var_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QUrl>

#include <cstdio>

namespace shutterhand {

namespace {

void printLine(FILE* out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out);
    std::fputc('\n', out);
    std::fflush(out);
}

// Nobody is there to answer: messages are printed, questions answered with No, dialogs cancelled.
class ConsolePrompter : public Prompter {
public:
    void showMessage(Icon, const QString& text) override { printLine(stdout, text); }
    bool askYesNo(Icon, const QString&) override { return false; }
    QString askSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString askDirectory(const QString&, const QString&) override { return {}; }
};

class ConsoleDesktop : public DesktopServices {
public:
    void openUrl(const QUrl& url) override { QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString()}); }
};

}  // namespace

int runActionFile(const QString& path, bool run)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        printLine(stderr, QStringLiteral("shutterhand-tool: cannot read %1: %2").arg(path, file.errorString()));
        return 2;
    }
    TPhotoEvent action;
    if (const TPhotoEvent::ReadResult read = action.LoadFromBytes(file.readAll()); !read.ok()) {
        printLine(stderr, QStringLiteral("shutterhand-tool: %1 is not an action file: %2").arg(path, read.error));
        return 2;
    }

    ConsolePrompter prompter;
    ConsoleDesktop desktop;
    ApplicationCore core(QCoreApplication::applicationDirPath(), prompter, desktop);
    TSystemConfig& config = core.config();
    config.setVersion(GetFileVersionString());
    config.Directorys().SetDirectory(QStringLiteral("WorkDir"),
                                     QCoreApplication::applicationDirPath() + QLatin1Char('/'));
    if (const FileResult loaded = LoadSystemVars(config); !loaded.ok()) {
        printLine(stderr, QStringLiteral("shutterhand-tool: %1").arg(loaded.error));
        return 2;
    }
    ApplyDirectoryVars(config);
    QObject::connect(&core, &ApplicationCore::logEntryAdded, [](const LogEntry& entry) {
        if (entry.kind == 2)
            printLine(stderr, entry.message);
    });

    if (!run) {
        QStringList messages;
        const bool ok = CheckScript(core, action.Code, messages);
        for (const QString& line : messages)
            printLine(stdout, line);
        return ok ? 0 : 1;
    }
    TInterpreter interpreter(core);
    interpreter.SetScript(action.Code);
    // Outside the program no camera is connected and no picture has been saved.
    interpreter.SetVariable(QStringLiteral("DeviceName"), QString(), true);
    interpreter.SetVariable(QStringLiteral("Filename"), QString(), true);
    switch (interpreter.Run()) {
    case TInterpreter::RunResult::Done:
        return 0;
    case TInterpreter::RunResult::CompileFailed:
        for (const QString& line : interpreter.Messages())
            printLine(stderr, line);
        return 1;
    case TInterpreter::RunResult::RunFailed:
        return 2;  // the runner's log line is on standard error already
    }
    return 2;
}

}  // namespace shutterhand
