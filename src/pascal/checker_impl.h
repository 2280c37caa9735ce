#pragma once

// The type checker's internal class, shared by its source files (declarations, expressions, calls,
// statements and the compiler-implemented routines).

#include "pascal/checker.h"

#include "pascal/small_vector.h"

#include <deque>
#include <limits>
#include <string>

namespace shutterhand::pascal {

// Larger types are refused: a frame is cleared on every call, and a run must not exhaust memory.
constexpr int64_t kMaxTypeSlots = int64_t(1) << 22;

inline bool fitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

class Checker {
public:
    Checker(const Environment& env, Arena& arena, Diagnostics& diag);

    bool program(const ast::Program& program, CheckedProgram& out);
    const Type* typeText(const ast::TypeExpr& type, std::string_view name);
    const Signature* signatureText(const ast::RoutineDecl& heading, bool isMethod);

    // ---- declarations (checker_decl.cpp) ----
    void declarations(std::span<const ast::Decl> decls);
    void constDecl(const ast::ConstDecl& decl);
    bool structuredConst(const ast::ConstDecl& decl, const Type* type);
    bool constInit(tt::Expr* target, const Type* type, const ast::Expr* value);
    void typeDecl(const ast::TypeDecl& decl);
    void varDecl(const ast::VarDecl& decl);
    void routineDecl(const ast::RoutineDecl& decl);
    void routineBody(RoutineInfo* routine, const ast::RoutineDecl& decl);
    bool buildParams(std::span<const ast::ParamGroup> groups, std::vector<Param>& params);
    Signature* makeSignature(std::span<const ast::ParamGroup> groups, const ast::TypeExpr* result, bool isMethod,
                             bool& ok);
    bool sameSignature(const Signature& a, const Signature& b) const;
    const Type* resolveType(const ast::TypeExpr* type, std::string_view name = {});
    const Type* makeRecordType(const ast::RecordTypeExpr& rec, std::string_view name);
    const Type* makeArrayType(const ast::ArrayTypeExpr& arr, std::string_view name, std::size_t dim);
    const Type* ordinalTypeFor(const ast::TypeExpr* type);
    Symbol* declare(std::string_view name, SourcePos pos, SymKind kind);
    int32_t allocSlots(int32_t count);
    Symbol* declareVariable(std::string_view name, SourcePos pos, const Type* type);
    int32_t hiddenLocal(const Type* type);

    // ---- lookups ----
    Symbol* lookup(std::string_view name);
    const Type* lookupType(std::string_view name, SourcePos pos);

    // ---- expressions (checker_expr.cpp) ----
    tt::Expr* expr(const ast::Expr* e, const Type* expected = nullptr);
    tt::Expr* nameExpr(const ast::NameExpr& e, bool callee);
    tt::Expr* memberExpr(const ast::MemberExpr& e, std::span<ast::Expr* const> args, bool hasArgs);
    tt::Expr* indexExpr(const ast::IndexExpr& e);
    tt::Expr* indexOne(tt::Expr* base, const ast::Expr* index, SourcePos pos);
    tt::Expr* unaryExpr(const ast::UnaryExpr& e);
    tt::Expr* binaryExpr(const ast::BinaryExpr& e);
    tt::Expr* arithmetic(ast::BinaryOp op, tt::Expr* l, tt::Expr* r, SourcePos pos, SourcePos opPos);
    tt::Expr* comparison(ast::BinaryOp op, tt::Expr* l, tt::Expr* r, SourcePos pos, SourcePos opPos);
    tt::Expr* setExpr(const ast::SetExpr& e, const Type* expected);
    tt::Expr* arrayConstructor(const ast::SetExpr& e, const Type* target);
    tt::Expr* variableRef(Symbol* sym, SourcePos pos);
    tt::Expr* fieldOf(tt::Expr* record, const Field* field, SourcePos pos);
    tt::Expr* callExpr(const ast::CallExpr& e);
    tt::Expr* castExpr(const Type* target, const ast::CallExpr& e);
    tt::Expr* classMember(tt::Expr* object, const ClassInfo* cls, const ast::Ident& name,
                          std::span<ast::Expr* const> args, bool hasArgs, bool classRef);

