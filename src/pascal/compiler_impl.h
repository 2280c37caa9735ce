#pragma once

// The compiler's internal classes, shared by its source files: one ModuleBuilder per program and one
// FunctionCompiler per routine.

#include "pascal/compiler.h"
#include "pascal/small_vector.h"
#include "pascal/typed_tree.h"

#include <string>
#include <unordered_map>
#include <vector>

namespace shutterhand::pascal {

// Raw temporaries get numbers from here on while a routine is compiled; they are moved behind the
// managed temporaries once their number is known.
constexpr int32_t kRawBase = 1 << 29;

class ModuleBuilder {
public:
    explicit ModuleBuilder(Module& module)
        : m_(module)
    { }
    int32_t constant(Slot value);
    int32_t string(std::string_view text);
    int32_t set(const uint64_t* bits);
    int32_t array(int64_t low, int64_t count, int32_t elemSlots);
    int32_t native(Binding binding, const Signature* sig, std::string_view name);
    int32_t type(const Type* t);
    int32_t klass(const ClassInfo* c);
    Module& module() { return m_; }

private:
    // Most programs have a handful of each, so lookups scan the module's tables; hash maps take over
    // once a table grows (kLinear entries).
    static constexpr std::size_t kLinear = 24;
    Module& m_;
    std::unordered_map<std::string_view, int32_t> strings_;
    std::unordered_map<uint64_t, int32_t> constants_;
    std::unordered_map<const void*, int32_t> types_;
    std::unordered_map<const void*, int32_t> classes_;
};

// Where a value lives: a register of the running frame, a global slot, or an address in a register
// plus an offset.
struct Place {
    enum Kind : uint8_t { Reg, Global, Ptr } kind = Reg;
    int32_t reg = 0;  // Reg: the register; Ptr: the register holding the address
    int32_t off = 0;  // Global: the slot; Ptr: slots after the address
};

class FunctionCompiler {
public:
    FunctionCompiler(ModuleBuilder& mb, Function& fn, const RoutineInfo& routine, Diagnostics& diag);
    bool compile();

    // ---- statements (compiler_stmt.cpp) ----
    void stmt(const tt::Stmt* s);
    void stmts(std::span<tt::Stmt* const> list);
    void assign(const tt::Stmt* s);
    void propSet(const tt::Stmt* s);
    void strCharSet(const tt::Stmt* s);
    void ifStmt(const tt::Stmt* s);
    void caseStmt(const tt::Stmt* s);
    void forStmt(const tt::Stmt* s);
    void whileStmt(const tt::Stmt* s);
    void repeatStmt(const tt::Stmt* s);
    void tryExcept(const tt::Stmt* s);
    void tryFinally(const tt::Stmt* s);
    void withStmt(const tt::Stmt* s);
    void leaveTo(std::size_t nestIndex, int label);
    void exitStmt(const tt::Stmt* s);

    // ---- expressions (compiler_expr.cpp) ----
    // Evaluates e. With dst >= 0 the value ends in dst (a managed register for managed types);
    // otherwise in a register that may belong to a variable (do not write it). `stable`: a managed
    // value must stay valid while other code runs, so a borrowed one is copied with its own reference.
    int32_t expr(const tt::Expr* e, int32_t dst = -1, bool stable = false);
    int32_t exprInner(const tt::Expr* e, int32_t dst, bool stable);
    void condJump(const tt::Expr* e, int label, bool jumpIf);
    int32_t binary(const tt::Expr* e, int32_t dst);
    int32_t compare(const tt::Expr* e, int32_t dst);
    int32_t convert(const tt::Expr* e, int32_t dst);
    int32_t intrinsic(const tt::Expr* e, int32_t dst);
    int32_t setCons(const tt::Expr* e, int32_t dst);
    int32_t arrayCons(const tt::Expr* e, int32_t dst);
    int32_t callScript(const tt::Expr* e, int32_t dst);
    int32_t callNative(const tt::Expr* e, int32_t dst);
    int32_t nativeCall(Binding binding, const Signature* sig, std::string_view name, const tt::Expr* self,
                       std::span<tt::Expr* const> args, const tt::Expr* extraValue, const Type* resultType,
                       int32_t dst);
    int32_t takeResult(const Type* t, int32_t raw, int32_t dst);
    // A managed argument placed only once all arguments are evaluated.
    struct Deferred {
        int32_t slot;
        int32_t value;
        const Type* type;
    };
    using DeferredList = SmallVec<Deferred, 8>;
    void argument(const Param& p, const tt::Expr* arg, int32_t slot, bool ownsManaged, bool stable,
                  DeferredList& deferred);
    // For each argument, whether one after it contains a call.
    void laterCalls(std::span<tt::Expr* const> args, const tt::Expr* extra, SmallVec<uint8_t, 16>& out) const;

