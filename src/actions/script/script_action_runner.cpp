#include "actions/script/script_action_runner.h"

#include "actions/script/interpreter.h"

namespace shutterhand {

void ScriptActionRunner::runAction(const ActionRun& run)
{
    TInterpreter interpreter(m_core);
    interpreter.SetScript(run.code);
    interpreter.SetVariable(QStringLiteral("DeviceName"), run.deviceName, true);
    interpreter.SetVariable(QStringLiteral("Filename"), run.lastSavedFileName, true);
    interpreter.Run();
}

}  // namespace shutterhand
