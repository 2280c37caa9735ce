#include "pascal/compiler_impl.h"

namespace shutterhand::pascal {

using tt::Op;

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

}  // namespace shutterhand::pascal
