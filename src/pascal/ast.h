#pragma once

// The syntax tree the parser builds. Nodes live in the compile's arena and are plain data; the type
// checker reads them and builds the typed tree (typed_tree.h) from them.

#include "pascal/source_pos.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace shutterhand::pascal::ast {

struct Ident {
    std::string_view name;
    SourcePos pos;
};

// ---- Expressions ----

enum class ExprKind : uint8_t {
    Name,
    IntLit,
    RealLit,
    StrLit,
    Nil,
    Paren,
    Unary,
    Binary,
    Member,
    Index,
    Call,
    Set,
    ConstList
};

enum class UnaryOp : uint8_t { Neg, Plus, Not, AddressOf };

enum class BinaryOp : uint8_t {
    Add,
    Sub,
    Mul,
    Divide,  // "/", always real
    Div,
    Mod,
    And,
    Or,
    Xor,
    Shl,
    Shr,
    Eq,
    NotEq,
    Less,
    LessEq,
    Greater,
    GreaterEq,
    In,
    Is,
    As,
};

struct Expr {
    ExprKind kind;
    SourcePos pos;  // the first token of the expression
};

struct NameExpr : Expr {
    std::string_view name;
};

struct IntLitExpr : Expr {
    uint64_t value;
};

struct RealLitExpr : Expr {
    double value;
};

struct StrLitExpr : Expr {
    std::string_view value;
};

struct ParenExpr : Expr {
    Expr* inner;
};

struct UnaryExpr : Expr {
    UnaryOp op;
    Expr* operand;
};

struct BinaryExpr : Expr {
    BinaryOp op;
    SourcePos opPos;
    Expr* left;
    Expr* right;
};

struct MemberExpr : Expr {
    Expr* object;
    Ident member;
};

struct IndexExpr : Expr {
    Expr* object;
    std::span<Expr*> indices;
};

struct CallExpr : Expr {
    Expr* callee;
    std::span<Expr*> args;
};

struct SetElement {
    Expr* low;
    Expr* high;  // null unless the element is a range "low..high"
};

struct SetExpr : Expr {
    std::span<SetElement> elements;
};

// The value of a typed constant of an array or record type: "(1, 2, 3)" or "(X: 1; Y: 2)".
struct ConstListExpr : Expr {
    std::span<Expr*> items;
    std::span<Ident> fields;  // record constants: one name per item
};

// ---- Types ----

enum class TypeExprKind : uint8_t { Named, String, Enum, Subrange, Set, Array, Record, ArrayOfConst };

struct TypeExpr {
    TypeExprKind kind;
    SourcePos pos;
};

struct NamedTypeExpr : TypeExpr {
    std::string_view name;
};

struct EnumTypeExpr : TypeExpr {
    std::span<Ident> values;
};

struct SubrangeTypeExpr : TypeExpr {
    Expr* low;
    Expr* high;
};

struct SetTypeExpr : TypeExpr {
    TypeExpr* element;
};

// "array[...] of T" (static, one index type per dimension) or "array of T" (no index types: dynamic,
// or an open array when it is a parameter's type).
struct ArrayTypeExpr : TypeExpr {
    std::span<TypeExpr*> indices;
    TypeExpr* element;
};

struct FieldGroup {
    std::span<Ident> names;
    TypeExpr* type;
};

struct RecordTypeExpr : TypeExpr {
    std::span<FieldGroup> fields;
};

// ---- Statements ----

enum class StmtKind : uint8_t {
    Empty,
    Assign,
    Call,
    Compound,
    If,
    Case,
    For,
    While,
    Repeat,
    Try,
    Raise,
    With,
};

struct Stmt {
    StmtKind kind;
    SourcePos pos;
};

struct AssignStmt : Stmt {
    Expr* target;
    Expr* value;
    SourcePos assignPos;
};

// A call, or any expression used as a statement (the checker decides whether it may stand there).
struct CallStmt : Stmt {
    Expr* expr;
};

struct CompoundStmt : Stmt {
    std::span<Stmt*> body;
    SourcePos endPos;
};

struct IfStmt : Stmt {
    Expr* condition;
    Stmt* thenBranch;
    Stmt* elseBranch;  // may be null
};

struct CaseLabel {
    Expr* low;
    Expr* high;  // null unless a range
};

struct CaseArm {
    std::span<CaseLabel> labels;
    Stmt* body;
};

struct CaseStmt : Stmt {
    Expr* selector;
    std::span<CaseArm> arms;
    std::span<Stmt*> elseBody;
    bool hasElse;
};

struct ForStmt : Stmt {
    Ident variable;
    Expr* from;
    Expr* to;
    bool downto;
    Stmt* body;
};

struct WhileStmt : Stmt {
    Expr* condition;
    Stmt* body;
};

struct RepeatStmt : Stmt {
    std::span<Stmt*> body;
    Expr* condition;
};

struct ExceptHandler {
    Ident variable;  // empty name when the handler has no "E:"
    Ident exceptionType;
    Stmt* body;
};

struct TryStmt : Stmt {
    std::span<Stmt*> body;
    bool isFinally;
    std::span<Stmt*> finallyBody;       // try ... finally
    std::span<ExceptHandler> handlers;  // try ... except on ... do
    std::span<Stmt*> exceptBody;        // bare except, or the else part after the handlers
    bool hasExceptElse;
};

struct RaiseStmt : Stmt {
    Expr* exception;  // null for a re-raise
};

struct WithStmt : Stmt {
    std::span<Expr*> objects;
    Stmt* body;
};

// ---- Declarations ----

enum class ParamMode : uint8_t { Value, Const, Var, Out };

struct ParamGroup {
    std::span<Ident> names;
    ParamMode mode;
    TypeExpr* type;  // null for an untyped var/const parameter, which the checker rejects
    Expr* defaultValue;
};

enum class RoutineKind : uint8_t { Procedure, Function, Constructor, Destructor };

struct Block;

struct RoutineDecl {
    RoutineKind kind;
    SourcePos pos;  // the keyword
    Ident name;
    std::span<ParamGroup> params;
    TypeExpr* result;  // functions only
    bool isForward;
    Block* body;  // null for a forward declaration or a bare heading
};

struct ConstDecl {
    Ident name;
    TypeExpr* type;  // typed constant when set
    Expr* value;
};

struct TypeDecl {
    Ident name;
    TypeExpr* type;
};

struct VarDecl {
    std::span<Ident> names;
    TypeExpr* type;
    Expr* init;  // may be null
};

enum class DeclKind : uint8_t { Const, Type, Var, Routine };

struct Decl {
    DeclKind kind;
    union {
        ConstDecl* constDecl;
        TypeDecl* typeDecl;
        VarDecl* varDecl;
        RoutineDecl* routine;
    };
};

struct Block {
    std::span<Decl> decls;
    CompoundStmt* body;
};

struct Program {
    Ident name;  // empty when there is no "program" heading
    Block* block;
    SourcePos endPos;  // the final "." (or where it was expected)
};

}  // namespace shutterhand::pascal::ast
