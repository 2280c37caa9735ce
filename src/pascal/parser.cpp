#include "pascal/parser.h"

#include "pascal/small_vector.h"

#include <string>
#include <vector>

namespace shutterhand::pascal {

using namespace ast;

namespace {

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

// ================= program and declarations =================

Program* Parser::program()
{
    Program* prog = arena_.make<Program>();
    if (accept(Tok::KwProgram)) {
        prog->name = expectIdent();
        if (accept(Tok::LParen)) {  // "program Name(input, output);" as old programs write it
            while (!at(Tok::RParen) && !at(Tok::Eof) && !at(Tok::Semicolon))
                take();
            expect(Tok::RParen);
        }
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
    }
    if (accept(Tok::KwUses)) {
        // Units are not separate here: every standard routine is always available, so the clause is
        // read and its names ignored.
        do {
            expectIdent();
        } while (accept(Tok::Comma));
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
    }
    prog->block = block(true);
    prog->endPos = cur().pos;
    if (!at(Tok::Dot)) {
        expected("'.'");
    } else {
        take();
    }
    if (!at(Tok::Eof) && !reported_)
        errorHere("Unexpected text after the end of the program");
    return prog;
}

Block* Parser::block(bool isMain)
{
    Block* b = arena_.make<Block>();
    std::vector<Decl> decls;
    declarations(decls, isMain);
    b->decls = arena_.copy(decls);
    if (!at(Tok::KwBegin)) {
        expected("'begin'");
        // Skip to the next "begin" or the end, so that the body can still be read.
        while (!at(Tok::KwBegin) && !at(Tok::Eof) && !at(Tok::Dot))
            take();
    }
    b->body = compound();
    return b;
}

void Parser::declarations(std::vector<Decl>& decls, bool isMain)
{
    for (;;) {
        switch (kind()) {
        case Tok::KwConst:
            take();
            constSection(decls);
            break;
        case Tok::KwType:
            take();
            typeSection(decls);
            break;
        case Tok::KwVar:
            take();
            varSection(decls);
            break;
        case Tok::KwProcedure:
        case Tok::KwFunction: {
            RoutineDecl* r = routine(true);
            if (r != nullptr) {
                Decl d;
                d.kind = DeclKind::Routine;
                d.routine = r;
                decls.push_back(d);
            }
            break;
        }
        case Tok::KwBegin:
        case Tok::Eof:
            return;
        case Tok::KwUses:
            if (isMain) {
                errorHere("'uses' must come before the declarations");
                skipToSemicolon();
                break;
            }
            [[fallthrough]];
        default:
            expected("'begin'");
            // Skip ahead to something a declaration part or a block can start with.
            while (!at(Tok::Eof) && !at(Tok::KwBegin) && !at(Tok::KwConst) && !at(Tok::KwType) && !at(Tok::KwVar)
                   && !at(Tok::KwProcedure) && !at(Tok::KwFunction))
                take();
            break;
        }
        if (diag_.full())
            return;
    }
}

void Parser::skipToSemicolon()
{
    while (!at(Tok::Semicolon) && !at(Tok::Eof) && !at(Tok::KwBegin) && !at(Tok::KwEnd))
        take();
    accept(Tok::Semicolon);
}

void Parser::constSection(std::vector<Decl>& decls)
{
    if (!at(Tok::Ident))
        expected("Identifier");
    while (at(Tok::Ident)) {
        ConstDecl* c = arena_.make<ConstDecl>();
        c->name = expectIdent();
        if (accept(Tok::Colon))
            c->type = type();
        if (!expect(Tok::Eq)) {
            skipToSemicolon();
            continue;
        }
        c->value = c->type != nullptr ? constValue() : expression();
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
        Decl d;
        d.kind = DeclKind::Const;
        d.constDecl = c;
        decls.push_back(d);
    }
}

void Parser::typeSection(std::vector<Decl>& decls)
{
    if (!at(Tok::Ident))
        expected("Identifier");
    while (at(Tok::Ident)) {
        TypeDecl* t = arena_.make<TypeDecl>();
        t->name = expectIdent();
        if (!expect(Tok::Eq)) {
            skipToSemicolon();
            continue;
        }
        if (at(Tok::KwType))  // "type X = type Integer" declares a distinct copy; here it is an alias
            take();
        t->type = type();
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
        Decl d;
        d.kind = DeclKind::Type;
        d.typeDecl = t;
        decls.push_back(d);
    }
}

void Parser::varSection(std::vector<Decl>& decls)
{
    if (!at(Tok::Ident))
        expected("Identifier");
    while (at(Tok::Ident)) {
        VarDecl* v = arena_.make<VarDecl>();
        std::vector<Ident> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma))
            names.push_back(expectIdent());
        v->names = arena_.copy(names);
        if (!expect(Tok::Colon)) {
            skipToSemicolon();
            continue;
        }
        v->type = type();
        if (accept(Tok::Eq))
            v->init = expression();
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
        Decl d;
        d.kind = DeclKind::Var;
        d.varDecl = v;
        decls.push_back(d);
    }
}

