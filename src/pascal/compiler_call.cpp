// Calls: arguments by value, by reference and as open arrays; results; script and native routines;
// set and array constructors.

#include "pascal/compiler_impl.h"

namespace shutterhand::pascal {

using tt::Op;

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
