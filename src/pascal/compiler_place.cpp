// Where values live (registers, globals, addresses) and how they are loaded and stored.

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

}  // namespace shutterhand::pascal