RoutineDecl* Parser::heading()
{
    RoutineDecl* r = arena_.make<RoutineDecl>();
    r->pos = cur().pos;
    switch (kind()) {
    case Tok::KwProcedure:
        r->kind = RoutineKind::Procedure;
        break;
    case Tok::KwFunction:
        r->kind = RoutineKind::Function;
        break;
    case Tok::KwConstructor:
        r->kind = RoutineKind::Constructor;
        break;
    case Tok::KwDestructor:
        r->kind = RoutineKind::Destructor;
        break;
    default:
        expected("'procedure' or 'function'");
        return nullptr;
    }
    take();
    r->name = expectIdent();
    if (r->name.name.empty())
        return nullptr;
    if (at(Tok::LParen))
        r->params = parameters();
    if (r->kind == RoutineKind::Function) {
        if (expect(Tok::Colon))
            r->result = type();
    }
    return r;
}

std::span<ParamGroup> Parser::parameters()
{
    expect(Tok::LParen);
    std::vector<ParamGroup> groups;
    if (accept(Tok::RParen))
        return {};
    for (;;) {
        ParamGroup g{};
        g.mode = ParamMode::Value;
        if (accept(Tok::KwVar))
            g.mode = ParamMode::Var;
        else if (accept(Tok::KwConst))
            g.mode = ParamMode::Const;
        else if (at(Tok::Ident) && peekTok().kind == Tok::Ident && cur().text.size() == 3
                 && (cur().text[0] | 0x20) == 'o' && (cur().text[1] | 0x20) == 'u' && (cur().text[2] | 0x20) == 't') {
            take();
            g.mode = ParamMode::Out;
        }
        std::vector<Ident> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma))
            names.push_back(expectIdent());
        g.names = arena_.copy(names);
        if (accept(Tok::Colon)) {
            g.type = type();
            if (accept(Tok::Eq))
                g.defaultValue = expression();
        }
        groups.push_back(g);
        if (accept(Tok::Semicolon))
            continue;
        if (!expect(Tok::RParen)) {
            while (!at(Tok::RParen) && !at(Tok::Eof) && !at(Tok::Semicolon) && !at(Tok::KwBegin))
                take();
            accept(Tok::RParen);
        }
        break;
    }
    return arena_.copy(groups);
}

RoutineDecl* Parser::routine(bool withBody)
{
    RoutineDecl* r = heading();
    if (r == nullptr) {
        skipToSemicolon();
        return nullptr;
    }
    if (!expect(Tok::Semicolon))
        skipToSemicolon();
    // Directives.
    while (at(Tok::Ident)) {
        std::string lower;
        for (char c : cur().text)
            lower += static_cast<char>(c | 0x20);
        if (lower == "forward") {
            r->isForward = true;
        } else if (lower == "overload" || lower == "stdcall" || lower == "register" || lower == "cdecl"
                   || lower == "inline") {
            // Calling conventions mean nothing to the engine; overloads are reported by the checker
            // as duplicates.
        } else {
            break;
        }
        take();
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
    }
    if (r->isForward || !withBody)
        return r;
    {
        DepthGuard guard(*this, 8);
        if (!guard.ok) {
            // Skip the routine without descending further.
            int level = 0;
            while (!at(Tok::Eof)) {
                if (at(Tok::KwBegin) || at(Tok::KwCase) || at(Tok::KwTry) || at(Tok::KwRecord))
                    ++level;
                if (at(Tok::KwEnd) && --level <= 0) {
                    take();
                    break;
                }
                take();
            }
            accept(Tok::Semicolon);
            return r;
        }
        r->body = block(false);
    }
    if (!expect(Tok::Semicolon))
        skipToSemicolon();
    return r;
}

