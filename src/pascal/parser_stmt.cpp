#include "pascal/parser_impl.h"

#include "pascal/small_vector.h"

namespace shutterhand::pascal::parsing {

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

}  // namespace shutterhand::pascal::parsing
