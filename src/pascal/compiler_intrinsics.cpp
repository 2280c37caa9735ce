#include "pascal/compiler_impl.h"

#include <deque>
#include <mutex>

namespace shutterhand::pascal {

using tt::Intrinsic;
using tt::Op;

namespace {

const Signature* internalSignature(int32_t argSlots, int32_t resultSlots)
{
    // Internal natives read their slots by position; the signature only carries the block size.
    static std::mutex lock;
    static std::deque<Signature> cache;
    std::lock_guard<std::mutex> guard(lock);
    for (const Signature& s : cache) {
        if (s.argSlots == argSlots && s.resultSlots == resultSlots)
            return &s;
    }
    Signature& sig = cache.emplace_back();
    sig.argSlots = argSlots;
    sig.resultSlots = resultSlots;
    return &sig;
}

}  // namespace

int32_t FunctionCompiler::intrinsic(const tt::Expr* e, int32_t dst)
{
    auto id = static_cast<Intrinsic>(e->sub);
    auto args = e->args;
    auto target = [&]() { return dst >= 0 ? dst : raw(); };
    switch (id) {
    case Intrinsic::Inc:
    case Intrinsic::Dec: {
        const tt::Expr* var = args[0];
        const tt::Expr* amount = args[1];
        const Type* t = var->type;
        bool isDec = id == Intrinsic::Dec;
        bool wide = t->ord == OrdKind::S64;
        bool plain32 = t->ord == OrdKind::S32;
        int32_t reg;
        bool direct = isDirect(var, reg);
        if (isConstInt(amount) && amount->i != INT32_MIN) {
            auto k = static_cast<int32_t>(isDec ? -amount->i : amount->i);
            if (direct) {
                emit(plain32 ? OpCode::AddI32 : OpCode::AddI64, reg, reg, k);
                if (!plain32 && !wide)
                    emit(OpCode::Trunc, reg, reg, 0, static_cast<int32_t>(t->ord));
                return reg;
            }
            Place p = place(var, false);
            int32_t v = load(p, t, raw(), false);
            emit(plain32 ? OpCode::AddI32 : OpCode::AddI64, v, v, k);
            if (!plain32 && !wide)
                emit(OpCode::Trunc, v, v, 0, static_cast<int32_t>(t->ord));
            store(p, t, v);
            return v;
        }
        int32_t n = expr(amount);
        Place p = place(var, false);
        int32_t v = direct ? reg : load(p, t, raw(), false);
        emit(isDec ? OpCode::Sub64 : OpCode::Add64, v, v, n);
        if (!wide)
            emit(OpCode::Trunc, v, v, 0, static_cast<int32_t>(t->ord));
        if (!direct)
            store(p, t, v);
        return v;
    }
    case Intrinsic::Succ:
    case Intrinsic::Pred: {
        int32_t v = expr(args[0]);
        int32_t r = target();
        emit(OpCode::AddI64, r, v, id == Intrinsic::Succ ? 1 : -1);
        if (e->type->ord != OrdKind::S64)
            emit(OpCode::Trunc, r, r, 0, static_cast<int32_t>(e->type->ord));
        return r;
    }
    case Intrinsic::Odd: {
        int32_t v = expr(args[0]);
        int32_t one = constReg(1);
        int32_t r = target();
        emit(OpCode::And, r, v, one);
        return r;
    }
    case Intrinsic::Length:
    case Intrinsic::High: {
        const tt::Expr* a = args[0];
        const Type* t = a->type;
        if (t->kind == TypeKind::OpenArray) {
            Place p = place(a, false);
            int32_t count;
            if (p.kind == Place::Reg) {
                count = p.reg + 1;
            } else {
                count = raw();
                if (p.kind == Place::Global)
                    emit(OpCode::GetGlobal, count, p.off + 1);
                else
                    emit(OpCode::Load, count, p.reg, p.off + 1);
            }
            int32_t r = target();
            emit(OpCode::AddI64, r, count, id == Intrinsic::High ? -1 : 0);
            return r;
        }
        int32_t v = expr(a);
        int32_t r = target();
        if (t->kind == TypeKind::String)
            emit(OpCode::StrLen, r, v);
        else
            emit(id == Intrinsic::High ? OpCode::ArrHigh : OpCode::ArrLen, r, v);
        return r;
    }
    case Intrinsic::SetLength: {
        const tt::Expr* var = args[0];
        std::size_t dims = args.size() - 1;
        if (var->type->kind == TypeKind::String) {
            int32_t block = raw(2);
            expr(args[1], block + 1);
            Place p = place(var, true);
            int32_t addr = addressOf(p);
            emit(OpCode::Mov, block, addr);
            emit(OpCode::CallNative, block,
                 mb_.native(Binding{intrinsics::setLengthString, nullptr}, internalSignature(2, 0), "SetLength"));
            return block;
        }
        int32_t block = raw(static_cast<int32_t>(2 + dims));
        for (std::size_t i = 0; i < dims; ++i)
            expr(args[1 + i], block + 2 + static_cast<int32_t>(i));
        emit(OpCode::LoadInt, block + 1, static_cast<int32_t>(dims));
        Place p = place(var, true);
        int32_t addr = addressOf(p);
        emit(OpCode::Mov, block, addr);
        emit(OpCode::CallNative, block,
             mb_.native(Binding{intrinsics::setLengthArray, var->type},
                        internalSignature(static_cast<int32_t>(2 + dims), 0), "SetLength"));
        return block;
    }
    case Intrinsic::Copy: {
        bool isStr = args[0]->type->kind == TypeKind::String;
        int32_t block = raw(4);
        bool later = hasCall(args[1]) || hasCall(args[2]);
        int32_t s = expr(args[0], -1, later);
        emit(OpCode::Mov, block + 1, s);
        expr(args[1], block + 2);
        expr(args[2], block + 3);
        Binding b = isStr ? Binding{intrinsics::copyString, nullptr} : Binding{intrinsics::copyArray, args[0]->type};
        emit(OpCode::CallNative, block, mb_.native(b, internalSignature(4, 1), "Copy"));
        return takeResult(e->type, block, dst);
    }
    case Intrinsic::Abs: {
        int32_t v = expr(args[0]);
        int32_t r = target();
        emit(e->cls == tt::Cls::F64 ? OpCode::AbsF : e->cls == tt::Cls::I64 ? OpCode::Abs64 : OpCode::Abs32, r, v);
        return r;
    }
    case Intrinsic::Sqr: {
        int32_t v = expr(args[0]);
        int32_t r = target();
        emit(e->cls == tt::Cls::F64 ? OpCode::MulF : e->cls == tt::Cls::I64 ? OpCode::Mul64 : OpCode::Mul32, r, v, v);
        return r;
    }
    case Intrinsic::Min:
    case Intrinsic::Max: {
        int32_t a = expr(args[0]);
        int32_t b = expr(args[1]);
        int32_t r = target();
        bool isMax = id == Intrinsic::Max;
        if (e->cls == tt::Cls::F64) {
            // Integer operands were converted by the checker.
            emit(isMax ? OpCode::MaxF : OpCode::MinF, r, a, b);
        } else {
            emit(isMax ? OpCode::Max64 : OpCode::Min64, r, a, b);
        }
        return r;
    }
    case Intrinsic::Assigned: {
        int32_t v = expr(args[0]);
        int32_t zero = constReg(0);
        int32_t r = target();
        emit(OpCode::Ne, r, v, zero);
        return r;
    }
    case Intrinsic::FreeAndNil: {
        const tt::Expr* var = args[0];
        Place p = place(var, false);
        int32_t v = load(p, var->type, raw(), false);
        int32_t zero = constReg(0);
        store(p, var->type, zero);
        emit(OpCode::ObjFree, v);
        return v;
    }
    case Intrinsic::Include:
    case Intrinsic::Exclude: {
        int32_t v = expr(args[1]);
        OpCode oc = id == Intrinsic::Include ? OpCode::SetIncl : OpCode::SetExcl;
        int32_t reg;
        if (isDirect(args[0], reg)) {
            emit(oc, reg, v);
            return reg;
        }
        Place p = place(args[0], false);
        int32_t s = load(p, args[0]->type, raw(4), false);
        emit(oc, s, v);
        store(p, args[0]->type, s);
        return s;
    }
    case Intrinsic::Random: {
        if (args.empty()) {
            int32_t block = raw(1);
            emit(OpCode::CallNative, block,
                 mb_.native(Binding{intrinsics::randomReal, nullptr}, internalSignature(1, 1), "Random"));
            return takeResult(e->type, block, dst);
        }
        int32_t block = raw(2);
        expr(args[0], block + 1);
        emit(OpCode::CallNative, block,
             mb_.native(Binding{intrinsics::randomInt, nullptr}, internalSignature(2, 1), "Random"));
        return takeResult(e->type, block, dst);
    }
    default:
        break;
    }
    fail(e->pos, "Internal error: routine cannot be compiled here");
    return raw();
}

}  // namespace shutterhand::pascal
