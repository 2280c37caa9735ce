#pragma once

#include "actions/event_dispatcher.h"

namespace shutterhand {

class ApplicationCore;

// Runs the code of a fired event's action with a fresh script runner: the context values $DeviceName
// and $Filename are put into the code, then it is compiled and run. Compile errors are dropped (the
// actions editor shows them); run-time errors are logged by the runner.
class ScriptActionRunner : public ActionRunner {
public:
    explicit ScriptActionRunner(ApplicationCore& core)
        : m_core(core)
    { }
    void runAction(const ActionRun& run) override;

private:
    ApplicationCore& m_core;
};

}  // namespace shutterhand
