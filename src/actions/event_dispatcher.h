#pragma once

#include "config/system_config.h"

#include <QString>

namespace shutterhand {

// Everything a run of an action's code needs besides the code itself.
struct ActionRun {
    QString code;
    QString deviceName;         // CurrentDeviceName of the application
    QString lastSavedFileName;  // LastSavedFileName of the application
};

// The narrow door to the script runner: compiles and runs one action, logging its run-time errors.
class ActionRunner {
public:
    virtual ~ActionRunner() = default;
    virtual void runAction(const ActionRun& run) = 0;
};

// What the dispatch asks of the application core.
class DispatchHost {
public:
    virtual ~DispatchHost() = default;
    virtual const TSystemConfig& dispatchConfig() const = 0;
    virtual void WriteLog(int kind, const QString& message) = 0;
    virtual QString currentDeviceName() const = 0;
    virtual QString lastSavedFileName() const = 0;
    // Null while no script runner is installed; the dispatch then stops after reading the code.
    virtual ActionRunner* actionRunner() = 0;
    virtual bool closeAfterAction() const = 0;
    virtual void closeMainWindow() = 0;
};

// Resolves a program event to its action file, logs the firing, reads the code and runs it at once.
class EventDispatcher {
public:
    // Firings nest (an action may raise further events); deeper ones are refused with a log line.
    static constexpr int MaxNesting = 16;

    explicit EventDispatcher(DispatchHost& host)
        : m_host(host)
    { }

    // Fires the event bound by the system variable `eventVariable`. An empty binding is no action.
    void FireEvent(const QString& eventVariable);
    // Logs the firing and returns the action file's code, or the empty text when it cannot be had.
    QString GetEventCode(const QString& path);
    // Runs non-empty code and then closes the main window when an action asked for it.
    void RunEventCode(const QString& code);

    int nestingDepth() const { return m_depth; }

private:
    QString closeLogWindowBinding() const;

    DispatchHost& m_host;
    int m_depth = 0;
};

}  // namespace shutterhand
