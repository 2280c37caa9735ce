#include "pascal/compiler_impl.h"

namespace shutterhand::pascal {

using tt::Op;

bool FunctionCompiler::hasCall(const tt::Expr* e) const
{
    if (e == nullptr)
        return false;
    switch (e->op) {
    case Op::CallScript:
    case Op::CallNative:
    case Op::PropGet:
    case Op::Construct:
        return true;
    default:
        break;
    }
    if (hasCall(e->a) || hasCall(e->b))
        return true;
    for (const tt::Expr* arg : e->args) {
        if (hasCall(arg))
            return true;
    }
    return false;
}

bool FunctionCompiler::isDirect(const tt::Expr* e, int32_t& reg) const
{
    switch (e->op) {
    case Op::Var: {
        const Symbol* sym = e->sym;
        if (sym->kind != SymKind::Var || sym->byRef)
            return false;
        if (sym->storage == Storage::Global && level_ == 0) {
            reg = sym->slot;
            return true;
        }
        if (sym->storage == Storage::Local && sym->level == level_) {
            reg = sym->slot;
            return true;
        }
        return false;
    }
    case Op::WithBase:
        if (e->byRef)
            return false;
        reg = static_cast<int32_t>(e->i);
        return true;
    case Op::Field:
        if (!isDirect(e->a, reg))
            return false;
        reg += static_cast<int32_t>(e->i);
        return true;
    case Op::Index:
        if (e->b->op != Op::ConstInt || !isDirect(e->a, reg))
            return false;
        reg += static_cast<int32_t>((e->b->i - e->a->type->low) * e->type->slots);
        return true;
    default:
        return false;
    }
}

int32_t FunctionCompiler::addressOf(const Place& p)
{
    int32_t r;
    switch (p.kind) {
    case Place::Reg:
        r = raw();
        emit(OpCode::AddrLocal, r, p.reg);
        return r;
    case Place::Global:
        r = raw();
        emit(OpCode::AddrGlobal, r, p.off);
        return r;
    case Place::Ptr:
        if (p.off == 0)
            return p.reg;
        r = raw();
        emit(OpCode::AddrOffset, r, p.reg, p.off);
        return r;
    }
    return 0;
}

Place FunctionCompiler::place(const tt::Expr* e, bool pin)
{
    switch (e->op) {
    case Op::Var: {
        const Symbol* sym = e->sym;
        if (sym->storage == Storage::Global)
            return level_ == 0 ? Place{Place::Reg, sym->slot, 0} : Place{Place::Global, 0, sym->slot};
        if (sym->level == level_)
            return sym->byRef ? Place{Place::Ptr, sym->slot, 0} : Place{Place::Reg, sym->slot, 0};
        int32_t t = raw();
        emit(OpCode::AddrUp, t, sym->slot, 0, level_ - sym->level);
        if (sym->byRef)
            emit(OpCode::Load, t, t, 0);
        return Place{Place::Ptr, t, 0};
    }
    case Op::WithBase:
        return e->byRef ? Place{Place::Ptr, static_cast<int32_t>(e->i), 0}
                        : Place{Place::Reg, static_cast<int32_t>(e->i), 0};
    case Op::Field: {
        Place p = place(e->a, pin);
        if (p.kind == Place::Reg)
            p.reg += static_cast<int32_t>(e->i);
        else
            p.off += static_cast<int32_t>(e->i);
        return p;
    }
    case Op::Index: {
        const Type* at = e->a->type;
        int32_t es = e->type->slots;
        if (e->b->op == Op::ConstInt) {
            Place p = place(e->a, pin);
            int32_t delta = static_cast<int32_t>((e->b->i - at->low) * es);
            if (p.kind == Place::Reg)
                p.reg += delta;
            else
                p.off += delta;
            return p;
        }
        int32_t idx = expr(e->b);
        Place p = place(e->a, pin);
        int32_t addr = addressOf(p);
        int32_t r = raw();
        emit(OpCode::Index, r, addr, idx, mb_.array(at->low, ordinalCount(at), es));
        return Place{Place::Ptr, r, 0};
    }
    case Op::DynIndex: {
        int32_t idx = expr(e->b);
        int32_t arr = expr(e->a);
        if (pin) {
            // Keep the array alive while an address into it is in use.
            int32_t keep = managedTemp(e->a->type);
            emit(OpCode::ArrCopy, keep, arr);
        }
        int32_t r = raw();
        emit(OpCode::ArrElem, r, arr, idx);
        return Place{Place::Ptr, r, 0};
    }
    case Op::OpenIndex: {
        int32_t idx = expr(e->b);
        Place p = place(e->a, pin);
        int32_t pair;
        if (p.kind == Place::Reg) {
            pair = p.reg;
        } else {
            pair = raw(2);
            if (p.kind == Place::Global)
                emit(OpCode::GetGlobalN, pair, p.off, 2);
            else
                emit(OpCode::LoadN, pair, p.reg, p.off, 2);
        }
        int32_t r = raw();
        emit(OpCode::OpenElem, r, pair, idx, e->type->slots);
        return Place{Place::Ptr, r, 0};
    }
    default: {
        // Not a variable (a function result, for example): its value in a temporary stands in.
        int32_t v = expr(e, -1, true);
        return Place{Place::Reg, v, 0};
    }
    }
}

int32_t FunctionCompiler::load(const Place& p, const Type* t, int32_t dst, bool stable)
{
    if (t->slots == 1 && (t->kind == TypeKind::String || t->kind == TypeKind::DynArray)) {
        bool isStr = t->kind == TypeKind::String;
        switch (p.kind) {
        case Place::Reg:
            if (dst >= 0) {
                if (dst != p.reg)
                    emit(isStr ? OpCode::StrCopy : OpCode::ArrCopy, dst, p.reg);
                return dst;
            }
            if (stable) {
                int32_t m = managedTemp(t);
                emit(isStr ? OpCode::StrCopy : OpCode::ArrCopy, m, p.reg);
                return m;
            }
            return p.reg;
        case Place::Global:
        case Place::Ptr: {
            if (dst < 0 && !stable) {
                int32_t r = raw();
                if (p.kind == Place::Global)
                    emit(OpCode::GetGlobal, r, p.off);
                else
                    emit(OpCode::Load, r, p.reg, p.off);
                return r;
            }
            int32_t d = dst >= 0 ? dst : managedTemp(t);
            if (p.kind == Place::Global && isStr) {
                emit(OpCode::StrGetGlobal, d, p.off);
            } else {
                int32_t addr = p.kind == Place::Global ? addressOf(p) : p.reg;
                emit(isStr ? OpCode::StrLoad : OpCode::ArrLoad, d, addr, p.kind == Place::Global ? 0 : p.off);
            }
            return d;
        }
        }
    }
    if (t->slots == 1) {
        switch (p.kind) {
        case Place::Reg:
            if (dst >= 0 && dst != p.reg)
                emit(OpCode::Mov, dst, p.reg);
            return dst >= 0 ? dst : p.reg;
        case Place::Global: {
            int32_t r = dst >= 0 ? dst : raw();
            emit(OpCode::GetGlobal, r, p.off);
            return r;
        }
        case Place::Ptr: {
            int32_t r = dst >= 0 ? dst : raw();
            emit(OpCode::Load, r, p.reg, p.off);
            return r;
        }
        }
    }
    // Values of several slots.
    if (t->managed) {
        if (p.kind == Place::Reg && dst < 0 && !stable)
            return p.reg;
        int32_t d = dst >= 0 ? dst : managedTemp(t);
        if (p.kind == Place::Reg && d == p.reg)
            return d;
        int32_t to = addressOf(Place{Place::Reg, d, 0});
        int32_t from = addressOf(p);
        emit(OpCode::MCopy, to, from, mb_.type(t));
        return d;
    }
    if (p.kind == Place::Reg) {
        if (dst >= 0 && dst != p.reg)
            emit(OpCode::MovN, dst, p.reg, t->slots);
        return dst >= 0 ? dst : p.reg;
    }
    int32_t d = dst >= 0 ? dst : raw(t->slots);
    if (t->slots > 0xFFFF) {
        int32_t to = addressOf(Place{Place::Reg, d, 0});
        emit(OpCode::MCopy, to, addressOf(p), mb_.type(t));
    } else if (p.kind == Place::Global) {
        emit(OpCode::GetGlobalN, d, p.off, t->slots);
    } else {
        emit(OpCode::LoadN, d, p.reg, p.off, t->slots);
    }
    return d;
}

void FunctionCompiler::store(const Place& p, const Type* t, int32_t v)
{
    if (t->slots == 1 && t->kind == TypeKind::String) {
        switch (p.kind) {
        case Place::Reg:
            if (p.reg != v)
                emit(OpCode::StrCopy, p.reg, v);
            return;
        case Place::Global:
            emit(OpCode::StrSetGlobal, v, p.off);
            return;
        case Place::Ptr:
            emit(OpCode::StrStore, p.reg, p.off, v);
            return;
        }
    }
    if (t->slots == 1 && t->kind == TypeKind::DynArray) {
        switch (p.kind) {
        case Place::Reg:
            if (p.reg != v)
                emit(OpCode::ArrCopy, p.reg, v);
            return;
        case Place::Global: {
            int32_t addr = addressOf(p);
            emit(OpCode::ArrStore, addr, 0, v);
            return;
        }
        case Place::Ptr:
            emit(OpCode::ArrStore, p.reg, p.off, v);
            return;
        }
    }
    if (t->slots == 1) {
        switch (p.kind) {
        case Place::Reg:
            if (p.reg != v)
                emit(OpCode::Mov, p.reg, v);
            return;
        case Place::Global:
            emit(OpCode::SetGlobal, v, p.off);
            return;
        case Place::Ptr:
            emit(OpCode::Store, p.reg, p.off, v);
            return;
        }
    }
    if (t->managed || t->slots > 0xFFFF) {
        if (p.kind == Place::Reg && p.reg == v)
            return;
        int32_t to = addressOf(p);
        int32_t from = addressOf(Place{Place::Reg, v, 0});
        emit(OpCode::MCopy, to, from, mb_.type(t));
        return;
    }
    switch (p.kind) {
    case Place::Reg:
        if (p.reg != v)
            emit(OpCode::MovN, p.reg, v, t->slots);
        return;
    case Place::Global:
        emit(OpCode::SetGlobalN, v, p.off, t->slots);
        return;
    case Place::Ptr:
        emit(OpCode::StoreN, p.reg, p.off, v, t->slots);
        return;
    }
}

int32_t FunctionCompiler::expr(const tt::Expr* e, int32_t dst, bool stable)
{
    SourcePos saved = pos_;
    setPos(e->pos);
    int32_t r = exprInner(e, dst, stable);
    setPos(saved);
    return r;
}

int32_t FunctionCompiler::exprInner(const tt::Expr* e, int32_t dst, bool stable)
{
    const Type* t = e->type;
    switch (e->op) {
    case Op::ConstInt: {
        int32_t r = dst >= 0 ? dst : raw();
        if (fitsInt32Imm(e->i)) {
            emit(OpCode::LoadInt, r, static_cast<int32_t>(e->i));
        } else {
            Slot s;
            s.i = e->i;
            emit(OpCode::LoadConst, r, mb_.constant(s));
        }
        return r;
    }
    case Op::ConstFloat: {
        int32_t r = dst >= 0 ? dst : raw();
        Slot s;
        s.f = e->f;
        emit(OpCode::LoadConst, r, mb_.constant(s));
        return r;
    }
    case Op::ConstStr: {
        int32_t k = mb_.string(e->s);
        if (dst >= 0) {
            emit(OpCode::StrLoadConst, dst, k);
            return dst;
        }
        // Constants are never freed, so a plain slot may hold one as a borrowed reference.
        Slot s;
        s.s = mb_.module().strings[static_cast<std::size_t>(k)];
        int32_t r = raw();
        emit(OpCode::LoadConst, r, mb_.constant(s));
        return r;
    }
    case Op::ConstSet: {
        int32_t r = dst >= 0 ? dst : raw(4);
        emit(OpCode::SetLoad, r, mb_.set(e->set));
        return r;
    }
    case Op::ConstNil: {
        if (t->kind == TypeKind::DynArray && dst >= 0) {
            emit(OpCode::ArrRelease, dst);
            return dst;
        }
        int32_t r = dst >= 0 ? dst : raw();
        emit(OpCode::LoadInt, r, 0);
        return r;
    }
    case Op::Var:
    case Op::WithBase:
    case Op::Field:
    case Op::Index:
    case Op::DynIndex:
    case Op::OpenIndex: {
        Place p = place(e, false);
        return load(p, t, dst, stable);
    }
    case Op::StrIndex: {
        int32_t s = expr(e->a, -1, hasCall(e->b));
        int32_t i = expr(e->b);
        int32_t r = dst >= 0 ? dst : raw();
        emit(OpCode::StrChar, r, s, i);
        return r;
    }
    case Op::Unary: {
        int32_t v = expr(e->a);
        int32_t r = dst >= 0 ? dst : raw();
        switch (static_cast<tt::UnOp>(e->sub)) {
        case tt::UnOp::Neg:
            emit(e->cls == tt::Cls::F64 ? OpCode::NegF : e->cls == tt::Cls::I64 ? OpCode::Neg64 : OpCode::Neg32, r, v);
            break;
        case tt::UnOp::Not:
            emit(e->cls == tt::Cls::U32 ? OpCode::NotU32 : OpCode::Not64, r, v);
            break;
        case tt::UnOp::BoolNot:
            emit(OpCode::BoolNot, r, v);
            break;
        }
        return r;
    }
    case Op::Binary:
        return binary(e, dst);
    case Op::Compare:
        return compare(e, dst);
    case Op::AndThen:
    case Op::OrElse: {
        int falseLabel = newLabel();
        int endLabel = newLabel();
        condJump(e, falseLabel, false);
        int32_t r = dst >= 0 ? dst : raw();
        emit(OpCode::LoadInt, r, 1);
        emitJump(OpCode::Jump, 0, 0, endLabel);
        bind(falseLabel);
        emit(OpCode::LoadInt, r, 0);
        bind(endLabel);
        return r;
    }
    case Op::Convert:
        return convert(e, dst);
    case Op::CallScript:
        return callScript(e, dst);
    case Op::CallNative:
        return nativeCall(e->binding, e->sig, e->s, e->a, e->args, nullptr, e->sig->result, dst);
    case Op::PropGet:
        return nativeCall(e->member->getter, e->member->getSig, e->member->name, e->a, e->args, nullptr, t, dst);
    case Op::Construct:
        return nativeCall(e->binding, e->sig, e->member->name, nullptr, e->args, nullptr, t, dst);
    case Op::Intrinsic:
        return intrinsic(e, dst);
    case Op::SetCons:
        return setCons(e, dst);
    case Op::ArrayCons:
        return arrayCons(e, dst);
    case Op::ClassIs:
    case Op::ClassCast: {
        int32_t v = expr(e->a);
        int32_t r = dst >= 0 ? dst : raw();
        emit(e->op == Op::ClassIs ? OpCode::ObjIs : OpCode::ObjCast, r, v, mb_.klass(e->cls2));
        return r;
    }
    case Op::ClassRefValue: {
        int32_t r = dst >= 0 ? dst : raw();
        emit(OpCode::LoadInt, r, 0);
        return r;
    }
    }
    return raw();
}

int32_t FunctionCompiler::binary(const tt::Expr* e, int32_t dst)
{
    auto op = static_cast<tt::BinOp>(e->sub);
    tt::Cls cls = e->cls;
    if (op == tt::BinOp::Concat) {
        int32_t l = expr(e->a, -1, hasCall(e->b));
        int32_t r = expr(e->b);
        int32_t d = dst >= 0 ? dst : managedTemp(bt_.stringType);
        emit(OpCode::Concat, d, l, r);
        return d;
    }
    if (op == tt::BinOp::In) {
        int32_t v = expr(e->a);
        int32_t s = expr(e->b);
        int32_t d = dst >= 0 ? dst : raw();
        emit(OpCode::SetIn, d, v, s);
        return d;
    }
    if (cls == tt::Cls::Set) {
        int32_t l = expr(e->a);
        int32_t r = expr(e->b);
        int32_t d = dst >= 0 ? dst : raw(4);
        OpCode oc = op == tt::BinOp::SetUnion ? OpCode::SetUnion
            : op == tt::BinOp::SetDiff        ? OpCode::SetDiff
                                              : OpCode::SetInter;
        emit(oc, d, l, r);
        return d;
    }
    int32_t l = expr(e->a);
    // Immediate right operands for the common integer forms.
    if (isConstInt(e->b) && (cls == tt::Cls::I32 || cls == tt::Cls::I64)) {
        int64_t k = e->b->i;
        int32_t d = dst >= 0 ? dst : raw();
        switch (op) {
        case tt::BinOp::Add:
            emit(cls == tt::Cls::I32 ? OpCode::AddI32 : OpCode::AddI64, d, l, static_cast<int32_t>(k));
            return d;
        case tt::BinOp::Sub:
            if (k != INT32_MIN) {
                emit(cls == tt::Cls::I32 ? OpCode::AddI32 : OpCode::AddI64, d, l, static_cast<int32_t>(-k));
                return d;
            }
            break;
        case tt::BinOp::Mul:
            if (cls == tt::Cls::I32) {
                emit(OpCode::MulI32, d, l, static_cast<int32_t>(k));
                return d;
            }
            break;
        case tt::BinOp::IDiv:
        case tt::BinOp::Mod:
            if (cls == tt::Cls::I32 && k != 0) {
                emit(op == tt::BinOp::IDiv ? OpCode::DivI32 : OpCode::ModI32, d, l, static_cast<int32_t>(k));
                return d;
            }
            break;
        default:
            break;
        }
    }
    int32_t r = expr(e->b);
    int32_t d = dst >= 0 ? dst : raw();
    OpCode oc = OpCode::Nop;
    if (cls == tt::Cls::F64) {
        switch (op) {
        case tt::BinOp::Add:
            oc = OpCode::AddF;
            break;
        case tt::BinOp::Sub:
            oc = OpCode::SubF;
            break;
        case tt::BinOp::Mul:
            oc = OpCode::MulF;
            break;
        default:
            oc = OpCode::DivF;
            break;
        }
    } else {
        bool u = cls == tt::Cls::U32;
        bool w = cls == tt::Cls::I64;
        switch (op) {
        case tt::BinOp::Add:
            oc = w ? OpCode::Add64 : u ? OpCode::AddU32 : OpCode::Add32;
            break;
        case tt::BinOp::Sub:
            oc = w ? OpCode::Sub64 : u ? OpCode::SubU32 : OpCode::Sub32;
            break;
        case tt::BinOp::Mul:
            oc = w ? OpCode::Mul64 : u ? OpCode::MulU32 : OpCode::Mul32;
            break;
        case tt::BinOp::IDiv:
            oc = w ? OpCode::Div64 : u ? OpCode::DivU32 : OpCode::Div32;
            break;
        case tt::BinOp::Mod:
            oc = w ? OpCode::Mod64 : u ? OpCode::ModU32 : OpCode::Mod32;
            break;
        case tt::BinOp::And:
            oc = OpCode::And;
            break;
        case tt::BinOp::Or:
            oc = OpCode::Or;
            break;
        case tt::BinOp::Xor:
            oc = OpCode::Xor;
            break;
        case tt::BinOp::Shl:
            oc = w ? OpCode::Shl64 : u ? OpCode::ShlU32 : OpCode::Shl32;
            break;
        case tt::BinOp::Shr:
            oc = w ? OpCode::Shr64 : u ? OpCode::ShrU32 : OpCode::Shr32;
            break;
        default:
            break;
        }
    }
    emit(oc, d, l, r);
    return d;
}

int32_t FunctionCompiler::compare(const tt::Expr* e, int32_t dst)
{
    auto op = static_cast<tt::CmpOp>(e->sub);
    tt::Cls cls = e->cls;
    int32_t l = expr(e->a, -1, cls == tt::Cls::Str && hasCall(e->b));
    int32_t r = expr(e->b);
    int32_t d = dst >= 0 ? dst : raw();
    bool swap = op == tt::CmpOp::Gt || op == tt::CmpOp::Ge;
    int32_t x = swap ? r : l;
    int32_t y = swap ? l : r;
    switch (cls) {
    case tt::Cls::F64:
        switch (op) {
        case tt::CmpOp::Eq:
            emit(OpCode::EqF, d, l, r);
            break;
        case tt::CmpOp::Ne:
            emit(OpCode::NeF, d, l, r);
            break;
        case tt::CmpOp::Lt:
        case tt::CmpOp::Gt:
            emit(OpCode::LtF, d, x, y);
            break;
        default:
            emit(OpCode::LeF, d, x, y);
            break;
        }
        return d;
    case tt::Cls::Str:
        switch (op) {
        case tt::CmpOp::Eq:
            emit(OpCode::StrEq, d, l, r);
            break;
        case tt::CmpOp::Ne:
            emit(OpCode::StrNe, d, l, r);
            break;
        case tt::CmpOp::Lt:
        case tt::CmpOp::Gt:
            emit(OpCode::StrLt, d, x, y);
            break;
        default:
            emit(OpCode::StrLe, d, x, y);
            break;
        }
        return d;
    case tt::Cls::Set:
        switch (op) {
        case tt::CmpOp::Eq:
            emit(OpCode::SetEq, d, l, r);
            break;
        case tt::CmpOp::Ne:
            emit(OpCode::SetEq, d, l, r);
            emit(OpCode::BoolNot, d, d);
            break;
        default:
            emit(OpCode::SetLe, d, x, y);
            break;
        }
        return d;
    default:
        switch (op) {
        case tt::CmpOp::Eq:
            emit(OpCode::Eq, d, l, r);
            break;
        case tt::CmpOp::Ne:
            emit(OpCode::Ne, d, l, r);
            break;
        case tt::CmpOp::Lt:
        case tt::CmpOp::Gt:
            emit(OpCode::Lt, d, x, y);
            break;
        default:
            emit(OpCode::Le, d, x, y);
            break;
        }
        return d;
    }
}

void FunctionCompiler::condJump(const tt::Expr* e, int label, bool jumpIf)
{
    switch (e->op) {
    case Op::ConstInt:
        if ((e->i != 0) == jumpIf)
            emitJump(OpCode::Jump, 0, 0, label);
        return;
    case Op::Unary:
        if (static_cast<tt::UnOp>(e->sub) == tt::UnOp::BoolNot) {
            condJump(e->a, label, !jumpIf);
            return;
        }
        break;
    case Op::AndThen:
        if (jumpIf) {
            int skip = newLabel();
            condJump(e->a, skip, false);
            condJump(e->b, label, true);
            bind(skip);
        } else {
            condJump(e->a, label, false);
            condJump(e->b, label, false);
        }
        return;
    case Op::OrElse:
        if (jumpIf) {
            condJump(e->a, label, true);
            condJump(e->b, label, true);
        } else {
            int skip = newLabel();
            condJump(e->a, skip, true);
            condJump(e->b, label, false);
            bind(skip);
        }
        return;
    case Op::Compare: {
        auto op = static_cast<tt::CmpOp>(e->sub);
        if (e->cls == tt::Cls::F64 && jumpIf) {
            SourcePos saved = pos_;
            setPos(e->pos);
            int32_t l = expr(e->a);
            int32_t r = expr(e->b);
            switch (op) {
            case tt::CmpOp::Lt:
                emitJump(OpCode::JumpLtF, l, r, label);
                break;
            case tt::CmpOp::Le:
                emitJump(OpCode::JumpLeF, l, r, label);
                break;
            case tt::CmpOp::Gt:
                emitJump(OpCode::JumpLtF, r, l, label);
                break;
            case tt::CmpOp::Ge:
                emitJump(OpCode::JumpLeF, r, l, label);
                break;
            default: {
                int32_t d = raw();
                emit(op == tt::CmpOp::Eq ? OpCode::EqF : OpCode::NeF, d, l, r);
                emitJump(OpCode::JumpTrue, d, 0, label);
                break;
            }
            }
            setPos(saved);
            return;
        }
        if (e->cls == tt::Cls::F64 || e->cls == tt::Cls::Str || e->cls == tt::Cls::Set)
            break;
        SourcePos saved = pos_;
        setPos(e->pos);
        if (!jumpIf) {
            switch (op) {
            case tt::CmpOp::Eq:
                op = tt::CmpOp::Ne;
                break;
            case tt::CmpOp::Ne:
                op = tt::CmpOp::Eq;
                break;
            case tt::CmpOp::Lt:
                op = tt::CmpOp::Ge;
                break;
            case tt::CmpOp::Le:
                op = tt::CmpOp::Gt;
                break;
            case tt::CmpOp::Gt:
                op = tt::CmpOp::Le;
                break;
            case tt::CmpOp::Ge:
                op = tt::CmpOp::Lt;
                break;
            }
        }
        const tt::Expr* a = e->a;
        const tt::Expr* b = e->b;
        if (isConstInt(a) && !isConstInt(b)) {
            std::swap(a, b);
            switch (op) {
            case tt::CmpOp::Lt:
                op = tt::CmpOp::Gt;
                break;
            case tt::CmpOp::Le:
                op = tt::CmpOp::Ge;
                break;
            case tt::CmpOp::Gt:
                op = tt::CmpOp::Lt;
                break;
            case tt::CmpOp::Ge:
                op = tt::CmpOp::Le;
                break;
            default:
                break;
            }
        }
        int32_t l = expr(a);
        if (isConstInt(b)) {
            auto k = static_cast<int32_t>(b->i);
            OpCode oc = op == tt::CmpOp::Eq ? OpCode::JumpEqI
                : op == tt::CmpOp::Ne       ? OpCode::JumpNeI
                : op == tt::CmpOp::Lt       ? OpCode::JumpLtI
                : op == tt::CmpOp::Le       ? OpCode::JumpLeI
                : op == tt::CmpOp::Gt       ? OpCode::JumpGtI
                                            : OpCode::JumpGeI;
            emitJump(oc, l, k, label);
        } else {
            int32_t r = expr(b);
            switch (op) {
            case tt::CmpOp::Eq:
                emitJump(OpCode::JumpEq, l, r, label);
                break;
            case tt::CmpOp::Ne:
                emitJump(OpCode::JumpNe, l, r, label);
                break;
            case tt::CmpOp::Lt:
                emitJump(OpCode::JumpLt, l, r, label);
                break;
            case tt::CmpOp::Le:
                emitJump(OpCode::JumpLe, l, r, label);
                break;
            case tt::CmpOp::Gt:
                emitJump(OpCode::JumpLt, r, l, label);
                break;
            case tt::CmpOp::Ge:
                emitJump(OpCode::JumpLe, r, l, label);
                break;
            }
        }
        setPos(saved);
        return;
    }
    default:
        break;
    }
    int32_t v = expr(e);
    emitJump(jumpIf ? OpCode::JumpTrue : OpCode::JumpFalse, v, 0, label);
}

int32_t FunctionCompiler::convert(const tt::Expr* e, int32_t dst)
{
    switch (static_cast<tt::Conv>(e->sub)) {
    case tt::Conv::OrdToOrd:
        return expr(e->a, dst);
    case tt::Conv::IntToFloat: {
        int32_t v = expr(e->a);
        int32_t r = dst >= 0 ? dst : raw();
        emit(OpCode::IntToF, r, v);
        if (e->type->single)
            emit(OpCode::ToSingle, r, r);
        return r;
    }
    case tt::Conv::Truncate: {
        int32_t v = expr(e->a);
        int32_t r = dst >= 0 ? dst : raw();
        emit(OpCode::Trunc, r, v, 0, static_cast<int32_t>(e->type->ord));
        return r;
    }
    case tt::Conv::CharToStr: {
        int32_t v = expr(e->a);
        int32_t r = dst >= 0 ? dst : managedTemp(bt_.stringType);
        emit(OpCode::CharToStr, r, v);
        return r;
    }
    case tt::Conv::ToSingle: {
        int32_t v = expr(e->a);
        int32_t r = dst >= 0 ? dst : raw();
        emit(OpCode::ToSingle, r, v);
        return r;
    }
    }
    return expr(e->a, dst);
}

int32_t FunctionCompiler::takeResult(const Type* t, int32_t rawReg, int32_t dst)
{
    if (t == nullptr || t->kind == TypeKind::Void)
        return rawReg;
    if (t->kind == TypeKind::String || t->kind == TypeKind::DynArray) {
        int32_t d = dst >= 0 ? dst : managedTemp(t);
        emit(t->kind == TypeKind::String ? OpCode::StrMove : OpCode::ArrMove, d, rawReg);
        return d;
    }
    if (t->managed) {
        int32_t d = dst >= 0 ? dst : managedTemp(t);
        emit(OpCode::MMove, d, rawReg, mb_.type(t));
        return d;
    }
    if (dst < 0)
        return rawReg;
    if (t->slots == 1)
        emit(OpCode::Mov, dst, rawReg);
    else
        emit(OpCode::MovN, dst, rawReg, t->slots);
    return dst;
}

void FunctionCompiler::laterCalls(std::span<tt::Expr* const> args, const tt::Expr* extra,
                                  SmallVec<uint8_t, 16>& out) const
{
    std::size_t count = args.size() + (extra != nullptr ? 1 : 0);
    out.resize(count + 1, 0);
    for (std::size_t i = count; i-- > 0;) {
        const tt::Expr* arg = i < args.size() ? args[i] : extra;
        out[i] = static_cast<uint8_t>(out[i + 1] != 0 || hasCall(arg));
    }
}

void FunctionCompiler::argument(const Param& p, const tt::Expr* arg, int32_t slot, bool ownsManaged, bool stable,
                                DeferredList& deferred)
{
    const Type* pt = p.type;
    if (pt->kind == TypeKind::OpenArray || pt->kind == TypeKind::ConstArray) {
        const Type* at = arg->type;
        if (arg->op == Op::ArrayCons || at->kind == TypeKind::DynArray) {
            int32_t v = expr(arg, -1, true);
            if (arg->op != Op::ArrayCons) {
                // Keep the array alive for the call: the routine may change the variable it came from.
                int32_t keep = managedTemp(at);
                emit(OpCode::ArrCopy, keep, v);
                v = keep;
            }
            emit(OpCode::ArrOpen, slot, v);
            return;
        }
        if (at->kind == TypeKind::StaticArray) {
            Place pl = place(arg, true);
            int32_t addr = addressOf(pl);
            emit(OpCode::Mov, slot, addr);
            Slot count;
            count.i = ordinalCount(at);
            emit(OpCode::LoadInt, slot + 1, static_cast<int32_t>(count.i));
            return;
        }
        // An open array parameter passed on.
        Place pl = place(arg, true);
        load(pl, pt, -1, false);
        if (pl.kind == Place::Reg)
            emit(OpCode::MovN, slot, pl.reg, 2);
        else if (pl.kind == Place::Global)
            emit(OpCode::GetGlobalN, slot, pl.off, 2);
        else
            emit(OpCode::LoadN, slot, pl.reg, pl.off, 2);
        return;
    }
    if (p.byRef()) {
        Place pl = place(arg, true);
        switch (pl.kind) {
        case Place::Reg:
            emit(OpCode::AddrLocal, slot, pl.reg);
            break;
        case Place::Global:
            emit(OpCode::AddrGlobal, slot, pl.off);
            break;
        case Place::Ptr:
            if (pl.off != 0)
                emit(OpCode::AddrOffset, slot, pl.reg, pl.off);
            else
                emit(OpCode::Mov, slot, pl.reg);
            break;
        }
        return;
    }
    if (!pt->managed) {
        expr(arg, slot);
        return;
    }
    int32_t v = expr(arg, -1, stable);
    if (ownsManaged) {
        deferred.push_back(Deferred{slot, v, pt});
        return;
    }
    if (pt->slots == 1)
        emit(OpCode::Mov, slot, v);
    else
        emit(OpCode::MovN, slot, v, pt->slots);
}

int32_t FunctionCompiler::callScript(const tt::Expr* e, int32_t dst)
{
    const RoutineInfo* r = e->routine;
    const Signature& sig = r->sig;
    bool needLink = r->level >= 2;
    if (needLink)
        raw(1);
    int32_t argbase = raw(sig.argSlots > 0 ? sig.argSlots : 1);
    DeferredList deferred;
    SmallVec<uint8_t, 16> laterCall;
    laterCalls(e->args, nullptr, laterCall);
    for (std::size_t i = 0; i < e->args.size(); ++i)
        argument(sig.params[i], e->args[i], argbase + sig.params[i].offset, true, laterCall[i + 1] != 0, deferred);
    // The routine receives references of its own to its managed arguments.
    for (const Deferred& d : deferred) {
        const Type* t = d.type;
        int32_t slot = d.slot;
        int32_t v = d.value;
        if (t->kind == TypeKind::String) {
            emit(OpCode::StrStoreRaw, slot, v);
        } else if (t->kind == TypeKind::DynArray) {
            emit(OpCode::ArrStoreRaw, slot, v);
        } else {
            int32_t to = raw();
            emit(OpCode::AddrLocal, to, slot);
            int32_t from = raw();
            emit(OpCode::AddrLocal, from, v);
            emit(OpCode::MCopyRaw, to, from, mb_.type(t));
        }
    }
    int32_t hops = needLink ? level_ - (r->level - 1) + 1 : 0;
    emit(OpCode::Call, argbase, r->index, 0, hops);
    return takeResult(sig.result, argbase, dst);
}

int32_t FunctionCompiler::nativeCall(Binding binding, const Signature* sig, std::string_view name, const tt::Expr* self,
                                     std::span<tt::Expr* const> args, const tt::Expr* extraValue,
                                     const Type* resultType, int32_t dst)
{
    int32_t argbase = raw(sig->argSlots > 0 ? sig->argSlots : 1);
    DeferredList deferred;
    std::size_t count = args.size() + (extraValue != nullptr ? 1 : 0);
    auto argAt = [&](std::size_t i) { return i < args.size() ? args[i] : extraValue; };
    SmallVec<uint8_t, 16> laterCall;
    laterCalls(args, extraValue, laterCall);
    if (self != nullptr) {
        if (laterCall[0]) {
            // The object is a handle (a plain value), so evaluating it first is safe.
        }
        expr(self, argbase + sig->selfOffset);
    }
    for (std::size_t i = 0; i < count; ++i)
        argument(sig->params[i], argAt(i), argbase + sig->params[i].offset, false, laterCall[i + 1] != 0, deferred);
    emit(OpCode::CallNative, argbase, mb_.native(binding, sig, name));
    return takeResult(resultType, argbase, dst);
}

int32_t FunctionCompiler::setCons(const tt::Expr* e, int32_t dst)
{
    int32_t s = raw(4);
    emit(OpCode::Zero, s, 4);
    for (std::size_t i = 0; i + 1 < e->args.size() + 1 && i < e->args.size(); i += 2) {
        int32_t lo = expr(e->args[i]);
        if (e->args[i + 1] != nullptr) {
            int32_t hi = expr(e->args[i + 1]);
            emit(OpCode::SetRange, s, lo, hi);
        } else {
            emit(OpCode::SetIncl, s, lo);
        }
    }
    if (dst >= 0) {
        emit(OpCode::MovN, dst, s, 4);
        return dst;
    }
    return s;
}

int32_t FunctionCompiler::arrayCons(const tt::Expr* e, int32_t dst)
{
    std::size_t n = e->args.size();
    if (n > 0xFFFF) {
        fail(e->pos, "Array constructor too long");
        return raw();
    }
    bool isConst = e->type->kind == TypeKind::ConstArray;
    const Type* arrType = isConst ? constArrayDynType() : e->type;
    const Type* elem = arrType->elem;
    int32_t es = elem->slots;
    int32_t block = raw(static_cast<int32_t>(n) * es + 1);
    SmallVec<uint8_t, 16> laterCall;
    laterCalls(e->args, nullptr, laterCall);
    for (std::size_t i = 0; i < n; ++i) {
        const tt::Expr* item = e->args[i];
        int32_t at = block + static_cast<int32_t>(i) * es;
        if (isConst) {
            const Type* t = item->type;
            int64_t tag = kArgInteger;
            if (isString(t))
                tag = kArgString;
            else if (isFloat(t))
                tag = kArgReal;
            else if (isChar(t))
                tag = kArgChar;
            else if (isBoolean(t))
                tag = kArgBoolean;
            else if (isClass(t))
                tag = kArgObject;
            else if (t->kind == TypeKind::Nil)
                tag = kArgNil;
            else if (isInteger(t) && (t->ord == OrdKind::S64 || t->ord == OrdKind::U32))
                tag = kArgInt64;
            emit(OpCode::LoadInt, at, static_cast<int32_t>(tag));
            if (tag == kArgString) {
                int32_t v = expr(item, -1, laterCall[i + 1]);
                emit(OpCode::LoadInt, at + 1, 0);
                emit(OpCode::Mov, at + 2, v);
            } else {
                expr(item, at + 1);
                emit(OpCode::LoadInt, at + 2, 0);
            }
            continue;
        }
        if (elem->managed) {
            int32_t v = expr(item, -1, laterCall[i + 1]);
            if (es == 1)
                emit(OpCode::Mov, at, v);
            else
                emit(OpCode::MovN, at, v, es);
        } else {
            expr(item, at);
        }
    }
    int32_t d = dst >= 0 ? dst : managedTemp(arrType);
    emit(OpCode::ArrBuild, d, block, mb_.type(arrType), static_cast<int32_t>(n));
    return d;
}

}  // namespace shutterhand::pascal