    // ---- places ----
    bool isDirect(const tt::Expr* e, int32_t& reg) const;
    Place place(const tt::Expr* e, bool pin);
    int32_t addressOf(const Place& p);
    int32_t load(const Place& p, const Type* t, int32_t dst, bool stable);
    void store(const Place& p, const Type* t, int32_t value);
    void copyInto(const Place& p, const Type* t, const tt::Expr* value);
    bool hasCall(const tt::Expr* e) const;

    // ---- registers ----
    int32_t raw(int32_t count = 1);
    int32_t managedTemp(const Type* t);
    int32_t resultTemp(const Type* t);

    // ---- emitting ----
    int32_t emit(OpCode op, int32_t a = 0, int32_t b = 0, int32_t c = 0, int32_t x = 0);
    int newLabel();
    void bind(int label);
    void emitJump(OpCode op, int32_t a, int32_t b, int label);
    int32_t constReg(int64_t value);
    int32_t floatReg(double value);
    void setPos(SourcePos p) { pos_ = p; }
    void fail(SourcePos p, const std::string& text);

    struct TempMark {
        int32_t raw;
        std::size_t managed;
    };
    TempMark mark() const { return {rawTop_, managedUsed_.size()}; }
    void release(TempMark m);

    struct Nest {
        enum Kind : uint8_t { Loop, TryBody, FinallyGuard, HandlerBody, FinallyBody } kind;
        int breakLabel = -1;
        int continueLabel = -1;
        int finallyLabel = -1;
    };

    ModuleBuilder& mb_;
    Function& fn_;
    const RoutineInfo& routine_;
    Diagnostics& diag_;
    const BuiltinTypes& bt_;
    int32_t level_;
    int32_t fixed_;
    int32_t rawTop_ = 0;
    int32_t rawMax_ = 0;
    struct MTemp {
        int32_t slot;
        const Type* type;
        bool inUse;
    };
    std::vector<MTemp> mtemps_;
    std::vector<std::size_t> managedUsed_;  // indices into mtemps_, in allocation order
    int32_t managedSlots_ = 0;
    std::vector<int32_t> labels_;
    struct Fixup {
        int32_t instr;
        int label;
    };
    std::vector<Fixup> fixups_;
    std::vector<Nest> nests_;
    int exitLabel_ = -1;
    SourcePos pos_;
    bool failed_ = false;
};

inline bool fitsInt32Imm(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// An integer constant small enough for an instruction's immediate field.
inline bool isConstInt(const tt::Expr* e) { return e->op == tt::Op::ConstInt && fitsInt32Imm(e->i); }

// Natives the compiler calls for routines it implements itself.
namespace intrinsics {
void setLengthString(Vm& vm, Slot* args, const void* data);
void setLengthArray(Vm& vm, Slot* args, const void* data);  // data: the array type; args: [addr][dims][n...]
void copyString(Vm& vm, Slot* args, const void* data);
void copyArray(Vm& vm, Slot* args, const void* data);  // data: the array type
void randomReal(Vm& vm, Slot* args, const void* data);
void randomInt(Vm& vm, Slot* args, const void* data);
// Starts the sequence of Random anew from `seed` (Randomize).
void seedRandom(uint32_t seed);
}  // namespace intrinsics

// The element type of "array of const" values: tag, value, string.
const Type* constArrayElementType();
// A dynamic array of such elements, which an "array of const" argument is built as.
const Type* constArrayDynType();

enum ConstArgTag : int64_t {
    kArgInteger = 0,
    kArgBoolean = 1,
    kArgChar = 2,
    kArgReal = 3,
    kArgString = 4,
    kArgObject = 5,
    kArgInt64 = 6,
    kArgNil = 7,
};

}  // namespace shutterhand::pascal
