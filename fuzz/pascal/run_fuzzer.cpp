// Compiles any text as a script and runs it when it compiles, with tight limits so that endless
// loops, deep recursion and growing strings end quickly with their errors.

#include "pascal/engine.h"

#include <chrono>
#include <cstdint>
#include <string>

using namespace shutterhand::pascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine engine;
    engine.setScript(std::string(reinterpret_cast<const char*>(data), size));
    std::size_t shown = 0;
    engine.setCompileHook([&](CompileContext& ctx) {
        ctx.declareVariable("DeviceName", "string");
        ctx.declareRoutine("procedure ShowMessage(Message: string);",
                           [&](HostCall& call) { shown += call.string(0).size(); });
    });
    if (!engine.compile())
        return 0;
    engine.setTimeLimit(std::chrono::milliseconds(25));
    engine.setMaxCallDepth(200);
    engine.setMemoryLimit(std::size_t(32) << 20);
    engine.setExecuteHook([](ExecuteContext& ctx) { ctx.setString("DeviceName", "Camera 1"); });
    if (!engine.execute() && engine.errorText().empty())
        __builtin_trap();  // a failed run always says why
    return 0;
}
