// The dispatch loop is one function on purpose: the interpreter's speed depends on keeping its state
// (program counter, frame base) in registers, which a split into helper functions would lose.

#include "pascal/vm.h"

#include "pascal/stdlib.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <new>

namespace shutterhand::pascal {

namespace {

// Slots reserved for the register stack: address space only, committed as frames touch it.
constexpr std::size_t kStackSlots = std::size_t(32) << 20;
// Instructions between looks at the clock.
constexpr int kBudget = 4096;

// One reserved stack is kept per thread for the next run, since every firing creates a new machine.
thread_local Slot* cachedStack = nullptr;

Slot* acquireStack(std::size_t bytes)
{
    if (cachedStack != nullptr) {
        Slot* s = cachedStack;
        cachedStack = nullptr;
        return s;
    }
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (p == MAP_FAILED)
        throw std::bad_alloc();
    return static_cast<Slot*>(p);
}

void releaseStack(Slot* stack, std::size_t bytes, std::size_t usedBytes)
{
    // Give back what a deep run touched, keep the reservation for the next run of this thread.
    if (usedBytes > (std::size_t(1) << 20))
        madvise(reinterpret_cast<char*>(stack) + (std::size_t(1) << 20), bytes - (std::size_t(1) << 20), MADV_DONTNEED);
    if (cachedStack == nullptr) {
        cachedStack = stack;
        return;
    }
    munmap(stack, bytes);
}

inline bool setHas(const Slot* set, int64_t v) { return v >= 0 && v < 256 && ((set[v >> 6].u >> (v & 63)) & 1) != 0; }

}  // namespace

Module::~Module()
{
    for (StrRep* s : strings)
        freeConstString(s);
}

Vm::Vm(const Module& module, const RunLimits& limits)
    : module_(module)
    , limits_(limits)
    , heap_(limits.memoryLimit)
{
    objects_.setHeap(&heap_);
}

Vm::~Vm()
{
    finish();
    if (stack_ != nullptr)
        releaseStack(stack_, stackBytes_,
                     static_cast<std::size_t>(std::max(stackHigh_, stack_) - stack_) * sizeof(Slot));
}

void Vm::prepare()
{
    if (stack_ == nullptr) {
        stackBytes_ = kStackSlots * sizeof(Slot);
        stack_ = acquireStack(stackBytes_);
        stackEnd_ = stack_ + kStackSlots;
    }
    const Function& main = module_.functions[module_.mainIndex];
    stackHigh_ = std::max(stackHigh_, stack_ + main.frameSlots);
    std::memset(static_cast<void*>(stack_), 0, static_cast<std::size_t>(main.frameSlots) * sizeof(Slot));
    prepared_ = true;
    finished_ = false;
}

void Vm::finish()
{
    if (!prepared_ || finished_)
        return;
    finished_ = true;
    while (frames_.size() > 1) {
        releaseFrame(frames_.back(), true);
        frames_.pop_back();
    }
    frames_.clear();
    handlers_.clear();
    control_.clear();
    const Function& main = module_.functions[module_.mainIndex];
    for (const ManagedSlot& m : main.release)
        heap_.finalize(m.type, stack_ + m.slot);
    objects_.clear();
}

SourcePos Vm::positionOf(const Function* fn, const Instr* pc) const
{
    if (fn == nullptr || pc == nullptr)
        return {};
    std::ptrdiff_t i = pc - fn->code.data();
    if (i < 0 || static_cast<std::size_t>(i) >= fn->positions.size())
        return {};
    return fn->positions[static_cast<std::size_t>(i)];
}

void Vm::fail(const ClassInfo* cls, std::string message)
{
    ScriptThrow t;
    t.cls = cls;
    t.message = std::move(message);
    throw t;
}

void Vm::failRange(std::string message) { fail(standardClasses().rangeError, std::move(message)); }

void Vm::failConvert(std::string message) { fail(standardClasses().convertError, std::move(message)); }

void Vm::failInOut(std::string message) { fail(standardClasses().inOutError, std::move(message)); }

void Vm::failFatal(std::string message)
{
    ScriptThrow t;
    t.message = std::move(message);
    t.fatal = true;
    throw t;
}

void Vm::checkTime()
{
    if (hasDeadline_ && std::chrono::steady_clock::now() > deadline_) {
        auto ms = limits_.timeLimit.count();
        std::string limit = ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
        failFatal("Time limit of " + limit + " exceeded");
    }
}

std::chrono::steady_clock::duration Vm::timeLeft() const
{
    if (!hasDeadline_)
        return std::chrono::hours(24 * 365);
    return deadline_ - std::chrono::steady_clock::now();
}

ObjectTable::Entry& Vm::object(ObjectHandle handle)
{
    if (handle == 0)
        fail(standardClasses().accessViolation, "Access to a nil object");
    ObjectTable::Entry* e = objects_.get(handle);
    if (e == nullptr)
        fail(standardClasses().accessViolation, "Access to an object that has been freed");
    return *e;
}

ObjectHandle Vm::newException(const ClassInfo* cls, std::string message, bool fromEngine, SourcePos pos)
{
    auto* data = new ExceptionData{std::move(message), pos, fromEngine};
    return objects_.add(cls, data, true);
}

void Vm::releaseFrame(const Frame& frame, bool unwinding)
{
    for (const ManagedSlot& m : frame.fn->release)
        heap_.finalize(m.type, frame.base + m.slot);
    if (unwinding) {
        for (const ManagedSlot& m : frame.fn->resultSlotsManaged)
            heap_.finalize(m.type, frame.base + m.slot);
    }
}

void Vm::dropControl(std::size_t height, ObjectHandle keep)
{
    while (control_.size() > height) {
        Control c = control_.back();
        control_.pop_back();
        if (c.exception != 0 && c.exception != keep)
            objects_.free(c.exception);
    }
}

bool Vm::unwindTo(ObjectHandle exception, const Instr*& pc, Slot*& base, const Function*& fn)
{
    if (handlers_.empty())
        return false;
    Handler h = handlers_.back();
    handlers_.pop_back();
    while (frames_.size() - 1 > h.frame) {
        releaseFrame(frames_.back(), true);
        frames_.pop_back();
    }
    dropControl(h.control, exception);
    const Frame& f = frames_.back();
    base = f.base;
    fn = f.fn;
    pc = h.target;
    control_.push_back(Control{h.isFinally ? Pending::Exception : Pending::Handling, h.frame, exception, nullptr});
    return true;
}

std::string Vm::describeFailure(ObjectHandle exception)
{
    ObjectTable::Entry* e = objects_.get(exception);
    if (e == nullptr || !e->cls->isException)
        return "Exception: unknown error";
    auto* data = static_cast<ExceptionData*>(e->ptr);
    errorPos_ = data->pos;
    if (data->fromEngine)
        return "Runtime error (" + std::to_string(data->pos.row) + ":" + std::to_string(data->pos.col)
            + "): " + data->message;
    return "Exception: " + data->message;
}

bool Vm::run()
{
    if (!prepared_)
        prepare();
    error_.clear();
    hasDeadline_ = limits_.timeLimit.count() > 0;
    if (hasDeadline_)
        deadline_ = std::chrono::steady_clock::now() + limits_.timeLimit;
    frames_.reserve(64);
    const Function& main = module_.functions[module_.mainIndex];
    frames_.push_back(Frame{&main, main.code.data(), stack_});
    bool ok = execute();
    if (!ok) {
        while (frames_.size() > 1) {
            releaseFrame(frames_.back(), true);
            frames_.pop_back();
        }
        handlers_.clear();
        dropControl(0, 0);
    }
    frames_.clear();
    return ok;
}

#define R(n) base[n]
#define DISPATCH() goto* kLabels[static_cast<int>(pc->op)]
#define NEXT()                                                                                                         \
    do {                                                                                                               \
        ++pc;                                                                                                          \
        DISPATCH();                                                                                                    \
    } while (0)
#define JUMP(target)                                                                                                   \
    do {                                                                                                               \
        pc = code + (target);                                                                                          \
        DISPATCH();                                                                                                    \
    } while (0)
#define TICK()                                                                                                         \
    do {                                                                                                               \
        if (--budget <= 0) {                                                                                           \
            budget = kBudget;                                                                                          \
            checkTime();                                                                                               \
        }                                                                                                              \
    } while (0)

bool Vm::execute()
{
    static const void* const kLabels[] = {
#define OP(name, operands) &&op_##name,
#include "pascal/opcodes.def"
#undef OP
    };
    const StandardClasses& std = standardClasses();
    Frame& top = frames_.back();
    const Function* fn = top.fn;
    const Instr* code = fn->code.data();
    const Instr* pc = top.pc;
    Slot* base = top.base;
    Slot* const g = stack_;
    int budget = kBudget;
    const std::size_t maxDepth = static_cast<std::size_t>(limits_.maxCallDepth) + 1;

resume:
    try {
        DISPATCH();

    op_Nop:
        NEXT();
    op_Mov:
        R(pc->a) = R(pc->b);
        NEXT();
    op_MovN:
        std::memmove(static_cast<void*>(&R(pc->a)), &R(pc->b), static_cast<std::size_t>(pc->c) * sizeof(Slot));
        NEXT();
    op_LoadInt:
        R(pc->a).i = pc->b;
        NEXT();
    op_LoadConst:
        R(pc->a) = module_.constants[static_cast<std::size_t>(pc->b)];
        NEXT();
    op_Zero:
        std::memset(static_cast<void*>(&R(pc->a)), 0, static_cast<std::size_t>(pc->b) * sizeof(Slot));
        NEXT();
    op_GetGlobal:
        R(pc->a) = g[pc->b];
        NEXT();
    op_SetGlobal:
        g[pc->b] = R(pc->a);
        NEXT();
    op_GetGlobalN:
        std::memmove(static_cast<void*>(&R(pc->a)), &g[pc->b], static_cast<std::size_t>(pc->c) * sizeof(Slot));
        NEXT();
    op_SetGlobalN:
        std::memmove(static_cast<void*>(&g[pc->b]), &R(pc->a), static_cast<std::size_t>(pc->c) * sizeof(Slot));
        NEXT();
    op_AddrLocal:
        R(pc->a).ref = &R(pc->b);
        NEXT();
    op_AddrGlobal:
        R(pc->a).ref = &g[pc->b];
        NEXT();
    op_AddrUp : {
        Slot* p = base;
        for (int h = pc->x; h > 0; --h)
            p = p[-1].ref;
        R(pc->a).ref = p + pc->b;
        NEXT();
    }
    op_AddrOffset:
        R(pc->a).ref = R(pc->b).ref + pc->c;
        NEXT();
    op_Load:
        R(pc->a) = R(pc->b).ref[pc->c];
        NEXT();
    op_Store:
        R(pc->a).ref[pc->b] = R(pc->c);
        NEXT();
    op_LoadN:
        std::memmove(static_cast<void*>(&R(pc->a)), R(pc->b).ref + pc->c,
                     static_cast<std::size_t>(pc->x) * sizeof(Slot));
        NEXT();
    op_StoreN:
        std::memmove(static_cast<void*>(R(pc->a).ref + pc->b), &R(pc->c),
                     static_cast<std::size_t>(pc->x) * sizeof(Slot));
        NEXT();
    op_Trunc:
        R(pc->a).i = truncateOrdinal(static_cast<OrdKind>(pc->x), R(pc->b).i);
        NEXT();

        // ---- strings ----
    op_StrLoadConst : {
        StrRep* s = module_.strings[static_cast<std::size_t>(pc->b)];
        heap_.release(R(pc->a).s);
        R(pc->a).s = s;
        NEXT();
    }
    op_StrCopy : {
        StrRep* s = R(pc->b).s;
        strAddRef(s);
        heap_.release(R(pc->a).s);
        R(pc->a).s = s;
        NEXT();
    }
    op_StrMove : {
        StrRep* s = R(pc->b).s;
        heap_.release(R(pc->a).s);
        R(pc->a).s = s;
        NEXT();
    }
    op_StrRelease:
        heap_.release(R(pc->a).s);
        R(pc->a).s = nullptr;
        NEXT();
    op_StrGetGlobal : {
        StrRep* s = g[pc->b].s;
        strAddRef(s);
        heap_.release(R(pc->a).s);
        R(pc->a).s = s;
        NEXT();
    }
    op_StrSetGlobal : {
        StrRep* s = R(pc->a).s;
        strAddRef(s);
        heap_.release(g[pc->b].s);
        g[pc->b].s = s;
        NEXT();
    }
    op_StrLoad : {
        StrRep* s = R(pc->b).ref[pc->c].s;
        strAddRef(s);
        heap_.release(R(pc->a).s);
        R(pc->a).s = s;
        NEXT();
    }
    op_StrStore : {
        StrRep* s = R(pc->c).s;
        Slot* dst = R(pc->a).ref + pc->b;
        strAddRef(s);
        heap_.release(dst->s);
        dst->s = s;
        NEXT();
    }
    op_StrStoreRaw : {
        StrRep* s = R(pc->b).s;
        strAddRef(s);
        R(pc->a).s = s;
        NEXT();
    }
    op_Concat : {
        StrRep* s = heap_.concat(R(pc->b).s, R(pc->c).s);
        heap_.release(R(pc->a).s);
        R(pc->a).s = s;
        NEXT();
    }
    op_Append:
        heap_.append(R(pc->a).s, strView(R(pc->b).s));
        NEXT();
    op_AppendAt:
        heap_.append(R(pc->a).ref[pc->b].s, strView(R(pc->c).s));
        NEXT();
    op_StrLen : {
        StrRep* s = R(pc->b).s;
        R(pc->a).i = s != nullptr ? s->len : 0;
        NEXT();
    }
    op_StrChar : {
        StrRep* s = R(pc->b).s;
        int64_t i = R(pc->c).i;
        if (s == nullptr || i < 1 || i > static_cast<int64_t>(s->len))
            failRange("String index " + std::to_string(i) + " out of range 1.." + std::to_string(s ? s->len : 0));
        R(pc->a).i = static_cast<uint8_t>(s->chars()[i - 1]);
        NEXT();
    }
    op_StrSetChar : {
        StrRep*& s = R(pc->a).ref->s;
        int64_t i = R(pc->b).i;
        if (s == nullptr || i < 1 || i > static_cast<int64_t>(s->len))
            failRange("String index " + std::to_string(i) + " out of range 1.." + std::to_string(s ? s->len : 0));
        heap_.unique(s);
        s->chars()[i - 1] = static_cast<char>(R(pc->c).i);
        NEXT();
    }
    op_CharToStr : {
        char c = static_cast<char>(R(pc->b).i);
        StrRep* s = heap_.makeStr(std::string_view(&c, 1));
        heap_.release(R(pc->a).s);
        R(pc->a).s = s;
        NEXT();
    }
    op_StrEq:
        R(pc->a).i = strView(R(pc->b).s) == strView(R(pc->c).s);
        NEXT();
    op_StrNe:
        R(pc->a).i = strView(R(pc->b).s) != strView(R(pc->c).s);
        NEXT();
    op_StrLt:
        R(pc->a).i = strView(R(pc->b).s) < strView(R(pc->c).s);
        NEXT();
    op_StrLe:
        R(pc->a).i = strView(R(pc->b).s) <= strView(R(pc->c).s);
        NEXT();

        // ---- arrays and managed composites ----
    op_ArrCopy : {
        ArrRep* a = R(pc->b).a;
        arrAddRef(a);
        heap_.release(R(pc->a).a);
        R(pc->a).a = a;
        NEXT();
    }
    op_ArrMove : {
        ArrRep* a = R(pc->b).a;
        heap_.release(R(pc->a).a);
        R(pc->a).a = a;
        NEXT();
    }
    op_ArrRelease:
        heap_.release(R(pc->a).a);
        R(pc->a).a = nullptr;
        NEXT();
    op_ArrLoad : {
        ArrRep* a = R(pc->b).ref[pc->c].a;
        arrAddRef(a);
        heap_.release(R(pc->a).a);
        R(pc->a).a = a;
        NEXT();
    }
    op_ArrStore : {
        ArrRep* a = R(pc->c).a;
        Slot* dst = R(pc->a).ref + pc->b;
        arrAddRef(a);
        heap_.release(dst->a);
        dst->a = a;
        NEXT();
    }
    op_ArrStoreRaw : {
        ArrRep* a = R(pc->b).a;
        arrAddRef(a);
        R(pc->a).a = a;
        NEXT();
    }
    op_ArrLen : {
        ArrRep* a = R(pc->b).a;
        R(pc->a).i = a != nullptr ? a->length : 0;
        NEXT();
    }
    op_ArrHigh : {
        ArrRep* a = R(pc->b).a;
        R(pc->a).i = (a != nullptr ? a->length : 0) - 1;
        NEXT();
    }
    op_ArrElem : {
        ArrRep* a = R(pc->b).a;
        int64_t i = R(pc->c).i;
        if (a == nullptr || i < 0 || i >= a->length)
            failRange("Array index " + std::to_string(i) + " out of range 0.."
                      + std::to_string(a ? a->length - 1 : -1));
        R(pc->a).ref = a->data() + i * a->elemSlots;
        NEXT();
    }
    op_ArrOpen : {
        ArrRep* a = R(pc->b).a;
        R(pc->a).ref = a != nullptr ? a->data() : nullptr;
        R(pc->a + 1).i = a != nullptr ? a->length : 0;
        NEXT();
    }
    op_ArrBuild : {
        const Type* t = module_.types[static_cast<std::size_t>(pc->c)];
        ArrRep* a = heap_.newArr(t->elem, pc->x);
        if (a != nullptr) {
            for (int i = 0; i < pc->x; ++i)
                heap_.copyRaw(t->elem, a->data() + i * a->elemSlots, &R(pc->b + i * t->elem->slots));
        }
        heap_.release(R(pc->a).a);
        R(pc->a).a = a;
        NEXT();
    }
    op_MCopy:
        heap_.copy(module_.types[static_cast<std::size_t>(pc->c)], R(pc->a).ref, R(pc->b).ref);
        NEXT();
    op_MCopyRaw:
        heap_.copyRaw(module_.types[static_cast<std::size_t>(pc->c)], R(pc->a).ref, R(pc->b).ref);
        NEXT();
    op_MMove : {
        const Type* t = module_.types[static_cast<std::size_t>(pc->c)];
        heap_.finalize(t, &R(pc->a));
        std::memmove(static_cast<void*>(&R(pc->a)), &R(pc->b), static_cast<std::size_t>(t->slots) * sizeof(Slot));
        NEXT();
    }
    op_MRelease:
        heap_.finalize(module_.types[static_cast<std::size_t>(pc->b)], &R(pc->a));
        NEXT();

        // ---- integer arithmetic ----
    op_Add32:
        R(pc->a).i = static_cast<int32_t>(static_cast<uint32_t>(R(pc->b).i) + static_cast<uint32_t>(R(pc->c).i));
        NEXT();
    op_Sub32:
        R(pc->a).i = static_cast<int32_t>(static_cast<uint32_t>(R(pc->b).i) - static_cast<uint32_t>(R(pc->c).i));
        NEXT();
    op_Mul32:
        R(pc->a).i = static_cast<int32_t>(static_cast<uint32_t>(R(pc->b).i) * static_cast<uint32_t>(R(pc->c).i));
        NEXT();
    op_Div32 : {
        int32_t d = static_cast<int32_t>(R(pc->c).i);
        if (d == 0)
            fail(std.divByZero, "Division by zero");
        int32_t n = static_cast<int32_t>(R(pc->b).i);
        R(pc->a).i = (n == INT32_MIN && d == -1) ? INT32_MIN : n / d;
        NEXT();
    }
    op_Mod32 : {
        int32_t d = static_cast<int32_t>(R(pc->c).i);
        if (d == 0)
            fail(std.divByZero, "Division by zero");
        int32_t n = static_cast<int32_t>(R(pc->b).i);
        R(pc->a).i = (d == -1) ? 0 : n % d;
        NEXT();
    }
    op_AddU32:
        R(pc->a).i = static_cast<uint32_t>(R(pc->b).u + R(pc->c).u);
        NEXT();
    op_SubU32:
        R(pc->a).i = static_cast<uint32_t>(R(pc->b).u - R(pc->c).u);
        NEXT();
    op_MulU32:
        R(pc->a).i = static_cast<uint32_t>(R(pc->b).u * R(pc->c).u);
        NEXT();
    op_DivU32 : {
        uint32_t d = static_cast<uint32_t>(R(pc->c).u);
        if (d == 0)
            fail(std.divByZero, "Division by zero");
        R(pc->a).i = static_cast<uint32_t>(R(pc->b).u) / d;
        NEXT();
    }
    op_ModU32 : {
        uint32_t d = static_cast<uint32_t>(R(pc->c).u);
        if (d == 0)
            fail(std.divByZero, "Division by zero");
        R(pc->a).i = static_cast<uint32_t>(R(pc->b).u) % d;
        NEXT();
    }
    op_Add64:
        R(pc->a).u = R(pc->b).u + R(pc->c).u;
        NEXT();
    op_Sub64:
        R(pc->a).u = R(pc->b).u - R(pc->c).u;
        NEXT();
    op_Mul64:
        R(pc->a).u = R(pc->b).u * R(pc->c).u;
        NEXT();
    op_Div64 : {
        int64_t d = R(pc->c).i;
        if (d == 0)
            fail(std.divByZero, "Division by zero");
        int64_t n = R(pc->b).i;
        R(pc->a).i = (n == INT64_MIN && d == -1) ? INT64_MIN : n / d;
        NEXT();
    }
    op_Mod64 : {
        int64_t d = R(pc->c).i;
        if (d == 0)
            fail(std.divByZero, "Division by zero");
        R(pc->a).i = (d == -1) ? 0 : R(pc->b).i % d;
        NEXT();
    }
    op_AddI32:
        R(pc->a).i = static_cast<int32_t>(static_cast<uint32_t>(R(pc->b).i) + static_cast<uint32_t>(pc->c));
        NEXT();
    op_AddI64:
        R(pc->a).u = R(pc->b).u + static_cast<uint64_t>(static_cast<int64_t>(pc->c));
        NEXT();
    op_MulI32:
        R(pc->a).i = static_cast<int32_t>(static_cast<uint32_t>(R(pc->b).i) * static_cast<uint32_t>(pc->c));
        NEXT();
    op_DivI32 : {
        int32_t n = static_cast<int32_t>(R(pc->b).i);
        R(pc->a).i = (n == INT32_MIN && pc->c == -1) ? INT32_MIN : n / pc->c;
        NEXT();
    }
    op_ModI32:
        R(pc->a).i = pc->c == -1 ? 0 : static_cast<int32_t>(R(pc->b).i) % pc->c;
        NEXT();
    op_And:
        R(pc->a).i = R(pc->b).i & R(pc->c).i;
        NEXT();
    op_Or:
        R(pc->a).i = R(pc->b).i | R(pc->c).i;
        NEXT();
    op_Xor:
        R(pc->a).i = R(pc->b).i ^ R(pc->c).i;
        NEXT();
    op_Shl32:
        R(pc->a).i = static_cast<int32_t>(static_cast<uint32_t>(R(pc->b).u) << (R(pc->c).u & 31));
        NEXT();
    op_Shr32:
        R(pc->a).i = static_cast<int32_t>(static_cast<uint32_t>(R(pc->b).u) >> (R(pc->c).u & 31));
        NEXT();
    op_ShlU32:
        R(pc->a).i = static_cast<uint32_t>(static_cast<uint32_t>(R(pc->b).u) << (R(pc->c).u & 31));
        NEXT();
    op_ShrU32:
        R(pc->a).i = static_cast<uint32_t>(static_cast<uint32_t>(R(pc->b).u) >> (R(pc->c).u & 31));
        NEXT();
    op_Shl64:
        R(pc->a).u = R(pc->b).u << (R(pc->c).u & 63);
        NEXT();
    op_Shr64:
        R(pc->a).u = R(pc->b).u >> (R(pc->c).u & 63);
        NEXT();
    op_Neg32:
        R(pc->a).i = static_cast<int32_t>(0u - static_cast<uint32_t>(R(pc->b).i));
        NEXT();
    op_Neg64:
        R(pc->a).u = 0 - R(pc->b).u;
        NEXT();
    op_Not64:
        R(pc->a).i = ~R(pc->b).i;
        NEXT();
    op_NotU32:
        R(pc->a).i = static_cast<uint32_t>(~R(pc->b).u);
        NEXT();
    op_BoolNot:
        R(pc->a).i = R(pc->b).i == 0;
        NEXT();
    op_Abs32 : {
        int32_t v = static_cast<int32_t>(R(pc->b).i);
        R(pc->a).i = static_cast<int32_t>(v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v));
        NEXT();
    }
    op_Abs64 : {
        int64_t v = R(pc->b).i;
        R(pc->a).u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        NEXT();
    }
    op_Min64:
        R(pc->a).i = R(pc->b).i < R(pc->c).i ? R(pc->b).i : R(pc->c).i;
        NEXT();
    op_Max64:
        R(pc->a).i = R(pc->b).i > R(pc->c).i ? R(pc->b).i : R(pc->c).i;
        NEXT();

        // ---- reals ----
    op_AddF:
        R(pc->a).f = R(pc->b).f + R(pc->c).f;
        NEXT();
    op_SubF:
        R(pc->a).f = R(pc->b).f - R(pc->c).f;
        NEXT();
    op_MulF:
        R(pc->a).f = R(pc->b).f * R(pc->c).f;
        NEXT();
    op_DivF : {
        double d = R(pc->c).f;
        if (d == 0) {
            if (R(pc->b).f == 0 || std::isnan(R(pc->b).f))
                fail(std.invalidOp, "Invalid floating point operation");
            fail(std.zeroDivide, "Floating point division by zero");
        }
        R(pc->a).f = R(pc->b).f / d;
        NEXT();
    }
    op_NegF:
        R(pc->a).f = -R(pc->b).f;
        NEXT();
    op_AbsF:
        R(pc->a).f = std::fabs(R(pc->b).f);
        NEXT();
    op_MinF:
        R(pc->a).f = R(pc->b).f < R(pc->c).f ? R(pc->b).f : R(pc->c).f;
        NEXT();
    op_MaxF:
        R(pc->a).f = R(pc->b).f > R(pc->c).f ? R(pc->b).f : R(pc->c).f;
        NEXT();
    op_IntToF:
        R(pc->a).f = static_cast<double>(R(pc->b).i);
        NEXT();
    op_ToSingle:
        R(pc->a).f = static_cast<float>(R(pc->b).f);
        NEXT();

        // ---- comparisons ----
    op_Eq:
        R(pc->a).i = R(pc->b).i == R(pc->c).i;
        NEXT();
    op_Ne:
        R(pc->a).i = R(pc->b).i != R(pc->c).i;
        NEXT();
    op_Lt:
        R(pc->a).i = R(pc->b).i < R(pc->c).i;
        NEXT();
    op_Le:
        R(pc->a).i = R(pc->b).i <= R(pc->c).i;
        NEXT();
    op_EqF:
        R(pc->a).i = R(pc->b).f == R(pc->c).f;
        NEXT();
    op_NeF:
        R(pc->a).i = R(pc->b).f != R(pc->c).f;
        NEXT();
    op_LtF:
        R(pc->a).i = R(pc->b).f < R(pc->c).f;
        NEXT();
    op_LeF:
        R(pc->a).i = R(pc->b).f <= R(pc->c).f;
        NEXT();

        // ---- jumps ----
    op_Jump:
        JUMP(pc->c);
    op_JumpBack:
        TICK();
        JUMP(pc->c);
    op_JumpTrue:
        if (R(pc->a).i != 0)
            JUMP(pc->c);
        NEXT();
    op_JumpFalse:
        if (R(pc->a).i == 0)
            JUMP(pc->c);
        NEXT();
    op_JumpEq:
        if (R(pc->a).i == R(pc->b).i)
            JUMP(pc->c);
        NEXT();
    op_JumpNe:
        if (R(pc->a).i != R(pc->b).i)
            JUMP(pc->c);
        NEXT();
    op_JumpLt:
        if (R(pc->a).i < R(pc->b).i)
            JUMP(pc->c);
        NEXT();
    op_JumpLe:
        if (R(pc->a).i <= R(pc->b).i)
            JUMP(pc->c);
        NEXT();
    op_JumpEqI:
        if (R(pc->a).i == pc->b)
            JUMP(pc->c);
        NEXT();
    op_JumpNeI:
        if (R(pc->a).i != pc->b)
            JUMP(pc->c);
        NEXT();
    op_JumpLtI:
        if (R(pc->a).i < pc->b)
            JUMP(pc->c);
        NEXT();
    op_JumpLeI:
        if (R(pc->a).i <= pc->b)
            JUMP(pc->c);
        NEXT();
    op_JumpGtI:
        if (R(pc->a).i > pc->b)
            JUMP(pc->c);
        NEXT();
    op_JumpGeI:
        if (R(pc->a).i >= pc->b)
            JUMP(pc->c);
        NEXT();
    op_JumpLtF:
        if (R(pc->a).f < R(pc->b).f)
            JUMP(pc->c);
        NEXT();
    op_JumpLeF:
        if (R(pc->a).f <= R(pc->b).f)
            JUMP(pc->c);
        NEXT();
    op_ForUp:
        if (R(pc->a).i < R(pc->b).i) {
            ++R(pc->a).i;
            TICK();
            JUMP(pc->c);
        }
        NEXT();
    op_ForDown:
        if (R(pc->a).i > R(pc->b).i) {
            --R(pc->a).i;
            TICK();
            JUMP(pc->c);
        }
        NEXT();

        // ---- calls ----
    op_Call : {
        const Function* callee = &module_.functions[static_cast<std::size_t>(pc->b)];
        Slot* nb = base + pc->a;
        if (pc->x != 0) {
            Slot* link = base;
            for (int h = pc->x - 1; h > 0; --h)
                link = link[-1].ref;
            nb[-1].ref = link;
        }
        if (nb + callee->frameSlots > stackEnd_ || frames_.size() >= maxDepth) {
            // The arguments were handed over already: release the managed ones before failing.
            for (const ManagedSlot& m : callee->release) {
                if (m.slot < callee->argSlots)
                    heap_.finalize(m.type, nb + m.slot);
            }
            failFatal("Stack overflow");
        }
        frames_.back().pc = pc;
        frames_.push_back(Frame{callee, nullptr, nb});
        if (nb + callee->frameSlots > stackHigh_)
            stackHigh_ = nb + callee->frameSlots;
        for (int i = 0; i < callee->resultSlots; ++i)
            nb[i].u = 0;
        if (callee->clearTo > callee->clearFrom)
            std::memset(static_cast<void*>(nb + callee->clearFrom), 0,
                        static_cast<std::size_t>(callee->clearTo - callee->clearFrom) * sizeof(Slot));
        fn = callee;
        base = nb;
        code = callee->code.data();
        pc = code;
        TICK();
        DISPATCH();
    }
    op_CallNative : {
        const NativeCall& nc = module_.natives[static_cast<std::size_t>(pc->b)];
        nc.binding.fn(*this, base + pc->a, nc.binding.data);
        NEXT();
    }
    op_Return : {
        if (frames_.size() == 1)
            return true;
        const Frame& done = frames_.back();
        for (const ManagedSlot& m : done.fn->release)
            heap_.finalize(m.type, done.base + m.slot);
        frames_.pop_back();
        const Frame& caller = frames_.back();
        fn = caller.fn;
        base = caller.base;
        code = fn->code.data();
        pc = caller.pc + 1;
        DISPATCH();
    }

        // ---- sets ----
    op_SetLoad:
        std::memcpy(static_cast<void*>(&R(pc->a)), module_.sets[static_cast<std::size_t>(pc->b)].data(), 32);
        NEXT();
    op_SetIncl : {
        int64_t v = R(pc->b).i;
        if (v >= 0 && v < 256)
            R(pc->a + (v >> 6)).u |= uint64_t(1) << (v & 63);
        NEXT();
    }
    op_SetExcl : {
        int64_t v = R(pc->b).i;
        if (v >= 0 && v < 256)
            R(pc->a + (v >> 6)).u &= ~(uint64_t(1) << (v & 63));
        NEXT();
    }
    op_SetRange : {
        int64_t lo = std::max<int64_t>(R(pc->b).i, 0);
        int64_t hi = std::min<int64_t>(R(pc->c).i, 255);
        for (int64_t v = lo; v <= hi; ++v)
            R(pc->a + (v >> 6)).u |= uint64_t(1) << (v & 63);
        NEXT();
    }
    op_SetIn:
        R(pc->a).i = setHas(&R(pc->c), R(pc->b).i);
        NEXT();
    op_SetUnion:
        for (int w = 0; w < 4; ++w)
            R(pc->a + w).u = R(pc->b + w).u | R(pc->c + w).u;
        NEXT();
    op_SetDiff:
        for (int w = 0; w < 4; ++w)
            R(pc->a + w).u = R(pc->b + w).u & ~R(pc->c + w).u;
        NEXT();
    op_SetInter:
        for (int w = 0; w < 4; ++w)
            R(pc->a + w).u = R(pc->b + w).u & R(pc->c + w).u;
        NEXT();
    op_SetEq : {
        bool eq = true;
        for (int w = 0; w < 4; ++w)
            eq = eq && R(pc->b + w).u == R(pc->c + w).u;
        R(pc->a).i = eq;
        NEXT();
    }
    op_SetLe : {
        bool le = true;
        for (int w = 0; w < 4; ++w)
            le = le && (R(pc->b + w).u & ~R(pc->c + w).u) == 0;
        R(pc->a).i = le;
        NEXT();
    }

        // ---- arrays ----
    op_Index : {
        const ArrayDesc& d = module_.arrays[pc->x];
        int64_t i = R(pc->c).i;
        uint64_t offset = static_cast<uint64_t>(i) - static_cast<uint64_t>(d.low);
        if (offset >= static_cast<uint64_t>(d.count))
            failRange("Array index " + std::to_string(i) + " out of range " + std::to_string(d.low) + ".."
                      + std::to_string(d.low + d.count - 1));
        R(pc->a).ref = R(pc->b).ref + static_cast<int64_t>(offset) * d.elemSlots;
        NEXT();
    }
    op_OpenElem : {
        int64_t i = R(pc->c).i;
        int64_t count = R(pc->b + 1).i;
        if (i < 0 || i >= count)
            failRange("Array index " + std::to_string(i) + " out of range 0.." + std::to_string(count - 1));
        R(pc->a).ref = R(pc->b).ref + i * pc->x;
        NEXT();
    }

        // ---- objects ----
    op_ObjFree : {
        ObjectHandle h = R(pc->a).u;
        if (h != 0) {
            object(h);  // a freed object is an error, as freeing twice is
            objects_.free(h);
        }
        NEXT();
    }
    op_ObjIs : {
        ObjectTable::Entry* e = objects_.get(R(pc->b).u);
        R(pc->a).i = e != nullptr && classDescendsFrom(e->cls, module_.classes[static_cast<std::size_t>(pc->c)]);
        NEXT();
    }
    op_ObjCast : {
        ObjectHandle h = R(pc->b).u;
        if (h != 0) {
            ObjectTable::Entry& e = object(h);
            const ClassInfo* target = module_.classes[static_cast<std::size_t>(pc->c)];
            if (!classDescendsFrom(e.cls, target))
                fail(std.invalidCast,
                     "Invalid class typecast: " + std::string(e.cls->name) + " is not a " + std::string(target->name));
        }
        R(pc->a).u = h;
        NEXT();
    }

        // ---- exceptions ----
    op_Try:
        handlers_.push_back(Handler{static_cast<uint32_t>(frames_.size() - 1), static_cast<uint32_t>(control_.size()),
                                    code + pc->c, pc->x == 1});
        NEXT();
    op_PopTry:
        handlers_.pop_back();
        NEXT();
    op_FinallyNormal:
        control_.push_back(Control{Pending::Normal, static_cast<uint32_t>(frames_.size() - 1), 0, nullptr});
        NEXT();
    op_Leave:
        control_.push_back(Control{Pending::Jump, static_cast<uint32_t>(frames_.size() - 1), 0, code + pc->c});
        JUMP(pc->b);
    op_EndFinally : {
        Control c = control_.back();
        control_.pop_back();
        if (c.kind == Pending::Jump) {
            pc = c.target;
            DISPATCH();
        }
        if (c.kind == Pending::Exception) {
            ScriptThrow t;
            t.existing = c.exception;
            throw t;
        }
        NEXT();
    }
    op_Raise : {
        ObjectHandle h = R(pc->a).u;
        object(h);
        ScriptThrow t;
        t.existing = h;
        throw t;
    }
    op_Reraise : {
        // The exception being handled is the innermost handler record; records of finally blocks
        // entered inside the handler may lie above it and are dropped by the unwinding.
        ObjectHandle handled = 0;
        for (std::size_t i = control_.size(); i-- > 0;) {
            if (control_[i].kind == Pending::Handling) {
                handled = control_[i].exception;
                break;
            }
        }
        ScriptThrow t;
        t.existing = handled;
        throw t;
    }
    op_ExcObject:
        R(pc->a).u = control_.back().exception;
        NEXT();
    op_ExcIs : {
        ObjectTable::Entry* e = objects_.get(control_.back().exception);
        R(pc->a).i = e != nullptr && classDescendsFrom(e->cls, module_.classes[static_cast<std::size_t>(pc->c)]);
        NEXT();
    }
    op_EndExcept:
    op_PopControl : {
        Control c = control_.back();
        control_.pop_back();
        if (c.exception != 0)
            objects_.free(c.exception);
        NEXT();
    }
    } catch (ScriptThrow& t) {
        ObjectHandle exception = t.existing;
        if (t.fatal) {
            SourcePos p = positionOf(fn, pc);
            error_ = "Runtime error (" + std::to_string(p.row) + ":" + std::to_string(p.col) + "): " + t.message;
            errorPos_ = p;
            return false;
        }
        if (exception == 0) {
            try {
                exception = newException(t.cls != nullptr ? t.cls : std.exception, std::move(t.message), t.fromEngine,
                                         positionOf(fn, pc));
            } catch (...) {
                error_ = "Runtime error: out of memory";
                return false;
            }
        }
        if (unwindTo(exception, pc, base, fn)) {
            code = fn->code.data();
            goto resume;
        }
        error_ = describeFailure(exception);
        return false;
    } catch (OutOfMemory&) {
        SourcePos p = positionOf(fn, pc);
        error_ = "Runtime error (" + std::to_string(p.row) + ":" + std::to_string(p.col) + "): Out of memory";
        return false;
    } catch (std::bad_alloc&) {
        SourcePos p = positionOf(fn, pc);
        error_ = "Runtime error (" + std::to_string(p.row) + ":" + std::to_string(p.col) + "): Out of memory";
        return false;
    } catch (std::exception& e) {
        // A host routine failed: its message becomes an exception the script may catch.
        ObjectHandle exception = 0;
        try {
            exception = newException(std.exception, e.what(), false, positionOf(fn, pc));
        } catch (...) {
            error_ = "Runtime error: out of memory";
            return false;
        }
        if (unwindTo(exception, pc, base, fn)) {
            code = fn->code.data();
            goto resume;
        }
        error_ = describeFailure(exception);
        return false;
    }
    return true;
}

}  // namespace shutterhand::pascal