// ================= types =================

TypeExpr* Parser::type()
{
    DepthGuard guard(*this);
    SourcePos p = cur().pos;
    if (!guard.ok) {
        auto* t = typeNode<NamedTypeExpr>(TypeExprKind::Named, p);
        t->name = "";
        return t;
    }
    accept(Tok::KwPacked);
    switch (kind()) {
    case Tok::KwString: {
        take();
        auto* t = typeNode<TypeExpr>(TypeExprKind::String, p);
        if (at(Tok::LBracket)) {
            errorHere("Short strings with a length are not supported; use string");
            take();
            expression();
            expect(Tok::RBracket);
        }
        return t;
    }
    case Tok::LParen: {
        take();
        std::vector<Ident> values;
        values.push_back(expectIdent());
        while (accept(Tok::Comma))
            values.push_back(expectIdent());
        expect(Tok::RParen);
        auto* t = typeNode<EnumTypeExpr>(TypeExprKind::Enum, p);
        t->values = arena_.copy(values);
        return t;
    }
    case Tok::KwSet: {
        take();
        expect(Tok::KwOf);
        auto* t = typeNode<SetTypeExpr>(TypeExprKind::Set, p);
        t->element = type();
        return t;
    }
    case Tok::KwArray:
        return arrayType();
    case Tok::KwRecord:
        return recordType();
    case Tok::Ident:
        if (peekTok().kind != Tok::DotDot) {
            auto* t = typeNode<NamedTypeExpr>(TypeExprKind::Named, p);
            t->name = take().text;
            return t;
        }
        break;
    case Tok::KwClass:
    case Tok::KwProcedure:
    case Tok::KwFunction:
    case Tok::Caret:
        errorHere("Declaring " + describe(cur()) + " types is not supported in scripts");
        {
            auto* t = typeNode<NamedTypeExpr>(TypeExprKind::Named, p);
            t->name = "";
            // Skip the rest of the declaration.
            while (!at(Tok::Semicolon) && !at(Tok::Eof))
                take();
            return t;
        }
    default:
        break;
    }
    // A subrange "low..high" of constant expressions.
    auto* t = typeNode<SubrangeTypeExpr>(TypeExprKind::Subrange, p);
    t->low = simpleExpression();
    if (!expect(Tok::DotDot)) {
        t->high = t->low;
        return t;
    }
    t->high = simpleExpression();
    return t;
}

TypeExpr* Parser::arrayType()
{
    SourcePos p = take().pos;
    auto* t = typeNode<ArrayTypeExpr>(TypeExprKind::Array, p);
    if (accept(Tok::LBracket)) {
        std::vector<TypeExpr*> indices;
        indices.push_back(type());
        while (accept(Tok::Comma))
            indices.push_back(type());
        expect(Tok::RBracket);
        t->indices = arena_.copy(indices);
    }
    expect(Tok::KwOf);
    if (at(Tok::KwConst) && t->indices.empty()) {
        take();
        return typeNode<TypeExpr>(TypeExprKind::ArrayOfConst, p);
    }
    t->element = type();
    return t;
}

TypeExpr* Parser::recordType()
{
    SourcePos p = take().pos;
    auto* t = typeNode<RecordTypeExpr>(TypeExprKind::Record, p);
    std::vector<FieldGroup> fields;
    while (at(Tok::Ident)) {
        FieldGroup g{};
        std::vector<Ident> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma))
            names.push_back(expectIdent());
        g.names = arena_.copy(names);
        if (expect(Tok::Colon))
            g.type = type();
        fields.push_back(g);
        if (!accept(Tok::Semicolon))
            break;
    }
    if (at(Tok::KwCase)) {
        errorHere("Variant records are not supported");
        while (!at(Tok::KwEnd) && !at(Tok::Eof))
            take();
    }
    expect(Tok::KwEnd);
    t->fields = arena_.copy(fields);
    return t;
}

