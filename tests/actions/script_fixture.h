#pragma once

// An application core in a temporary program folder with the real script runner installed, for tests
// that run action code. Scripts report through ShowMessage, which the scripted prompter records.

#include "actions/script/interpreter.h"
#include "actions/script/script_action_runner.h"
#include "app/app_fixture.h"

namespace shutterhand::test {

// A view that also records the camera properties dialog.
class ScriptView : public FakeView {
public:
    using FakeView::FakeView;
    void openCameraInfo(const CameraInfo&) override { ++cameraInfoOpened; }
    int cameraInfoOpened = 0;
};

struct ScriptFixture {
    ProgramFolder folder;
    Timeline timeline;
    ScriptedPrompter prompter;
    FakeDesktop desktop;
    ScriptView view{timeline};
    std::unique_ptr<ApplicationCore> core;
    std::unique_ptr<ScriptActionRunner> runner;

    // Starts the core with the given extra var.dat lines; the log window is open so that notes are kept.
    ApplicationCore& start(const QByteArray& extraVars = {}, Prompter* otherPrompter = nullptr)
    {
        writeLanguageFiles(folder);
        writeVarDat(folder,
                    "Images/:/Directory/:/%WORKDIR%www/\r\nLogDir/:/Directory/:/%WORKDIR%logs/\r\n" + extraVars);
        core = std::make_unique<ApplicationCore>(folder.path(), otherPrompter ? *otherPrompter : prompter, desktop);
        runner = std::make_unique<ScriptActionRunner>(*core);
        core->setActionRunner(runner.get());
        if (!core->start(view))
            qFatal("start-up failed");
        if (!core->logBook().isOpen())
            core->ToggleLogWindow();
        timeline.entries.clear();
        return *core;
    }

    ~ScriptFixture()
    {
        if (core)
            core->shutdown();
    }

    // Runs code as a firing does: context values put in, run, then the close request honoured.
    void fire(const QString& code) { core->dispatcher().RunEventCode(code); }

    // The texts the scripts showed with ShowMessage, in order.
    QStringList shown() const
    {
        QStringList texts;
        for (const ScriptedPrompter::Question& message : prompter.messages)
            texts.append(message.text);
        return texts;
    }

    // The log's error lines (kind 2).
    QStringList errors() const
    {
        QStringList lines;
        for (const LogEntry& entry : core->logBook().entries()) {
            if (entry.kind == 2)
                lines.append(entry.message);
        }
        return lines;
    }
};

}  // namespace shutterhand::test
