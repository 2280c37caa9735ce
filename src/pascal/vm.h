#pragma once

// The virtual machine: runs a compiled module's main block with a register frame per call, reference
// counting for strings and arrays, handles for objects, exception handlers, and limits on time, call
// depth and memory.

#include "pascal/bytecode.h"
#include "pascal/heap.h"
#include "pascal/object_table.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace shutterhand::pascal {

struct RunLimits {
    // Wall-clock time the script may run, not counting time inside host routines; 0 means no limit.
    std::chrono::milliseconds timeLimit{0};
    int maxCallDepth = 10000;
    std::size_t memoryLimit = std::size_t(512) << 20;
};

// What an exception object holds.
struct ExceptionData {
    std::string message;
    SourcePos pos;
    bool fromEngine = false;  // raised by the engine itself (run-time error), not by a script or host
};

// Thrown by native routines (and by the machine itself) to raise an error in the script.
struct ScriptThrow {
    const ClassInfo* cls = nullptr;  // the exception class to create
    std::string message;
    bool fromEngine = true;
    bool fatal = false;  // time limit, stack overflow, out of memory: no handler may catch it
    ObjectHandle existing = 0;
};

class Vm {
public:
    Vm(const Module& module, const RunLimits& limits);
    ~Vm();
    Vm(const Vm&) = delete;
    Vm& operator=(const Vm&) = delete;

    // Clears the global area; host variables may be set afterwards through globals().
    void prepare();
    Slot* globals() { return stack_; }
    // Runs the main block. False on a run-time error; errorText() then says what happened.
    bool run();
    const std::string& errorText() const { return error_; }
    // Releases the globals and frees the objects the script created (also done by the destructor).
    void finish();

    Heap& heap() { return heap_; }
    ObjectTable& objects() { return objects_; }
    const Module& module() const { return module_; }

    // Raises an exception of class `cls` (an Exception class) with `message` in the script.
    [[noreturn]] void fail(const ClassInfo* cls, std::string message);
    // Raises a run-time error of the engine, of the standard class for the kind of fault.
    [[noreturn]] void failRange(std::string message);
    [[noreturn]] void failConvert(std::string message);
    [[noreturn]] void failInOut(std::string message);
    // Ends the run with an error no handler can catch.
    [[noreturn]] void failFatal(std::string message);
    // Moves the time limit on by the time a host routine took.
    void excludeTime(std::chrono::steady_clock::duration spent) { deadline_ += spent; }
    // Whether the run has a time limit (host routines only time themselves then).
    bool timed() const { return hasDeadline_; }
    // Checks the time limit now (for long-running routines such as Sleep). Throws when over.
    void checkTime();
    // Time left before the limit, or a large value without limit.
    std::chrono::steady_clock::duration timeLeft() const;

    // The object behind a handle; nil and freed objects are run-time errors.
    ObjectTable::Entry& object(ObjectHandle handle);
    // Registers a new exception object and returns its handle.
    ObjectHandle newException(const ClassInfo* cls, std::string message, bool fromEngine, SourcePos pos);

    void* userData = nullptr;  // the engine's host data, for host routine adapters
    void* engine = nullptr;

private:
    struct Frame {
        const Function* fn;
        const Instr* pc;  // where the frame continues (saved at calls)
        Slot* base;
    };
    struct Handler {
        uint32_t frame;
        uint32_t control;
        const Instr* target;
        bool isFinally;
    };
    enum class Pending : uint8_t { Normal, Exception, Jump, Handling };
    struct Control {
        Pending kind;
        uint32_t frame;
        ObjectHandle exception;
        const Instr* target;
    };

    bool execute();
    // Finds a handler for `exception`; false when none catches it (the run fails).
    bool unwindTo(ObjectHandle exception, const Instr*& pc, Slot*& base, const Function*& fn);
    void releaseFrame(const Frame& frame, bool unwinding);
    void dropControl(std::size_t height, ObjectHandle keep);
    std::string describeFailure(ObjectHandle exception);
    SourcePos positionOf(const Function* fn, const Instr* pc) const;

    const Module& module_;
    RunLimits limits_;
    Heap heap_;
    ObjectTable objects_;
    Slot* stack_ = nullptr;
    Slot* stackEnd_ = nullptr;
    Slot* stackHigh_ = nullptr;  // the highest frame end reached, to know how much stack was touched
    std::size_t stackBytes_ = 0;
    std::vector<Frame> frames_;
    std::vector<Handler> handlers_;
    std::vector<Control> control_;
    std::chrono::steady_clock::time_point deadline_;
    bool hasDeadline_ = false;
    bool prepared_ = false;
    bool finished_ = false;
    std::string error_;
    SourcePos errorPos_;
};

}  // namespace shutterhand::pascal