// ================= statements =================

bool Parser::canStartStatement(Tok k) const
{
    switch (k) {
    case Tok::Ident:
    case Tok::KwBegin:
    case Tok::KwIf:
    case Tok::KwCase:
    case Tok::KwFor:
    case Tok::KwWhile:
    case Tok::KwRepeat:
    case Tok::KwTry:
    case Tok::KwRaise:
    case Tok::KwWith:
    case Tok::LParen:
    case Tok::KwInherited:
        return true;
    default:
        return false;
    }
}

CompoundStmt* Parser::compound()
{
    auto* c = stmt<CompoundStmt>(StmtKind::Compound, cur().pos);
    expect(Tok::KwBegin);
    c->body = statementList({Tok::KwEnd});
    c->endPos = cur().pos;
    expect(Tok::KwEnd);
    return c;
}

std::span<Stmt*> Parser::statementList(std::initializer_list<Tok> terminators)
{
    auto isTerminator = [&](Tok k) {
        if (k == Tok::Eof || k == Tok::Dot)
            return true;
        for (Tok t : terminators) {
            if (t == k)
                return true;
        }
        return false;
    };
    SmallVec<Stmt*, 16> list;
    for (;;) {
        if (isTerminator(kind()))
            break;
        std::size_t before = pos_;
        Stmt* s = statement();
        if (s != nullptr && s->kind != StmtKind::Empty)
            list.push_back(s);
        if (accept(Tok::Semicolon))
            continue;
        if (isTerminator(kind()))
            break;
        // A missing ';' is reported at the first token of the next statement.
        expected("';'");
        if (diag_.full())
            break;
        if (canStartStatement(kind()) && pos_ != before)
            continue;
        // Skip to a point where statements can go on.
        if (pos_ == before)
            take();
        while (!at(Tok::Semicolon) && !isTerminator(kind()) && !canStartStatement(kind()))
            take();
        accept(Tok::Semicolon);
    }
    return arena_.copy(list.span());
}

Stmt* Parser::statement()
{
    DepthGuard guard(*this);
    SourcePos p = cur().pos;
    if (!guard.ok) {
        take();
        return stmt<Stmt>(StmtKind::Empty, p);
    }
    switch (kind()) {
    case Tok::KwBegin:
        return compound();
    case Tok::KwIf:
        return ifStatement();
    case Tok::KwCase:
        return caseStatement();
    case Tok::KwFor:
        return forStatement();
    case Tok::KwWhile:
        return whileStatement();
    case Tok::KwRepeat:
        return repeatStatement();
    case Tok::KwTry:
        return tryStatement();
    case Tok::KwRaise:
        return raiseStatement();
    case Tok::KwWith:
        return withStatement();
    case Tok::Semicolon:
    case Tok::KwEnd:
    case Tok::KwUntil:
    case Tok::KwExcept:
    case Tok::KwFinally:
    case Tok::KwElse:
        return stmt<Stmt>(StmtKind::Empty, p);
    case Tok::Ident:
    case Tok::LParen: {
        Expr* target = expression();
        if (at(Tok::Assign)) {
            auto* a = stmt<AssignStmt>(StmtKind::Assign, p);
            a->assignPos = take().pos;
            a->target = target;
            a->value = expression();
            return a;
        }
        if (at(Tok::Eq) && target->kind != ExprKind::Binary) {
            errorHere("':=' expected but '=' found");
        }
        auto* c = stmt<CallStmt>(StmtKind::Call, p);
        c->expr = target;
        return c;
    }
    default:
        errorHere("Statement expected but " + describe(cur()) + " found");
        return stmt<Stmt>(StmtKind::Empty, p);
    }
}

Stmt* Parser::ifStatement()
{
    auto* s = stmt<IfStmt>(StmtKind::If, take().pos);
    s->condition = expression();
    expect(Tok::KwThen);
    s->thenBranch = statement();
    if (accept(Tok::KwElse))
        s->elseBranch = statement();
    return s;
}

