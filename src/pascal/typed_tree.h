#pragma once

// The typed tree: what the type checker makes of the syntax tree. Every name is resolved, every
// expression has its type, implicit conversions are explicit nodes, and operators carry the operand
// class they work on, so that the compiler only chooses instructions.

#include "pascal/symbols.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace shutterhand::pascal::tt {

enum class Op : uint8_t {
    ConstInt,    // i
    ConstFloat,  // f
    ConstStr,    // s
    ConstSet,    // set (four words)
    ConstNil,
    Var,            // sym
    WithBase,       // the value bound by a with-statement: i = hidden local slot; byRef when it is an address
    Field,          // a: record; i: slot offset
    Index,          // a: static array; b: index
    DynIndex,       // a: dynamic array; b: index
    OpenIndex,      // a: open array parameter; b: index
    StrIndex,       // a: string; b: index
    Unary,          // sub: UnOp; a
    Binary,         // sub: BinOp; a, b
    Compare,        // sub: CmpOp; a, b
    AndThen,        // Boolean "and" with short-circuit evaluation
    OrElse,         // Boolean "or" with short-circuit evaluation
    Convert,        // sub: Conv; a
    CallScript,     // routine; args
    CallNative,     // sig, binding; a: object for methods (may be null); args
    PropGet,        // member; a: object; args: indices
    Construct,      // member (the constructor); cls: the class created; args
    Intrinsic,      // sub: Intrinsic; args; i/f: extra constants
    SetCons,        // args: element pairs (low, high or null), type: the set type
    ArrayCons,      // args: elements; type: dynamic array, open array or array of const
    ClassIs,        // a: object; cls
    ClassCast,      // a: object; cls (checked: a wrong class is a run-time error, nil passes)
    ClassRefValue,  // a class name as a value: cls
};

// Operand classes: how the compiler reads the operands' slots.
enum class Cls : uint8_t { I32, U32, I64, F64, Bool, Char, Str, Set, Obj, Enum };

enum class UnOp : uint8_t { Neg, Not, BoolNot };

enum class BinOp : uint8_t {
    Add,
    Sub,
    Mul,
    FDiv,
    IDiv,
    Mod,
    And,
    Or,
    Xor,
    Shl,
    Shr,
    Concat,
    SetUnion,
    SetDiff,
    SetInter,
    In,  // a: ordinal, b: set
};

enum class CmpOp : uint8_t { Eq, Ne, Lt, Le, Gt, Ge };

enum class Conv : uint8_t {
    IntToFloat,  // a is an integer (cls says which kind)
    Truncate,    // to the ordinal kind of the node's type
    CharToStr,
    ToSingle,  // round a real to single precision
    OrdToOrd,  // no change in representation (enum/char/Boolean casts within range)
};

enum class Intrinsic : uint8_t {
    None,
    Inc,
    Dec,
    Ord,
    Chr,
    Succ,
    Pred,
    Low,
    High,
    Length,
    SetLength,
    Copy,
    Abs,
    Sqr,
    Min,
    Max,
    Exit,
    Break,
    Continue,
    Assigned,
    FreeAndNil,
    Include,
    Exclude,
    Random,
    Odd,
};

struct Expr {
    Op op = Op::ConstNil;
    uint8_t sub = 0;
    Cls cls = Cls::I32;  // operand class for operators; for Convert the source class
    bool byRef = false;
    const Type* type = nullptr;
    SourcePos pos;
    Expr* a = nullptr;
    Expr* b = nullptr;
    std::span<Expr*> args;
    int64_t i = 0;
    double f = 0;
    std::string_view s;
    const uint64_t* set = nullptr;
    const Symbol* sym = nullptr;
    const RoutineInfo* routine = nullptr;
    const Signature* sig = nullptr;
    Binding binding;
    const Member* member = nullptr;
    const ClassInfo* cls2 = nullptr;  // class for Construct, ClassIs, ClassCast, ClassRefValue
    int32_t hops = 0;                 // CallScript: static link hops (-1: none needed)
};

enum class SOp : uint8_t {
    Empty,
    Block,       // body
    Assign,      // a := b
    PropSet,     // member; a: object; args: indices; b: value
    StrCharSet,  // a: string variable; b: index; c: char
    Eval,        // a: a call whose result is dropped
    If,          // a: condition; body[0]: then; elseBody
    Case,        // a: selector; arms; elseBody
    For,         // sym/a: loop variable; b: from; c: to; downto; body
    While,       // a: condition; body
    Repeat,      // body; a: condition
    Break,
    Continue,
    Exit,  // a: value for Exit(value), may be null
    TryExcept,
    TryFinally,
    Raise,  // a: exception object, null for a re-raise
    With,   // withs: each bound to its hidden slot; body
};

struct Stmt;

struct CaseRange {
    int64_t low;
    int64_t high;
    std::string_view strLow;  // string selectors compare texts
    std::string_view strHigh;
};

struct CaseArm {
    std::span<CaseRange> ranges;
    Stmt* body;
};

struct Handler {
    const ClassInfo* cls;    // null: catches everything (bare except)
    const Symbol* variable;  // "E" in "on E: Exception do", may be null
    Stmt* body;
};

struct WithBinding {
    Expr* object;    // record lvalue or object/record value
    int32_t slot;    // hidden local receiving the address (records) or the handle (objects)
    bool isAddress;  // the slot holds a pointer to the record
};

struct Stmt {
    SOp op = SOp::Empty;
    bool downto = false;
    SourcePos pos;
    Expr* a = nullptr;
    Expr* b = nullptr;
    Expr* c = nullptr;
    std::span<Expr*> args;
    const Member* member = nullptr;
    std::span<Stmt*> body;
    std::span<Stmt*> elseBody;
    std::span<CaseArm> arms;
    std::span<Handler> handlers;
    std::span<WithBinding> withs;
    int32_t slot = 0;   // For: hidden slot of the limit; Case: selector class
    int32_t slot2 = 0;  // For: hidden slot of the counter when the variable is not a plain local
    Cls cls = Cls::I32;
};

}  // namespace shutterhand::pascal::tt

namespace shutterhand::pascal {

// A routine declared in the script.
struct RoutineInfo {
    std::string_view name;
    SourcePos pos;
    Signature sig;
    int32_t level = 1;       // 1 for routines of the program, more for nested ones
    int32_t frameSlots = 0;  // result, parameters and locals
    int32_t index = -1;      // function number in the compiled program
    bool defined = false;    // has a body (a forward declaration waits for it)
    bool isFunction = false;
    const ast::RoutineDecl* decl = nullptr;
    tt::Stmt* body = nullptr;
    Symbol* resultSym = nullptr;
    std::span<const ManagedSlot> managed;  // parameters and locals that own references
};

}  // namespace shutterhand::pascal