    // ---- calls (checker_call.cpp) ----
    using ArgList = SmallVec<tt::Expr*, 8>;
    bool checkArgs(const Signature& sig, std::span<ast::Expr* const> args, SourcePos namePos,
                   std::string_view routineName, ArgList& out, std::size_t firstParam = 0);
    tt::Expr* argument(const Param& param, const ast::Expr* arg);
    tt::Expr* callRoutine(Symbol* sym, std::span<ast::Expr* const> args, SourcePos pos);
    tt::Expr* callNative(const Signature& sig, Binding binding, tt::Expr* self, std::span<ast::Expr* const> args,
                         SourcePos pos, std::string_view name);
    tt::Expr* intrinsic(Symbol* sym, std::span<ast::Expr* const> args, SourcePos pos, bool hasArgs);

    // ---- conversions ----
    tt::Expr* coerce(tt::Expr* e, const Type* target, SourcePos pos);
    tt::Expr* condition(const ast::Expr* e);
    tt::Expr* ordinalValue(const ast::Expr* e);
    bool isLvalue(const tt::Expr* e) const;
    bool requireWritable(const tt::Expr* e, SourcePos pos, bool assignment = false);
    bool requireVariable(const tt::Expr* e, SourcePos pos, bool assignment = false);
    tt::Expr* fold(tt::Expr* e);
    bool constInt(const ast::Expr* e, int64_t& value, const Type** type = nullptr);

    // ---- statements (checker_stmt.cpp) ----
    tt::Stmt* stmt(const ast::Stmt* s);
    std::span<tt::Stmt*> stmtList(std::span<ast::Stmt* const> list);
    tt::Stmt* assignStmt(const ast::AssignStmt& s);
    tt::Stmt* callStmt(const ast::CallStmt& s);
    tt::Stmt* ifStmt(const ast::IfStmt& s);
    tt::Stmt* caseStmt(const ast::CaseStmt& s);
    tt::Stmt* forStmt(const ast::ForStmt& s);
    tt::Stmt* whileStmt(const ast::WhileStmt& s);
    tt::Stmt* repeatStmt(const ast::RepeatStmt& s);
    tt::Stmt* tryStmt(const ast::TryStmt& s);
    tt::Stmt* raiseStmt(const ast::RaiseStmt& s);
    tt::Stmt* withStmt(const ast::WithStmt& s);

    // ---- helpers ----
    tt::Expr* node(tt::Op op, const Type* type, SourcePos pos);
    tt::Expr* errorNode(SourcePos pos);
    tt::Expr* constInt(int64_t value, const Type* type, SourcePos pos);
    tt::Expr* constFloat(double value, SourcePos pos);
    tt::Expr* constStr(std::string_view value, SourcePos pos);
    tt::Stmt* snode(tt::SOp op, SourcePos pos);
    void error(SourcePos pos, std::string text);
    void incompatible(SourcePos pos, const Type* a, const Type* b);
    bool isError(const tt::Expr* e) const { return e->type == &errorType_; }
    Type* newType(TypeKind kind, std::string_view name);
    const Type* dynArrayOf(const Type* elem);
    const Type* openArrayOf(const Type* elem);
    const Type* setOf(const Type* elem, std::string_view name);
    tt::Cls clsOf(const Type* t) const;
    const Type* integerResult(const Type* a, const Type* b, const tt::Expr* ea, const tt::Expr* eb) const;

    const Environment& env_;
    Arena& arena_;
    Diagnostics& diag_;
    const BuiltinTypes& bt_;
    Type errorType_;

    std::deque<Scope> scopes_;
    Scope* scope_ = nullptr;
    RoutineInfo* routine_ = nullptr;  // the routine whose body or declarations are being checked
    std::vector<RoutineInfo*> routines_;
    std::vector<RoutineInfo*> pendingForwards_;
    std::vector<const Symbol*> loopVars_;
    int loopDepth_ = 0;
    int exceptDepth_ = 0;  // inside an except block, "raise;" may re-raise
    int32_t globalSlots_ = 0;
    std::vector<ManagedSlot> managed_;  // of the routine being checked
    std::vector<tt::Stmt*> globalInits_;
    std::vector<ManagedSlot> staticManaged_;  // structured constants of routines, kept in the global area
    RoutineInfo* main_ = nullptr;
    Type emptySetType_;
};

// Scope extension for with-statements: a scope whose names are the fields or members of one value.
struct WithScopeInfo {
    const Type* type = nullptr;
    int32_t slot = 0;
    bool isAddress = false;
};

}  // namespace shutterhand::pascal