Stmt* Parser::caseStatement()
{
    auto* s = stmt<CaseStmt>(StmtKind::Case, take().pos);
    s->selector = expression();
    expect(Tok::KwOf);
    std::vector<CaseArm> arms;
    while (!at(Tok::KwElse) && !at(Tok::KwEnd) && !at(Tok::Eof) && !at(Tok::Dot)) {
        std::size_t before = pos_;
        CaseArm arm{};
        std::vector<CaseLabel> labels;
        do {
            CaseLabel l{};
            l.low = expression();
            if (accept(Tok::DotDot))
                l.high = expression();
            labels.push_back(l);
        } while (accept(Tok::Comma));
        arm.labels = arena_.copy(labels);
        if (!expect(Tok::Colon)) {
            while (!at(Tok::Semicolon) && !at(Tok::KwEnd) && !at(Tok::KwElse) && !at(Tok::Eof))
                take();
        } else {
            arm.body = statement();
        }
        arms.push_back(arm);
        if (!accept(Tok::Semicolon)) {
            if (!at(Tok::KwElse) && !at(Tok::KwEnd)) {
                expected("';'");
                if (pos_ == before)
                    take();
            }
        }
    }
    s->arms = arena_.copy(arms);
    if (accept(Tok::KwElse)) {
        s->hasElse = true;
        s->elseBody = statementList({Tok::KwEnd});
    }
    expect(Tok::KwEnd);
    return s;
}

Stmt* Parser::forStatement()
{
    auto* s = stmt<ForStmt>(StmtKind::For, take().pos);
    s->variable = expectIdent();
    expect(Tok::Assign);
    s->from = expression();
    if (accept(Tok::KwDownto)) {
        s->downto = true;
    } else {
        expect(Tok::KwTo);
    }
    s->to = expression();
    expect(Tok::KwDo);
    s->body = statement();
    return s;
}

Stmt* Parser::whileStatement()
{
    auto* s = stmt<WhileStmt>(StmtKind::While, take().pos);
    s->condition = expression();
    expect(Tok::KwDo);
    s->body = statement();
    return s;
}

Stmt* Parser::repeatStatement()
{
    auto* s = stmt<RepeatStmt>(StmtKind::Repeat, take().pos);
    s->body = statementList({Tok::KwUntil});
    expect(Tok::KwUntil);
    s->condition = expression();
    return s;
}

Stmt* Parser::tryStatement()
{
    auto* s = stmt<TryStmt>(StmtKind::Try, take().pos);
    s->body = statementList({Tok::KwExcept, Tok::KwFinally, Tok::KwEnd});
    if (accept(Tok::KwFinally)) {
        s->isFinally = true;
        s->finallyBody = statementList({Tok::KwEnd});
    } else if (accept(Tok::KwExcept)) {
        auto isOn = [&] {
            return at(Tok::Ident) && cur().text.size() == 2 && (cur().text[0] | 0x20) == 'o'
                && (cur().text[1] | 0x20) == 'n';
        };
        if (isOn()) {
            std::vector<ExceptHandler> handlers;
            while (isOn()) {
                take();
                ExceptHandler h{};
                Ident first = expectIdent();
                if (accept(Tok::Colon)) {
                    h.variable = first;
                    h.exceptionType = expectIdent();
                } else {
                    h.exceptionType = first;
                }
                expect(Tok::KwDo);
                h.body = statement();
                handlers.push_back(h);
                if (!accept(Tok::Semicolon))
                    break;
            }
            s->handlers = arena_.copy(handlers);
            if (accept(Tok::KwElse)) {
                s->hasExceptElse = true;
                s->exceptBody = statementList({Tok::KwEnd});
            }
        } else {
            s->exceptBody = statementList({Tok::KwEnd});
        }
    } else {
        expected("'except' or 'finally'");
    }
    expect(Tok::KwEnd);
    return s;
}

Stmt* Parser::raiseStatement()
{
    auto* s = stmt<RaiseStmt>(StmtKind::Raise, take().pos);
    if (!at(Tok::Semicolon) && !at(Tok::KwEnd) && !at(Tok::KwElse) && !at(Tok::KwUntil) && !at(Tok::KwExcept)
        && !at(Tok::KwFinally) && !at(Tok::Eof))
        s->exception = expression();
    return s;
}

