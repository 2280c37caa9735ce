#pragma once

// The script engine: compiles and runs programs in the Pascal dialect of actions.
//
// A host uses it in this order, with a fresh engine for every run:
//
//     // Once per process: the import sets (declaration texts bound to host functions).
//     static auto config = std::make_shared<ImportSet>("Config");
//     config->addClass("TCounter", "TObject", [](void* p) { delete static_cast<Counter*>(p); });
//     config->addMethod("TCounter", "Constructor Create",
//                       [](HostCall& c) { c.setResultObject(new Counter); });
//     config->addMethod("TCounter", "Function Next : Integer",
//                       [](HostCall& c) { c.setResult(c.self<Counter>()->next()); });
//
//     // Every run:
//     Engine engine;
//     engine.addImportSet(config);
//     engine.setScript(code);
//     engine.setCompileHook([&](CompileContext& ctx) {
//         ctx.declareObject("Counter", "TCounter");           // bound at execution
//         ctx.declareVariable("DeviceName", "string");
//         ctx.declareRoutine("procedure ShowMessage(Message: string);",
//                            [&](HostCall& c) { show(c.string(0)); });
//     });
//     if (!engine.compile()) {
//         for (const Diagnostic& d : engine.messages())
//             log(d.line());                                   // "[Error] (3:7): Unknown identifier 'Foo'"
//         return;
//     }
//     engine.setExecuteHook([&](ExecuteContext& ctx) {
//         ctx.setString("DeviceName", deviceName);
//         ctx.bindObject("Counter", &myCounter);               // the host keeps ownership
//     });
//     engine.setTimeLimit(std::chrono::seconds(5));           // time inside host calls does not count
//     if (!engine.execute())
//         log(engine.errorText());                             // "Exception: ..." or "Runtime error (5:3): ..."
//
// Objects the script creates and does not free are freed when the run ends; host objects bound with
// bindObject or returned by host functions with Ownership::Host are never freed by the engine.

#include "pascal/diagnostics.h"
#include "pascal/host_call.h"
#include "pascal/import_set.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace shutterhand::pascal {

class EngineState;

// Declarations the host makes while a script compiles.
class CompileContext {
public:
    explicit CompileContext(EngineState& state)
        : state_(state)
    { }
    // Declares a global variable of a class, bound to a host object when the script runs.
    bool declareObject(std::string_view name, std::string_view className);
    // Declares a plain global variable of a type given by name ("string", "Integer", ...).
    bool declareVariable(std::string_view name, std::string_view typeName);
    // Declares a host procedure or function from its heading.
    bool declareRoutine(std::string_view heading, HostFunction function);

private:
    EngineState& state_;
};

// Values the host gives the declared variables before a run.
class ExecuteContext {
public:
    explicit ExecuteContext(EngineState& state)
        : state_(state)
    { }
    // Binds an object variable to a host object, which the host keeps owning.
    bool bindObject(std::string_view name, void* object);
    bool setString(std::string_view name, std::string_view value);
    bool setInteger(std::string_view name, int64_t value);
    bool setReal(std::string_view name, double value);
    bool setBoolean(std::string_view name, bool value);

private:
    EngineState& state_;
};

class Engine {
public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Adds an import set; the sets it uses must have been added before. False otherwise.
    bool addImportSet(std::shared_ptr<const ImportSet> set);
    // Sets the program text.
    void setScript(std::string text);
    // Sets the hook that declares host variables and routines during compile().
    void setCompileHook(std::function<void(CompileContext&)> hook);
    // Compiles the script. False on errors; messages() holds them.
    bool compile();
    // The messages of the last compile (errors, warnings, hints) in order.
    const std::vector<Diagnostic>& messages() const;
    // Sets the hook that gives host variables their values before each execute().
    void setExecuteHook(std::function<void(ExecuteContext&)> hook);
    // Runs the compiled script. False on a run-time error; errorText() then holds one line.
    bool execute();
    const std::string& errorText() const;

    // Limits of a run: time (0 = none; time spent in host routines does not count), call depth,
    // and the memory the script's strings and arrays may take.
    void setTimeLimit(std::chrono::milliseconds limit);
    void setMaxCallDepth(int depth);
    void setMemoryLimit(std::size_t bytes);
    // Data for host routines (HostCall::userData).
    void setUserData(void* data);

    // A listing of the compiled code, for debugging.
    std::string disassembly() const;

private:
    std::unique_ptr<EngineState> state_;
};

}  // namespace shutterhand::pascal
