// Compiles any text as a script. Every compile must end with messages or code; the message lines
// must be well-formed.

#include "pascal/engine.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace shutterhand::pascal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Engine engine;
    engine.setScript(std::string(reinterpret_cast<const char*>(data), size));
    engine.setCompileHook([](CompileContext& ctx) {
        ctx.declareVariable("DeviceName", "string");
        ctx.declareRoutine("procedure ShowMessage(Message: string);", [](HostCall&) {});
    });
    bool ok = engine.compile();
    for (const Diagnostic& d : engine.messages()) {
        std::string line = d.line();
        if (line.empty() || line[0] != '[')
            std::abort();
    }
    if (!ok && engine.messages().empty())
        std::abort();  // a failed compile always says why
    if (ok)
        (void)engine.disassembly();
    return 0;
}