Stmt* Parser::withStatement()
{
    auto* s = stmt<WithStmt>(StmtKind::With, take().pos);
    std::vector<Expr*> objects;
    objects.push_back(expression());
    while (accept(Tok::Comma))
        objects.push_back(expression());
    s->objects = arena_.copy(objects);
    expect(Tok::KwDo);
    s->body = statement();
    return s;
}

// ================= expressions =================

// Whether the "(" at the current token opens a list of constants rather than a parenthesised
// expression: a comma or a colon at its top level decides.
bool Parser::startsConstList() const
{
    int depth = 0;
    for (std::size_t i = pos_; i < toks_.size(); ++i) {
        Tok k = toks_[i].kind;
        if (k == Tok::LParen || k == Tok::LBracket) {
            ++depth;
        } else if (k == Tok::RParen || k == Tok::RBracket) {
            if (--depth == 0)
                return false;
        } else if (depth == 1 && (k == Tok::Comma || k == Tok::Colon)) {
            return true;
        } else if (k == Tok::Semicolon && depth == 1) {
            return true;
        } else if (k == Tok::Eof || k == Tok::KwBegin || k == Tok::KwEnd) {
            return false;
        }
    }
    return false;
}

Expr* Parser::constValue()
{
    if (!at(Tok::LParen) || !startsConstList())
        return expression();
    DepthGuard guard(*this);
    if (!guard.ok)
        return errorExpr();
    auto* list = node<ConstListExpr>(ExprKind::ConstList, take().pos);
    std::vector<Expr*> items;
    std::vector<Ident> fields;
    bool isRecord = at(Tok::Ident) && peekTok().kind == Tok::Colon;
    for (;;) {
        if (isRecord) {
            fields.push_back(expectIdent());
            expect(Tok::Colon);
        }
        items.push_back(constValue());
        if (accept(isRecord ? Tok::Semicolon : Tok::Comma)) {
            if (isRecord && at(Tok::RParen))
                break;
            continue;
        }
        break;
    }
    expect(Tok::RParen);
    list->items = arena_.copy(items);
    list->fields = arena_.copy(fields);
    return list;
}

Expr* Parser::errorExpr()
{
    auto* n = node<NameExpr>(ExprKind::Name, cur().pos);
    n->name = "";
    return n;
}

// Each link of an operator chain nests the tree one level deeper; the chain counts against the same
// nesting limit as parentheses do.
struct Parser::Chain {
    Parser& p;
    int links = 0;
    explicit Chain(Parser& parser)
        : p(parser)
    { }
    bool link()
    {
        ++links;
        ++p.depth_;
        if (p.depth_ > kMaxNesting) {
            if (!p.tooDeep_) {
                p.tooDeep_ = true;
                p.diag_.error(p.cur().pos, "Expression or statement nested too deeply");
            }
            return false;
        }
        return true;
    }
    ~Chain() { p.depth_ -= links; }
};

Expr* Parser::expression()
{
    DepthGuard guard(*this);
    if (!guard.ok)
        return errorExpr();
    Chain chain(*this);
    Expr* left = simpleExpression();
    for (;;) {
        BinaryOp op;
        switch (kind()) {
        case Tok::Eq:
            op = BinaryOp::Eq;
            break;
        case Tok::NotEq:
            op = BinaryOp::NotEq;
            break;
        case Tok::Less:
            op = BinaryOp::Less;
            break;
        case Tok::LessEq:
            op = BinaryOp::LessEq;
            break;
        case Tok::Greater:
            op = BinaryOp::Greater;
            break;
        case Tok::GreaterEq:
            op = BinaryOp::GreaterEq;
            break;
        case Tok::KwIn:
            op = BinaryOp::In;
            break;
        case Tok::KwIs:
            op = BinaryOp::Is;
            break;
        default:
            return left;
        }
        if (!chain.link())
            return left;
        auto* b = node<BinaryExpr>(ExprKind::Binary, left->pos);
        b->op = op;
        b->opPos = take().pos;
        b->left = left;
        b->right = simpleExpression();
        left = b;
    }
}

