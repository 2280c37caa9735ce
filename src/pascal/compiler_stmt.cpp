#include "pascal/compiler_impl.h"

namespace shutterhand::pascal {

using tt::SOp;

void FunctionCompiler::stmts(std::span<tt::Stmt* const> list)
{
    for (const tt::Stmt* s : list)
        stmt(s);
}

void FunctionCompiler::stmt(const tt::Stmt* s)
{
    if (failed_)
        return;
    setPos(s->pos);
    TempMark m = mark();
    switch (s->op) {
    case SOp::Empty:
        break;
    case SOp::Block:
        stmts(s->body);
        break;
    case SOp::Assign:
        assign(s);
        break;
    case SOp::PropSet:
        propSet(s);
        break;
    case SOp::StrCharSet:
        strCharSet(s);
        break;
    case SOp::Eval: {
        const tt::Expr* e = s->a;
        int32_t r = expr(e);
        // A dropped function result still owns its references.
        (void)r;
        break;
    }
    case SOp::If:
        ifStmt(s);
        break;
    case SOp::Case:
        caseStmt(s);
        break;
    case SOp::For:
        forStmt(s);
        break;
    case SOp::While:
        whileStmt(s);
        break;
    case SOp::Repeat:
        repeatStmt(s);
        break;
    case SOp::Break:
    case SOp::Continue: {
        for (std::size_t i = nests_.size(); i-- > 0;) {
            if (nests_[i].kind == Nest::Loop) {
                leaveTo(i, s->op == SOp::Break ? nests_[i].breakLabel : nests_[i].continueLabel);
                break;
            }
        }
        break;
    }
    case SOp::Exit:
        exitStmt(s);
        break;
    case SOp::TryExcept:
        tryExcept(s);
        break;
    case SOp::TryFinally:
        tryFinally(s);
        break;
    case SOp::Raise:
        if (s->a == nullptr) {
            emit(OpCode::Reraise);
        } else {
            int32_t r = expr(s->a);
            emit(OpCode::Raise, r);
        }
        break;
    case SOp::With:
        withStmt(s);
        break;
    }
    setPos(s->pos);
    release(m);
}

// Leaves the constructs nested inside nests_[target] (exclusive) on the way to `label`: protected
// blocks are closed, finally blocks run, handled exceptions are dropped.
void FunctionCompiler::leaveTo(std::size_t target, int label)
{
    std::size_t stop = target == SIZE_MAX ? 0 : target + 1;
    for (std::size_t i = nests_.size(); i > stop; --i) {
        const Nest& n = nests_[i - 1];
        switch (n.kind) {
        case Nest::Loop:
            break;
        case Nest::TryBody:
            emit(OpCode::PopTry);
            break;
        case Nest::FinallyGuard: {
            emit(OpCode::PopTry);
            int next = newLabel();
            emitJump(OpCode::Leave, 0, n.finallyLabel, next);
            bind(next);
            break;
        }
        case Nest::HandlerBody:
        case Nest::FinallyBody:
            emit(OpCode::PopControl);
            break;
        }
    }
    emitJump(OpCode::Jump, 0, 0, label);
}

void FunctionCompiler::exitStmt(const tt::Stmt* s)
{
    if (s->a != nullptr) {
        // Exit(value) sets the result first.
        Place result{Place::Reg, 0, 0};
        copyInto(result, routine_.sig.result, s->a);
    }
    leaveTo(SIZE_MAX, exitLabel_);
}

void FunctionCompiler::assign(const tt::Stmt* s)
{
    const tt::Expr* target = s->a;
    const tt::Expr* value = s->b;
    const Type* t = target->type;
    // s := s + x appends in place.
    if (t->kind == TypeKind::String && value->op == tt::Op::Binary
        && static_cast<tt::BinOp>(value->sub) == tt::BinOp::Concat) {
        int32_t reg;
        const tt::Expr* left = value->a;
        bool sameVar = left->op == tt::Op::Var && target->op == tt::Op::Var && left->sym == target->sym;
        if (sameVar) {
            int32_t v = expr(value->b, -1, true);
            setPos(value->pos);
            if (isDirect(target, reg)) {
                emit(OpCode::Append, reg, v);
            } else {
                Place p = place(target, false);
                int32_t addr = addressOf(p);
                emit(OpCode::AppendAt, addr, p.kind == Place::Ptr ? p.off : 0, v);
            }
            return;
        }
    }
    copyInto(place(target, false), t, value);
}

// Evaluates `value` and stores it at `p`. The value is computed before the place is used, so that a
// call inside the value cannot invalidate an address into an array.
void FunctionCompiler::copyInto(const Place& pIn, const Type* t, const tt::Expr* value)
{
    Place p = pIn;
    if (p.kind == Place::Reg) {
        expr(value, p.reg);
        return;
    }
    int32_t v = expr(value, -1, true);
    store(p, t, v);
}

void FunctionCompiler::propSet(const tt::Stmt* s)
{
    const Member* m = s->member;
    nativeCall(m->setter, m->setSig, m->name, s->a, s->args, s->b, nullptr, -1);
}

void FunctionCompiler::strCharSet(const tt::Stmt* s)
{
    int32_t c = expr(s->c);
    int32_t i = expr(s->b);
    Place p = place(s->a, false);
    int32_t addr = addressOf(p);
    if (p.kind == Place::Ptr && p.off != 0) {
        int32_t moved = raw();
        emit(OpCode::AddrOffset, moved, addr, p.off);
        addr = moved;
    }
    emit(OpCode::StrSetChar, addr, i, c);
}

void FunctionCompiler::ifStmt(const tt::Stmt* s)
{
    int elseLabel = newLabel();
    int endLabel = newLabel();
    condJump(s->a, elseLabel, false);
    stmts(s->body);
    if (!s->elseBody.empty()) {
        emitJump(OpCode::Jump, 0, 0, endLabel);
        bind(elseLabel);
        stmts(s->elseBody);
    } else {
        bind(elseLabel);
    }
    bind(endLabel);
}

void FunctionCompiler::caseStmt(const tt::Stmt* s)
{
    int endLabel = newLabel();
    std::vector<int> armLabels;
    if (s->cls == tt::Cls::Str) {
        int32_t sel = expr(s->a, -1, true);
        int32_t flag = raw();
        int32_t k = managedTemp(bt_.stringType);
        for (const tt::CaseArm& arm : s->arms) {
            int label = newLabel();
            armLabels.push_back(label);
            for (const tt::CaseRange& r : arm.ranges) {
                emit(OpCode::StrLoadConst, k, mb_.string(r.strLow));
                emit(OpCode::StrEq, flag, sel, k);
                emitJump(OpCode::JumpTrue, flag, 0, label);
            }
        }
    } else {
        int32_t sel = expr(s->a);
        auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
        for (const tt::CaseArm& arm : s->arms) {
            int label = newLabel();
            armLabels.push_back(label);
            for (const tt::CaseRange& r : arm.ranges) {
                if (r.low == r.high) {
                    if (fits(r.low))
                        emitJump(OpCode::JumpEqI, sel, static_cast<int32_t>(r.low), label);
                    else
                        emitJump(OpCode::JumpEq, sel, constReg(r.low), label);
                } else {
                    int skip = newLabel();
                    if (fits(r.low))
                        emitJump(OpCode::JumpLtI, sel, static_cast<int32_t>(r.low), skip);
                    else
                        emitJump(OpCode::JumpLt, sel, constReg(r.low), skip);
                    if (fits(r.high))
                        emitJump(OpCode::JumpLeI, sel, static_cast<int32_t>(r.high), label);
                    else
                        emitJump(OpCode::JumpLe, sel, constReg(r.high), label);
                    bind(skip);
                }
            }
        }
    }
    stmts(s->elseBody);
    emitJump(OpCode::Jump, 0, 0, endLabel);
    for (std::size_t i = 0; i < s->arms.size(); ++i) {
        bind(armLabels[i]);
        stmt(s->arms[i].body);
        emitJump(OpCode::Jump, 0, 0, endLabel);
    }
    bind(endLabel);
}

void FunctionCompiler::forStmt(const tt::Stmt* s)
{
    const tt::Expr* var = s->a;
    const Type* vt = var->type;
    bool direct = s->slot2 < 0;
    int32_t counter = direct ? 0 : s->slot2;
    if (direct && !isDirect(var, counter)) {
        fail(s->pos, "Internal error: loop variable is not a register");
        return;
    }
    int32_t limit = s->slot;
    expr(s->b, counter);
    expr(s->c, limit);
    // A limit beyond the variable's type would step the variable out of its range: an upward loop
    // stops at the type's highest value, a downward one at its lowest. (A limit on the other side
    // just means no iterations.)
    const Type* lt = s->c->type;
    if (s->downto ? lt->low < vt->low : lt->high > vt->high) {
        int32_t bound = constReg(s->downto ? vt->low : vt->high);
        emit(s->downto ? OpCode::Max64 : OpCode::Min64, limit, limit, bound);
    }
    int endLabel = newLabel();
    int bodyLabel = newLabel();
    int contLabel = newLabel();
    if (s->downto)
        emitJump(OpCode::JumpLt, counter, limit, endLabel);
    else
        emitJump(OpCode::JumpLt, limit, counter, endLabel);
    bind(bodyLabel);
    if (!direct) {
        Place p = place(var, false);
        store(p, vt, counter);
    }
    nests_.push_back(Nest{Nest::Loop, endLabel, contLabel, -1});
    stmts(s->body);
    nests_.pop_back();
    bind(contLabel);
    setPos(s->pos);
    int32_t at = emit(s->downto ? OpCode::ForDown : OpCode::ForUp, counter, limit, 0);
    fixups_.push_back(Fixup{at, bodyLabel});
    bind(endLabel);
}

void FunctionCompiler::whileStmt(const tt::Stmt* s)
{
    int top = newLabel();
    int endLabel = newLabel();
    bind(top);
    TempMark m = mark();
    condJump(s->a, endLabel, false);
    release(m);
    nests_.push_back(Nest{Nest::Loop, endLabel, top, -1});
    stmts(s->body);
    nests_.pop_back();
    setPos(s->pos);
    emitJump(OpCode::JumpBack, 0, 0, top);
    bind(endLabel);
}

void FunctionCompiler::repeatStmt(const tt::Stmt* s)
{
    int top = newLabel();
    int endLabel = newLabel();
    int contLabel = newLabel();
    bind(top);
    nests_.push_back(Nest{Nest::Loop, endLabel, contLabel, -1});
    stmts(s->body);
    nests_.pop_back();
    bind(contLabel);
    setPos(s->a->pos);
    TempMark m = mark();
    condJump(s->a, endLabel, true);
    release(m);
    emitJump(OpCode::JumpBack, 0, 0, top);
    bind(endLabel);
}

void FunctionCompiler::tryExcept(const tt::Stmt* s)
{
    int handlerLabel = newLabel();
    int endLabel = newLabel();
    int32_t at = emit(OpCode::Try, 0, 0, 0, 0);
    fixups_.push_back(Fixup{at, handlerLabel});
    nests_.push_back(Nest{Nest::TryBody});
    stmts(s->body);
    nests_.pop_back();
    emit(OpCode::PopTry);
    emitJump(OpCode::Jump, 0, 0, endLabel);
    bind(handlerLabel);
    for (const tt::Handler& h : s->handlers) {
        setPos(h.body != nullptr ? h.body->pos : s->pos);
        int next = newLabel();
        int32_t flag = raw();
        emit(OpCode::ExcIs, flag, 0, mb_.klass(h.cls));
        emitJump(OpCode::JumpFalse, flag, 0, next);
        if (h.variable != nullptr) {
            // The handler's variable is a hidden local of this frame.
            emit(OpCode::ExcObject, h.variable->slot);
        }
        nests_.push_back(Nest{Nest::HandlerBody});
        stmt(h.body);
        nests_.pop_back();
        emit(OpCode::EndExcept);
        emitJump(OpCode::Jump, 0, 0, endLabel);
        bind(next);
    }
    if (s->downto || !s->elseBody.empty()) {
        nests_.push_back(Nest{Nest::HandlerBody});
        stmts(s->elseBody);
        nests_.pop_back();
        emit(OpCode::EndExcept);
        emitJump(OpCode::Jump, 0, 0, endLabel);
    } else {
        emit(OpCode::Reraise);
    }
    bind(endLabel);
}

void FunctionCompiler::tryFinally(const tt::Stmt* s)
{
    int finallyLabel = newLabel();
    int32_t at = emit(OpCode::Try, 0, 0, 0, 1);
    fixups_.push_back(Fixup{at, finallyLabel});
    nests_.push_back(Nest{Nest::FinallyGuard, -1, -1, finallyLabel});
    stmts(s->body);
    nests_.pop_back();
    emit(OpCode::PopTry);
    emit(OpCode::FinallyNormal);
    bind(finallyLabel);
    nests_.push_back(Nest{Nest::FinallyBody});
    stmts(s->elseBody);
    nests_.pop_back();
    emit(OpCode::EndFinally);
}

void FunctionCompiler::withStmt(const tt::Stmt* s)
{
    for (const tt::WithBinding& b : s->withs) {
        if (b.isAddress) {
            Place p = place(b.object, true);
            int32_t addr = addressOf(p);
            if (p.kind == Place::Ptr && p.off != 0)
                emit(OpCode::AddrOffset, b.slot, addr, p.off);
            else
                emit(OpCode::Mov, b.slot, addr);
        } else {
            expr(b.object, b.slot);
        }
    }
    stmts(s->body);
}

}  // namespace shutterhand::pascal
