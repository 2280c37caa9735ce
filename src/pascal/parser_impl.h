#pragma once

// The parser's internal class, shared by its source files (declarations and types, statements,
// expressions).

#include "pascal/parser.h"

#include <string>
#include <vector>

// The parser works in ast's names throughout, hence its own namespace.
namespace shutterhand::pascal::parsing {

using namespace ast;

// Deeper nesting than this is refused, so that no input can exhaust the native stack of the later
// phases, which walk the tree recursively.
constexpr int kMaxNesting = 400;

class Parser {
public:
    Parser(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics)
        : toks_(tokens)
        , arena_(arena)
        , diag_(diagnostics)
    { }

    Program* program();
    RoutineDecl* headingText();
    TypeExpr* typeText();
    bool parameterText(std::span<ParamGroup>& out);

private:
    // ---- token access ----
    const Token& cur() const { return toks_[pos_]; }
    const Token& peekTok(std::size_t ahead = 1) const
    {
        std::size_t i = pos_ + ahead;
        return i < toks_.size() ? toks_[i] : toks_.back();
    }
    Tok kind() const { return cur().kind; }
    bool at(Tok k) const { return cur().kind == k; }
    const Token& take()
    {
        const Token& t = toks_[pos_];
        if (pos_ + 1 < toks_.size())
            ++pos_;
        return t;
    }
    bool accept(Tok k)
    {
        if (!at(k))
            return false;
        take();
        return true;
    }

    std::string describe(const Token& t) const
    {
        switch (t.kind) {
        case Tok::Ident:
            return "identifier " + quoted(t.text);
        case Tok::IntLit:
        case Tok::RealLit:
            return "number";
        default:
            return std::string(tokenName(t.kind));
        }
    }

    // Reports an error at the current token unless one was already reported there.
    void errorHere(const std::string& text)
    {
        // After "nested too deeply" the parser skips what it cannot descend into; the messages that
        // follow would only be echoes.
        if (tooDeep_)
            return;
        const Token& t = cur();
        if (reported_ && t.pos.row == lastError_.row && t.pos.col == lastError_.col)
            return;
        reported_ = true;
        lastError_ = t.pos;
        diag_.error(t.pos, text);
    }

    void expected(std::string_view what)
    {
        errorHere(std::string(what) + " expected but " + describe(cur()) + " found");
    }

    bool expect(Tok k)
    {
        if (accept(k))
            return true;
        expected(tokenName(k));
        return false;
    }

    Ident expectIdent()
    {
        Ident id;
        id.pos = cur().pos;
        if (at(Tok::Ident)) {
            id.name = take().text;
        } else {
            expected("Identifier");
        }
        return id;
    }

    template <typename T> T* node(ExprKind k, SourcePos p)
    {
        T* n = arena_.make<T>();
        n->kind = k;
        n->pos = p;
        return n;
    }
    template <typename T> T* stmt(StmtKind k, SourcePos p)
    {
        T* n = arena_.make<T>();
        n->kind = k;
        n->pos = p;
        return n;
    }
    template <typename T> T* typeNode(TypeExprKind k, SourcePos p)
    {
        T* n = arena_.make<T>();
        n->kind = k;
        n->pos = p;
        return n;
    }

    struct Chain;
    struct DepthGuard {
        Parser& p;
        bool ok;
        explicit DepthGuard(Parser& parser, int amount = 1)
            : p(parser)
            , ok(true)
            , added(amount)
        {
            p.depth_ += amount;
            if (p.depth_ > kMaxNesting) {
                ok = false;
                if (!p.tooDeep_) {
                    p.tooDeep_ = true;
                    p.diag_.error(p.cur().pos, "Expression or statement nested too deeply");
                }
            }
        }
        ~DepthGuard() { p.depth_ -= added; }
        int added;
    };

    // ---- declarations ----
    Block* block(bool isMain);
    void declarations(std::vector<Decl>& decls, bool isMain);
    void constSection(std::vector<Decl>& decls);
    void typeSection(std::vector<Decl>& decls);
    void varSection(std::vector<Decl>& decls);
    RoutineDecl* routine(bool withBody);
    RoutineDecl* heading();
    std::span<ParamGroup> parameters();
    void skipToSemicolon();

    // ---- types ----
    TypeExpr* type();
    TypeExpr* recordType();
    TypeExpr* arrayType();

    // ---- statements ----
    CompoundStmt* compound();
    std::span<Stmt*> statementList(std::initializer_list<Tok> terminators);
    Stmt* statement();
    Stmt* ifStatement();
    Stmt* caseStatement();
    Stmt* forStatement();
    Stmt* whileStatement();
    Stmt* repeatStatement();
    Stmt* tryStatement();
    Stmt* raiseStatement();
    Stmt* withStatement();
    bool canStartStatement(Tok k) const;

    // ---- expressions ----
    Expr* expression();
    Expr* simpleExpression();
    Expr* term();
    Expr* factor();
    Expr* designator(Expr* base);
    std::span<Expr*> expressionList(Tok closing);
    Expr* errorExpr();
    Expr* constValue();
    bool startsConstList() const;

    std::span<const Token> toks_;
    Arena& arena_;
    Diagnostics& diag_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    bool tooDeep_ = false;
    bool reported_ = false;
    SourcePos lastError_;
};

}  // namespace shutterhand::pascal::parsing