Expr* Parser::simpleExpression()
{
    Chain chain(*this);
    Expr* left = term();
    for (;;) {
        BinaryOp op;
        switch (kind()) {
        case Tok::Plus:
            op = BinaryOp::Add;
            break;
        case Tok::Minus:
            op = BinaryOp::Sub;
            break;
        case Tok::KwOr:
            op = BinaryOp::Or;
            break;
        case Tok::KwXor:
            op = BinaryOp::Xor;
            break;
        default:
            return left;
        }
        if (!chain.link())
            return left;
        auto* b = node<BinaryExpr>(ExprKind::Binary, left->pos);
        b->op = op;
        b->opPos = take().pos;
        b->left = left;
        b->right = term();
        left = b;
    }
}

Expr* Parser::term()
{
    Chain chain(*this);
    Expr* left = factor();
    for (;;) {
        BinaryOp op;
        switch (kind()) {
        case Tok::Star:
            op = BinaryOp::Mul;
            break;
        case Tok::Slash:
            op = BinaryOp::Divide;
            break;
        case Tok::KwDiv:
            op = BinaryOp::Div;
            break;
        case Tok::KwMod:
            op = BinaryOp::Mod;
            break;
        case Tok::KwAnd:
            op = BinaryOp::And;
            break;
        case Tok::KwShl:
            op = BinaryOp::Shl;
            break;
        case Tok::KwShr:
            op = BinaryOp::Shr;
            break;
        case Tok::KwAs:
            op = BinaryOp::As;
            break;
        default:
            return left;
        }
        if (!chain.link())
            return left;
        auto* b = node<BinaryExpr>(ExprKind::Binary, left->pos);
        b->op = op;
        b->opPos = take().pos;
        b->left = left;
        b->right = factor();
        left = b;
    }
}

Expr* Parser::factor()
{
    DepthGuard guard(*this);
    if (!guard.ok)
        return errorExpr();
    SourcePos p = cur().pos;
    switch (kind()) {
    case Tok::IntLit: {
        auto* n = node<IntLitExpr>(ExprKind::IntLit, p);
        n->value = take().intValue;
        return n;
    }
    case Tok::RealLit: {
        auto* n = node<RealLitExpr>(ExprKind::RealLit, p);
        n->value = take().realValue;
        return n;
    }
    case Tok::StrLit: {
        auto* n = node<StrLitExpr>(ExprKind::StrLit, p);
        n->value = take().text;
        return designator(n);
    }
    case Tok::KwNil:
        take();
        return node<Expr>(ExprKind::Nil, p);
    case Tok::LParen: {
        take();
        auto* n = node<ParenExpr>(ExprKind::Paren, p);
        n->inner = expression();
        expect(Tok::RParen);
        return designator(n);
    }
    case Tok::KwNot:
    case Tok::Minus:
    case Tok::Plus:
    case Tok::At: {
        Tok k = take().kind;
        auto* n = node<UnaryExpr>(ExprKind::Unary, p);
        n->op = k == Tok::KwNot ? UnaryOp::Not
            : k == Tok::Minus   ? UnaryOp::Neg
            : k == Tok::Plus    ? UnaryOp::Plus
                                : UnaryOp::AddressOf;
        n->operand = factor();
        return n;
    }
    case Tok::LBracket: {
        take();
        auto* n = node<SetExpr>(ExprKind::Set, p);
        std::vector<SetElement> elements;
        if (!at(Tok::RBracket)) {
            do {
                SetElement e{};
                e.low = expression();
                if (accept(Tok::DotDot))
                    e.high = expression();
                elements.push_back(e);
            } while (accept(Tok::Comma));
        }
        expect(Tok::RBracket);
        n->elements = arena_.copy(elements);
        return n;
    }
    case Tok::Ident: {
        auto* n = node<NameExpr>(ExprKind::Name, p);
        n->name = take().text;
        return designator(n);
    }
    case Tok::KwString: {
        // "string(x)" is a cast.
        auto* n = node<NameExpr>(ExprKind::Name, p);
        n->name = take().text;
        return designator(n);
    }
    case Tok::KwInherited:
        errorHere("'inherited' is not supported in scripts");
        take();
        return errorExpr();
    default:
        errorHere("Expression expected but " + describe(cur()) + " found");
        return errorExpr();
    }
}

