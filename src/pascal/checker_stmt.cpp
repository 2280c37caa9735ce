#include "pascal/checker_impl.h"

#include <algorithm>

namespace shutterhand::pascal {

using tt::Op;
using tt::SOp;

std::span<tt::Stmt*> Checker::stmtList(std::span<ast::Stmt* const> list)
{
    SmallVec<tt::Stmt*, 16> out;
    for (const ast::Stmt* s : list) {
        if (diag_.full())
            break;
        tt::Stmt* t = stmt(s);
        if (t != nullptr && t->op != SOp::Empty)
            out.push_back(t);
    }
    return arena_.copy(out.span());
}

tt::Stmt* Checker::stmt(const ast::Stmt* s)
{
    if (s == nullptr)
        return snode(SOp::Empty, {});
    switch (s->kind) {
    case ast::StmtKind::Empty:
        return snode(SOp::Empty, s->pos);
    case ast::StmtKind::Assign:
        return assignStmt(*static_cast<const ast::AssignStmt*>(s));
    case ast::StmtKind::Call:
        return callStmt(*static_cast<const ast::CallStmt*>(s));
    case ast::StmtKind::Compound: {
        tt::Stmt* b = snode(SOp::Block, s->pos);
        b->body = stmtList(static_cast<const ast::CompoundStmt*>(s)->body);
        return b;
    }
    case ast::StmtKind::If:
        return ifStmt(*static_cast<const ast::IfStmt*>(s));
    case ast::StmtKind::Case:
        return caseStmt(*static_cast<const ast::CaseStmt*>(s));
    case ast::StmtKind::For:
        return forStmt(*static_cast<const ast::ForStmt*>(s));
    case ast::StmtKind::While:
        return whileStmt(*static_cast<const ast::WhileStmt*>(s));
    case ast::StmtKind::Repeat:
        return repeatStmt(*static_cast<const ast::RepeatStmt*>(s));
    case ast::StmtKind::Try:
        return tryStmt(*static_cast<const ast::TryStmt*>(s));
    case ast::StmtKind::Raise:
        return raiseStmt(*static_cast<const ast::RaiseStmt*>(s));
    case ast::StmtKind::With:
        return withStmt(*static_cast<const ast::WithStmt*>(s));
    }
    return snode(SOp::Empty, s->pos);
}

tt::Stmt* Checker::assignStmt(const ast::AssignStmt& s)
{
    tt::Expr* target = nullptr;
    // Assigning to the function's own name sets its result.
    if (s.target->kind == ast::ExprKind::Name) {
        auto* n = static_cast<const ast::NameExpr*>(s.target);
        Symbol* sym = n->name.empty() ? nullptr : lookup(n->name);
        if (sym != nullptr && sym->kind == SymKind::Routine) {
            RoutineInfo* r = sym->routine;
            if (r == routine_ && r->resultSym != nullptr) {
                target = variableRef(r->resultSym, s.target->pos);
            } else {
                error(s.target->pos, "Left side cannot be assigned to");
                return snode(SOp::Empty, s.pos);
            }
        }
    }
    if (target == nullptr)
        target = expr(s.target);
    if (isError(target)) {
        expr(s.value);  // still check the right side for its own errors
        return snode(SOp::Empty, s.pos);
    }
    if (target->op == Op::PropGet) {
        const Member* m = target->member;
        if (m->setSig == nullptr) {
            error(s.target->pos, "Cannot assign to a read-only property");
            return snode(SOp::Empty, s.pos);
        }
        tt::Expr* value = coerce(expr(s.value, m->propType), m->propType, s.value->pos);
        if (isError(value))
            return snode(SOp::Empty, s.pos);
        tt::Stmt* st = snode(SOp::PropSet, s.pos);
        st->member = m;
        st->a = target->a;
        st->args = target->args;
        st->b = value;
        return st;
    }
    if (target->op == Op::StrIndex) {
        if (!requireWritable(target->a, s.target->pos))
            return snode(SOp::Empty, s.pos);
        tt::Expr* value = coerce(expr(s.value, bt_.charType), bt_.charType, s.value->pos);
        if (isError(value))
            return snode(SOp::Empty, s.pos);
        tt::Stmt* st = snode(SOp::StrCharSet, s.pos);
        st->a = target->a;
        st->b = target->b;
        st->c = value;
        return st;
    }
    if (!requireWritable(target, s.target->pos, true)) {
        expr(s.value);
        return snode(SOp::Empty, s.pos);
    }
    if (target->type->kind == TypeKind::OpenArray || target->type->kind == TypeKind::ConstArray) {
        error(s.target->pos, "Left side cannot be assigned to");
        return snode(SOp::Empty, s.pos);
    }
    tt::Expr* value = expr(s.value, target->type);
    if (isError(value))
        return snode(SOp::Empty, s.pos);
    if (value->op == Op::ArrayCons && target->type->kind == TypeKind::DynArray) {
        // "a := [1, 2, 3]" builds a new dynamic array.
    } else {
        value = coerce(value, target->type, s.value->pos);
        if (isError(value))
            return snode(SOp::Empty, s.pos);
    }
    tt::Stmt* st = snode(SOp::Assign, s.pos);
    st->a = target;
    st->b = value;
    return st;
}

tt::Stmt* Checker::callStmt(const ast::CallStmt& s)
{
    tt::Expr* e = expr(s.expr);
    if (isError(e))
        return snode(SOp::Empty, s.pos);
    switch (e->op) {
    case Op::Intrinsic: {
        auto id = static_cast<tt::Intrinsic>(e->sub);
        if (id == tt::Intrinsic::Exit) {
            tt::Stmt* st = snode(SOp::Exit, s.pos);
            st->a = e->args.empty() ? nullptr : e->args[0];
            return st;
        }
        if (id == tt::Intrinsic::Break)
            return snode(SOp::Break, s.pos);
        if (id == tt::Intrinsic::Continue)
            return snode(SOp::Continue, s.pos);
        if (e->type->kind != TypeKind::Void)
            break;
        tt::Stmt* st = snode(SOp::Eval, s.pos);
        st->a = e;
        return st;
    }
    case Op::CallScript:
    case Op::CallNative:
    case Op::Construct: {
        tt::Stmt* st = snode(SOp::Eval, s.pos);
        st->a = e;
        return st;
    }
    default:
        break;
    }
    error(s.pos, "Statement expected, but expression of type " + quoted(e->type->name) + " found");
    return snode(SOp::Empty, s.pos);
}

tt::Stmt* Checker::ifStmt(const ast::IfStmt& s)
{
    tt::Stmt* st = snode(SOp::If, s.pos);
    st->a = condition(s.condition);
    tt::Stmt* thenPart = stmt(s.thenBranch);
    st->body = arena_.copy(std::vector<tt::Stmt*>{thenPart});
    if (s.elseBranch != nullptr)
        st->elseBody = arena_.copy(std::vector<tt::Stmt*>{stmt(s.elseBranch)});
    return st;
}

tt::Stmt* Checker::caseStmt(const ast::CaseStmt& s)
{
    tt::Stmt* st = snode(SOp::Case, s.pos);
    tt::Expr* sel = expr(s.selector);
    bool ok = !isError(sel);
    bool isStr = false;
    if (ok) {
        if (isString(sel->type)) {
            isStr = true;
        } else if (!isOrdinal(sel->type)) {
            error(s.selector->pos, "Ordinal type required");
            ok = false;
        }
    }
    st->a = sel;
    st->cls = isStr ? tt::Cls::Str : tt::Cls::I64;
    std::vector<tt::CaseArm> arms;
    std::vector<tt::CaseRange> seen;
    for (const ast::CaseArm& arm : s.arms) {
        std::vector<tt::CaseRange> ranges;
        for (const ast::CaseLabel& label : arm.labels) {
            tt::Expr* lo = expr(label.low);
            tt::Expr* hi = label.high != nullptr ? expr(label.high) : nullptr;
            if (!ok || isError(lo) || (hi != nullptr && isError(hi)))
                continue;
            tt::CaseRange r{};
            if (isStr) {
                lo = coerce(lo, bt_.stringType, label.low->pos);
                if (isError(lo))
                    continue;
                if (lo->op != Op::ConstStr) {
                    error(label.low->pos, "Constant expression expected");
                    continue;
                }
                if (hi != nullptr) {
                    error(label.high->pos, "Ranges of strings are not allowed in case labels");
                    continue;
                }
                r.strLow = r.strHigh = lo->s;
                for (const tt::CaseRange& other : seen) {
                    if (other.strLow == r.strLow) {
                        error(label.low->pos, "Duplicate case label");
                        break;
                    }
                }
            } else {
                bool labelOk = true;
                for (tt::Expr*& part : {std::ref(lo), std::ref(hi)}) {
                    if (part == nullptr)
                        continue;
                    if (part->op != Op::ConstInt) {
                        error(part->pos, "Constant expression expected");
                        labelOk = false;
                    } else if (!sameOrdinalFamily(part->type, sel->type)) {
                        incompatible(part->pos, sel->type, part->type);
                        labelOk = false;
                    }
                }
                if (!labelOk)
                    continue;
                r.low = lo->i;
                r.high = hi != nullptr ? hi->i : lo->i;
                if (r.low > r.high) {
                    error(label.high->pos, "Lower bound of a case range is greater than its upper bound");
                    continue;
                }
                for (const tt::CaseRange& other : seen) {
                    if (r.low <= other.high && other.low <= r.high) {
                        error(label.low->pos, "Duplicate case label");
                        break;
                    }
                }
            }
            seen.push_back(r);
            ranges.push_back(r);
        }
        tt::CaseArm a{};
        a.ranges = arena_.copy(ranges);
        a.body = arm.body != nullptr ? stmt(arm.body) : snode(SOp::Empty, s.pos);
        arms.push_back(a);
    }
    st->arms = arena_.copy(arms);
    if (s.hasElse)
        st->elseBody = stmtList(s.elseBody);
    if (!ok)
        return snode(SOp::Empty, s.pos);
    return st;
}

tt::Stmt* Checker::forStmt(const ast::ForStmt& s)
{
    tt::Stmt* st = snode(SOp::For, s.pos);
    st->downto = s.downto;
    Symbol* sym = s.variable.name.empty() ? nullptr : lookup(s.variable.name);
    bool ok = true;
    if (sym == nullptr) {
        if (!s.variable.name.empty())
            error(s.variable.pos, "Unknown identifier " + quoted(s.variable.name));
        ok = false;
    } else if (sym->kind != SymKind::Var || sym->byRef || sym->readOnly) {
        error(s.variable.pos, "For loop control variable must be a simple variable");
        ok = false;
    } else if (!isOrdinal(sym->type)) {
        error(s.variable.pos, "Ordinal type required");
        ok = false;
    } else {
        for (const Symbol* v : loopVars_) {
            if (v == sym) {
                error(s.variable.pos, "For loop control variable " + quoted(sym->name) + " cannot be assigned");
                ok = false;
            }
        }
    }
    tt::Expr* from = expr(s.from);
    tt::Expr* to = expr(s.to);
    if (ok) {
        from = coerce(from, sym->type, s.from->pos);
        to = isError(to) ? to : (sameOrdinalFamily(to->type, sym->type) ? to : coerce(to, sym->type, s.to->pos));
        ok = !isError(from) && !isError(to);
    }
    if (ok) {
        st->a = variableRef(sym, s.variable.pos);
        st->b = from;
        st->c = to;
        st->slot = hiddenLocal(bt_.int64Type);
        // The counter lives in the variable itself when it is a plain slot of the running frame.
        bool direct = (sym->storage == Storage::Local && sym->level == routine_->level)
            || (sym->storage == Storage::Global && routine_->level == 0);
        st->slot2 = direct ? -1 : hiddenLocal(bt_.int64Type);
        sym->isLoopVar = true;
        loopVars_.push_back(sym);
    }
    ++loopDepth_;
    tt::Stmt* body = stmt(s.body);
    --loopDepth_;
    if (ok)
        loopVars_.pop_back();
    if (!ok)
        return snode(SOp::Empty, s.pos);
    st->body = arena_.copy(std::vector<tt::Stmt*>{body});
    return st;
}

tt::Stmt* Checker::whileStmt(const ast::WhileStmt& s)
{
    tt::Stmt* st = snode(SOp::While, s.pos);
    st->a = condition(s.condition);
    ++loopDepth_;
    st->body = arena_.copy(std::vector<tt::Stmt*>{stmt(s.body)});
    --loopDepth_;
    return st;
}

tt::Stmt* Checker::repeatStmt(const ast::RepeatStmt& s)
{
    tt::Stmt* st = snode(SOp::Repeat, s.pos);
    ++loopDepth_;
    st->body = stmtList(s.body);
    --loopDepth_;
    st->a = condition(s.condition);
    return st;
}

tt::Stmt* Checker::tryStmt(const ast::TryStmt& s)
{
    if (s.isFinally) {
        tt::Stmt* st = snode(SOp::TryFinally, s.pos);
        st->body = stmtList(s.body);
        st->elseBody = stmtList(s.finallyBody);
        return st;
    }
    tt::Stmt* st = snode(SOp::TryExcept, s.pos);
    st->body = stmtList(s.body);
    std::vector<tt::Handler> handlers;
    ++exceptDepth_;
    for (const ast::ExceptHandler& h : s.handlers) {
        const Type* t = lookupType(h.exceptionType.name, h.exceptionType.pos);
        tt::Handler out{};
        if (t != &errorType_ && !isClass(t)) {
            error(h.exceptionType.pos, "Class type required");
            t = &errorType_;
        }
        Scope* saved = scope_;
        // With an unknown class the variable is still declared (without a usable type), so that its
        // uses do not add messages of their own.
        if (!h.variable.name.empty()) {
            scopes_.emplace_back();
            Scope* hs = &scopes_.back();
            hs->parent = scope_;
            hs->level = scope_->level;
            scope_ = hs;
            Symbol* var = declare(h.variable.name, h.variable.pos, SymKind::Var);
            var->type = t;
            var->storage = routine_->level == 0 ? Storage::Global : Storage::Local;
            var->slot = hiddenLocal(t);
            var->readOnly = true;
            var->used = true;
            out.variable = var;
        }
        out.cls = t != &errorType_ ? t->cls : nullptr;
        out.body = stmt(h.body);
        scope_ = saved;
        if (t != &errorType_)
            handlers.push_back(out);
    }
    st->handlers = arena_.copy(handlers);
    st->elseBody = stmtList(s.exceptBody);
    --exceptDepth_;
    // A bare "except" (no handlers) catches everything: its body is the else part.
    st->downto = s.handlers.empty();
    return st;
}

tt::Stmt* Checker::raiseStmt(const ast::RaiseStmt& s)
{
    tt::Stmt* st = snode(SOp::Raise, s.pos);
    if (s.exception == nullptr) {
        if (exceptDepth_ == 0) {
            error(s.pos, "Re-raising an exception is only allowed in an exception handler");
            return snode(SOp::Empty, s.pos);
        }
        return st;
    }
    tt::Expr* e = expr(s.exception);
    if (isError(e))
        return snode(SOp::Empty, s.pos);
    if (!isClass(e->type) || !e->type->cls->isException) {
        error(s.exception->pos, "Exception object expected, such as Exception.Create('text')");
        return snode(SOp::Empty, s.pos);
    }
    st->a = e;
    return st;
}

tt::Stmt* Checker::withStmt(const ast::WithStmt& s)
{
    tt::Stmt* st = snode(SOp::With, s.pos);
    Scope* saved = scope_;
    std::vector<tt::WithBinding> bindings;
    bool ok = true;
    for (const ast::Expr* objExpr : s.objects) {
        tt::Expr* obj = expr(objExpr);
        if (isError(obj)) {
            ok = false;
            continue;
        }
        const Type* t = obj->type;
        tt::WithBinding b{};
        b.object = obj;
        if (t->kind == TypeKind::Record) {
            b.isAddress = isLvalue(obj);
            b.slot = hiddenLocal(b.isAddress ? bt_.int64Type : t);
        } else if (t->kind == TypeKind::Class) {
            b.slot = hiddenLocal(t);
        } else {
            error(objExpr->pos, "Record, object or class type required");
            ok = false;
            continue;
        }
        bindings.push_back(b);
        scopes_.emplace_back();
        Scope* ws = &scopes_.back();
        ws->parent = scope_;
        ws->level = scope_->level;
        ws->withType = t;
        ws->withSlot = b.slot;
        ws->withIsAddress = b.isAddress;
        scope_ = ws;
    }
    tt::Stmt* body = stmt(s.body);
    scope_ = saved;
    if (!ok)
        return snode(SOp::Empty, s.pos);
    st->withs = arena_.copy(bindings);
    st->body = arena_.copy(std::vector<tt::Stmt*>{body});
    return st;
}

}  // namespace shutterhand::pascal