Expr* Parser::designator(Expr* base)
{
    Chain chain(*this);
    for (;;) {
        switch (kind()) {
        case Tok::Dot: {
            if (peekTok().kind != Tok::Ident)
                return base;  // the program's final "end." or an error the caller reports
            if (!chain.link())
                return base;
            take();
            auto* m = node<MemberExpr>(ExprKind::Member, base->pos);
            m->object = base;
            m->member = expectIdent();
            base = m;
            break;
        }
        case Tok::LBracket: {
            if (!chain.link())
                return base;
            take();
            auto* ix = node<IndexExpr>(ExprKind::Index, base->pos);
            ix->object = base;
            ix->indices = expressionList(Tok::RBracket);
            base = ix;
            break;
        }
        case Tok::LParen: {
            if (!chain.link())
                return base;
            take();
            auto* c = node<CallExpr>(ExprKind::Call, base->pos);
            c->callee = base;
            c->args = expressionList(Tok::RParen);
            base = c;
            break;
        }
        case Tok::Caret:
            errorHere("Pointers are not supported in scripts");
            take();
            break;
        default:
            return base;
        }
    }
}

std::span<Expr*> Parser::expressionList(Tok closing)
{
    SmallVec<Expr*, 8> items;
    if (accept(closing))
        return {};
    do {
        items.push_back(expression());
    } while (accept(Tok::Comma));
    if (!expect(closing)) {
        // Skip to the closing bracket if it follows soon on the same statement.
        std::size_t probe = pos_;
        while (probe < toks_.size() && toks_[probe].kind != closing && toks_[probe].kind != Tok::Semicolon
               && toks_[probe].kind != Tok::Eof && toks_[probe].kind != Tok::KwEnd)
            ++probe;
        if (probe < toks_.size() && toks_[probe].kind == closing) {
            pos_ = probe;
            take();
        }
    }
    return arena_.copy(items.span());
}

// ================= texts given by the host =================

RoutineDecl* Parser::headingText()
{
    RoutineDecl* r = heading();
    if (r == nullptr)
        return nullptr;
    accept(Tok::Semicolon);
    if (!at(Tok::Eof)) {
        errorHere("End of declaration expected but " + describe(cur()) + " found");
        return nullptr;
    }
    return diag_.errorCount() == 0 ? r : nullptr;
}

TypeExpr* Parser::typeText()
{
    TypeExpr* t = type();
    accept(Tok::Semicolon);
    if (!at(Tok::Eof)) {
        errorHere("End of type expected but " + describe(cur()) + " found");
        return nullptr;
    }
    return diag_.errorCount() == 0 ? t : nullptr;
}

bool Parser::parameterText(std::span<ParamGroup>& out)
{
    // Reuse the parameter list reader by pretending the parentheses were there.
    std::vector<ParamGroup> groups;
    for (;;) {
        ParamGroup g{};
        g.mode = ParamMode::Value;
        if (accept(Tok::KwVar))
            g.mode = ParamMode::Var;
        else if (accept(Tok::KwConst))
            g.mode = ParamMode::Const;
        std::vector<Ident> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma))
            names.push_back(expectIdent());
        g.names = arena_.copy(names);
        if (expect(Tok::Colon))
            g.type = type();
        groups.push_back(g);
        if (!accept(Tok::Semicolon))
            break;
    }
    if (!at(Tok::Eof))
        errorHere("End of parameters expected but " + describe(cur()) + " found");
    out = arena_.copy(groups);
    return diag_.errorCount() == 0;
}

}  // namespace

Program* parseProgram(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics)
{
    return Parser(tokens, arena, diagnostics).program();
}

RoutineDecl* parseRoutineHeading(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics)
{
    return Parser(tokens, arena, diagnostics).headingText();
}

TypeExpr* parseTypeText(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics)
{
    return Parser(tokens, arena, diagnostics).typeText();
}

bool parseParameterText(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics,
                        std::span<ParamGroup>& out)
{
    return Parser(tokens, arena, diagnostics).parameterText(out);
}

}  // namespace shutterhand::pascal
