#include "pascal/checker_impl.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace shutterhand::pascal {

using tt::Op;

// Operators: arithmetic, comparisons, set constructors and array constructors, with constant folding.

tt::Expr* Checker::unaryExpr(const ast::UnaryExpr& e)
{
    if (e.op == ast::UnaryOp::AddressOf) {
        error(e.pos, "Pointers are not supported in scripts");
        return errorNode(e.pos);
    }
    tt::Expr* a = expr(e.operand);
    if (isError(a))
        return a;
    const Type* t = a->type;
    switch (e.op) {
    case ast::UnaryOp::Plus:
        if (isNumeric(t))
            return a;
        break;
    case ast::UnaryOp::Neg:
        if (isInteger(t)) {
            const Type* rt = t->ord == OrdKind::S64 || t->ord == OrdKind::U32 ? bt_.int64Type : bt_.integerType;
            if (a->op == Op::ConstInt) {
                int64_t v = static_cast<int64_t>(0ULL - static_cast<uint64_t>(a->i));
                return constInt(v, fitsInt32(v) ? bt_.integerType : bt_.int64Type, e.pos);
            }
            if (t->ord == OrdKind::U32) {
                tt::Expr* c = node(Op::Convert, bt_.int64Type, a->pos);
                c->sub = static_cast<uint8_t>(tt::Conv::OrdToOrd);
                c->a = a;
                a = c;
            }
            tt::Expr* n = node(Op::Unary, rt, e.pos);
            n->sub = static_cast<uint8_t>(tt::UnOp::Neg);
            n->cls = clsOf(rt);
            n->a = a;
            return n;
        }
        if (isFloat(t)) {
            if (a->op == Op::ConstFloat)
                return constFloat(-a->f, e.pos);
            tt::Expr* n = node(Op::Unary, bt_.extendedType, e.pos);
            n->sub = static_cast<uint8_t>(tt::UnOp::Neg);
            n->cls = tt::Cls::F64;
            n->a = a;
            return n;
        }
        break;
    case ast::UnaryOp::Not:
        if (isBoolean(t)) {
            if (a->op == Op::ConstInt)
                return constInt(a->i ? 0 : 1, bt_.booleanType, e.pos);
            tt::Expr* n = node(Op::Unary, bt_.booleanType, e.pos);
            n->sub = static_cast<uint8_t>(tt::UnOp::BoolNot);
            n->cls = tt::Cls::Bool;
            n->a = a;
            return n;
        }
        if (isInteger(t)) {
            // "not" keeps the operand's width: not Byte(0) is 255, not Integer(0) is -1.
            if (a->op == Op::ConstInt) {
                int64_t v = ~a->i;
                return constInt(v, fitsInt32(v) ? bt_.integerType : bt_.int64Type, e.pos);
            }
            tt::Expr* n = node(Op::Unary, t->ord == OrdKind::S64 ? bt_.int64Type : t, e.pos);
            n->sub = static_cast<uint8_t>(tt::UnOp::Not);
            n->cls = clsOf(t);
            n->a = a;
            if (t->ord != OrdKind::S64 && t->ord != OrdKind::S32 && t->ord != OrdKind::U32) {
                // Narrow types: the result is truncated back to the operand's width.
                tt::Expr* c = node(Op::Convert, t, e.pos);
                c->sub = static_cast<uint8_t>(tt::Conv::Truncate);
                c->cls = tt::Cls::I32;
                n->type = bt_.integerType;
                n->cls = tt::Cls::I32;
                c->a = n;
                return c;
            }
            return n;
        }
        break;
    case ast::UnaryOp::AddressOf:
        break;
    }
    error(e.pos, "Operator not applicable to this operand type");
    return errorNode(e.pos);
}

const Type* Checker::integerResult(const Type* a, const Type* b, const tt::Expr* ea, const tt::Expr* eb) const
{
    if (a->ord == OrdKind::S64 || b->ord == OrdKind::S64)
        return bt_.int64Type;
    auto isUnsigned
        = [](const Type* t) { return t->ord == OrdKind::U8 || t->ord == OrdKind::U16 || t->ord == OrdKind::U32; };
    bool aBig = a->ord == OrdKind::U32, bBig = b->ord == OrdKind::U32;
    if (aBig || bBig) {
        const Type* other = aBig ? b : a;
        const tt::Expr* otherExpr = aBig ? eb : ea;
        if (isUnsigned(other) || (otherExpr->op == Op::ConstInt && otherExpr->i >= 0 && otherExpr->i <= 4294967295LL))
            return bt_.cardinalType;
        return bt_.int64Type;
    }
    return bt_.integerType;
}

tt::Expr* Checker::binaryExpr(const ast::BinaryExpr& e)
{
    using ast::BinaryOp;
    if (e.op == BinaryOp::Is || e.op == BinaryOp::As) {
        tt::Expr* l = expr(e.left);
        if (isError(l))
            return l;
        const Type* target = nullptr;
        if (e.right->kind == ast::ExprKind::Name) {
            auto* n = static_cast<const ast::NameExpr*>(e.right);
            Symbol* sym = n->name.empty() ? nullptr : lookup(n->name);
            if (sym != nullptr && sym->kind == SymKind::Type && sym->type->kind == TypeKind::Class)
                target = sym->type;
            else if (sym == nullptr && !n->name.empty()) {
                error(e.right->pos, "Unknown identifier " + quoted(n->name));
                return errorNode(e.pos);
            }
        }
        if (target == nullptr) {
            error(e.right->pos, "Class type required");
            return errorNode(e.pos);
        }
        if (l->type->kind != TypeKind::Class && l->type->kind != TypeKind::Nil) {
            error(e.opPos, "Operator not applicable to this operand type");
            return errorNode(e.pos);
        }
        tt::Expr* n = node(e.op == BinaryOp::Is ? Op::ClassIs : Op::ClassCast,
                           e.op == BinaryOp::Is ? bt_.booleanType : target, e.pos);
        n->a = l;
        n->cls2 = target->cls;
        return n;
    }
    if (e.op == BinaryOp::In) {
        tt::Expr* l = expr(e.left);
        if (isError(l))
            return l;
        if (!isOrdinal(l->type)) {
            error(e.left->pos, "Ordinal type required");
            return errorNode(e.pos);
        }
        const Type* expectedSet = setOf(l->type, {});
        tt::Expr* r = expr(e.right, expectedSet);
        if (isError(r))
            return r;
        if (r->type->kind != TypeKind::Set) {
            error(e.opPos, "Operator not applicable to this operand type");
            return errorNode(e.pos);
        }
        if (r->type->elem != nullptr && !sameOrdinalFamily(l->type, r->type->elem)) {
            incompatible(e.opPos, l->type, r->type->elem);
            return errorNode(e.pos);
        }
        if (l->op == Op::ConstInt && r->op == Op::ConstSet) {
            bool in = l->i >= 0 && l->i < 256 && ((r->set[l->i >> 6] >> (l->i & 63)) & 1);
            return constInt(in ? 1 : 0, bt_.booleanType, e.pos);
        }
        tt::Expr* n = node(Op::Binary, bt_.booleanType, e.pos);
        n->sub = static_cast<uint8_t>(tt::BinOp::In);
        n->cls = tt::Cls::Set;
        n->a = l;
        n->b = r;
        return n;
    }
    // Set operands: a constructor on one side takes its element type from the other side.
    tt::Expr* l = nullptr;
    tt::Expr* r = nullptr;
    if (e.left->kind == ast::ExprKind::Set && e.right->kind != ast::ExprKind::Set) {
        r = expr(e.right);
        l = expr(e.left, r->type->kind == TypeKind::Set ? r->type : nullptr);
    } else {
        l = expr(e.left);
        r = expr(e.right, l->type->kind == TypeKind::Set ? l->type : nullptr);
    }
    if (isError(l) || isError(r))
        return errorNode(e.pos);
    switch (e.op) {
    case BinaryOp::Eq:
    case BinaryOp::NotEq:
    case BinaryOp::Less:
    case BinaryOp::LessEq:
    case BinaryOp::Greater:
    case BinaryOp::GreaterEq:
        return comparison(e.op, l, r, e.pos, e.opPos);
    default:
        return arithmetic(e.op, l, r, e.pos, e.opPos);
    }
}

namespace {

int64_t wrapInt(int64_t v, tt::Cls cls)
{
    switch (cls) {
    case tt::Cls::I32:
        return static_cast<int32_t>(v);
    case tt::Cls::U32:
        return static_cast<uint32_t>(v);
    default:
        return v;
    }
}

}  // namespace

tt::Expr* Checker::arithmetic(ast::BinaryOp op, tt::Expr* l, tt::Expr* r, SourcePos pos, SourcePos opPos)
{
    using ast::BinaryOp;
    const Type* lt = l->type;
    const Type* rt = r->type;
    // Run-time errors of an operator (division by zero) point at the operator itself.
    auto bin = [&](tt::BinOp bop, const Type* type, tt::Cls cls, tt::Expr* a, tt::Expr* b) {
        tt::Expr* n = node(Op::Binary, type, opPos);
        n->sub = static_cast<uint8_t>(bop);
        n->cls = cls;
        n->a = a;
        n->b = b;
        return n;
    };
    auto notApplicable = [&]() {
        error(opPos, "Operator not applicable to this operand type");
        return errorNode(pos);
    };

    // Strings and characters: "+" concatenates.
    if (op == BinaryOp::Add && (isString(lt) || isString(rt) || (isChar(lt) && isChar(rt)))) {
        if (!(isString(lt) || isChar(lt)) || !(isString(rt) || isChar(rt)))
            return notApplicable();
        l = coerce(l, bt_.stringType, l->pos);
        r = coerce(r, bt_.stringType, r->pos);
        if (l->op == Op::ConstStr && r->op == Op::ConstStr)
            return constStr(arena_.copy(std::string(l->s) + std::string(r->s)), pos);
        return bin(tt::BinOp::Concat, bt_.stringType, tt::Cls::Str, l, r);
    }

    // Sets.
    if (lt->kind == TypeKind::Set || rt->kind == TypeKind::Set) {
        if (lt->kind != TypeKind::Set || rt->kind != TypeKind::Set)
            return notApplicable();
        const Type* st = lt->elem != nullptr ? lt : rt;
        if (lt->elem != nullptr && rt->elem != nullptr && !sameOrdinalFamily(lt->elem, rt->elem)) {
            incompatible(opPos, lt, rt);
            return errorNode(pos);
        }
        tt::BinOp bop;
        switch (op) {
        case BinaryOp::Add:
            bop = tt::BinOp::SetUnion;
            break;
        case BinaryOp::Sub:
            bop = tt::BinOp::SetDiff;
            break;
        case BinaryOp::Mul:
            bop = tt::BinOp::SetInter;
            break;
        default:
            return notApplicable();
        }
        if (l->op == Op::ConstSet && r->op == Op::ConstSet) {
            auto* bits = static_cast<uint64_t*>(arena_.allocate(32, 8));
            for (int w = 0; w < 4; ++w) {
                bits[w] = bop == tt::BinOp::SetUnion ? (l->set[w] | r->set[w])
                    : bop == tt::BinOp::SetDiff      ? (l->set[w] & ~r->set[w])
                                                     : (l->set[w] & r->set[w]);
            }
            tt::Expr* c = node(Op::ConstSet, st, pos);
            c->set = bits;
            return c;
        }
        return bin(bop, st, tt::Cls::Set, l, r);
    }

    // Booleans.
    if (isBoolean(lt) || isBoolean(rt)) {
        if (!isBoolean(lt) || !isBoolean(rt))
            return notApplicable();
        switch (op) {
        case BinaryOp::And:
        case BinaryOp::Or: {
            bool isAnd = op == BinaryOp::And;
            if (l->op == Op::ConstInt && r->op == Op::ConstInt)
                return constInt(isAnd ? (l->i && r->i) : (l->i || r->i), bt_.booleanType, pos);
            tt::Expr* n = node(isAnd ? Op::AndThen : Op::OrElse, bt_.booleanType, pos);
            n->a = l;
            n->b = r;
            return n;
        }
        case BinaryOp::Xor:
            if (l->op == Op::ConstInt && r->op == Op::ConstInt)
                return constInt(l->i != r->i, bt_.booleanType, pos);
            return bin(tt::BinOp::Xor, bt_.booleanType, tt::Cls::Bool, l, r);
        default:
            return notApplicable();
        }
    }

    if (!isNumeric(lt) || !isNumeric(rt))
        return notApplicable();

    bool real = isFloat(lt) || isFloat(rt) || op == BinaryOp::Divide;
    if (real) {
        tt::BinOp bop;
        switch (op) {
        case BinaryOp::Add:
            bop = tt::BinOp::Add;
            break;
        case BinaryOp::Sub:
            bop = tt::BinOp::Sub;
            break;
        case BinaryOp::Mul:
            bop = tt::BinOp::Mul;
            break;
        case BinaryOp::Divide:
            bop = tt::BinOp::FDiv;
            break;
        default:
            return notApplicable();
        }
        l = coerce(l, bt_.extendedType, l->pos);
        r = coerce(r, bt_.extendedType, r->pos);
        if (l->op == Op::ConstFloat && r->op == Op::ConstFloat) {
            double x = l->f, y = r->f;
            if (bop == tt::BinOp::FDiv && y == 0) {
                error(opPos, "Division by zero");
                return errorNode(pos);
            }
            double v = bop == tt::BinOp::Add ? x + y
                : bop == tt::BinOp::Sub      ? x - y
                : bop == tt::BinOp::Mul      ? x * y
                                             : x / y;
            return constFloat(v, pos);
        }
        return bin(bop, bt_.extendedType, tt::Cls::F64, l, r);
    }

    // Integers.
    tt::BinOp bop;
    switch (op) {
    case BinaryOp::Add:
        bop = tt::BinOp::Add;
        break;
    case BinaryOp::Sub:
        bop = tt::BinOp::Sub;
        break;
    case BinaryOp::Mul:
        bop = tt::BinOp::Mul;
        break;
    case BinaryOp::Div:
        bop = tt::BinOp::IDiv;
        break;
    case BinaryOp::Mod:
        bop = tt::BinOp::Mod;
        break;
    case BinaryOp::And:
        bop = tt::BinOp::And;
        break;
    case BinaryOp::Or:
        bop = tt::BinOp::Or;
        break;
    case BinaryOp::Xor:
        bop = tt::BinOp::Xor;
        break;
    case BinaryOp::Shl:
        bop = tt::BinOp::Shl;
        break;
    case BinaryOp::Shr:
        bop = tt::BinOp::Shr;
        break;
    default:
        return notApplicable();
    }
    const Type* result;
    if (bop == tt::BinOp::Shl || bop == tt::BinOp::Shr)
        result = lt->ord == OrdKind::S64 ? bt_.int64Type : lt->ord == OrdKind::U32 ? bt_.cardinalType : bt_.integerType;
    else
        result = integerResult(lt, rt, l, r);
    tt::Cls cls = clsOf(result);
    if (l->op == Op::ConstInt && r->op == Op::ConstInt) {
        // Constant expressions are evaluated in 64 bits and take the smallest fitting type.
        uint64_t x = static_cast<uint64_t>(l->i), y = static_cast<uint64_t>(r->i);
        int64_t v = 0;
        switch (bop) {
        case tt::BinOp::Add:
            v = static_cast<int64_t>(x + y);
            break;
        case tt::BinOp::Sub:
            v = static_cast<int64_t>(x - y);
            break;
        case tt::BinOp::Mul:
            v = static_cast<int64_t>(x * y);
            break;
        case tt::BinOp::IDiv:
        case tt::BinOp::Mod:
            if (r->i == 0) {
                error(opPos, "Division by zero");
                return errorNode(pos);
            }
            if (l->i == std::numeric_limits<int64_t>::min() && r->i == -1)
                v = bop == tt::BinOp::IDiv ? l->i : 0;
            else
                v = bop == tt::BinOp::IDiv ? l->i / r->i : l->i % r->i;
            break;
        case tt::BinOp::And:
            v = l->i & r->i;
            break;
        case tt::BinOp::Or:
            v = l->i | r->i;
            break;
        case tt::BinOp::Xor:
            v = l->i ^ r->i;
            break;
        case tt::BinOp::Shl:
            // A constant shift to the left is computed in 64 bits, like other constant expressions.
            v = static_cast<int64_t>(x << (static_cast<unsigned>(r->i) & 63u));
            if (v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max())
                return constInt(v, bt_.integerType, pos);
            return constInt(v, bt_.int64Type, pos);
        case tt::BinOp::Shr: {
            int bits = cls == tt::Cls::I64 ? 64 : 32;
            unsigned count = static_cast<unsigned>(r->i) & static_cast<unsigned>(bits - 1);
            uint64_t value = bits == 64 ? x : static_cast<uint32_t>(x);
            v = wrapInt(static_cast<int64_t>(value >> count), cls);
            break;
        }
        default:
            break;
        }
        if (bop == tt::BinOp::Shl || bop == tt::BinOp::Shr)
            return constInt(v, result, pos);
        bool overflow = false;
        switch (bop) {
        case tt::BinOp::Add:
            overflow = __builtin_add_overflow(l->i, r->i, &v);
            break;
        case tt::BinOp::Sub:
            overflow = __builtin_sub_overflow(l->i, r->i, &v);
            break;
        case tt::BinOp::Mul:
            overflow = __builtin_mul_overflow(l->i, r->i, &v);
            break;
        default:
            break;
        }
        if (overflow) {
            error(opPos, "Overflow in constant expression");
            return errorNode(pos);
        }
        return constInt(v, fitsInt32(v) ? bt_.integerType : bt_.int64Type, pos);
    }
    return bin(bop, result, cls, l, r);
}

tt::Expr* Checker::comparison(ast::BinaryOp op, tt::Expr* l, tt::Expr* r, SourcePos pos, SourcePos opPos)
{
    using ast::BinaryOp;
    tt::CmpOp cop;
    switch (op) {
    case BinaryOp::Eq:
        cop = tt::CmpOp::Eq;
        break;
    case BinaryOp::NotEq:
        cop = tt::CmpOp::Ne;
        break;
    case BinaryOp::Less:
        cop = tt::CmpOp::Lt;
        break;
    case BinaryOp::LessEq:
        cop = tt::CmpOp::Le;
        break;
    case BinaryOp::Greater:
        cop = tt::CmpOp::Gt;
        break;
    default:
        cop = tt::CmpOp::Ge;
        break;
    }
    const Type* lt = l->type;
    const Type* rt = r->type;
    tt::Cls cls;
    if ((isString(lt) || isChar(lt)) && (isString(rt) || isChar(rt)) && !(isChar(lt) && isChar(rt))) {
        l = coerce(l, bt_.stringType, l->pos);
        r = coerce(r, bt_.stringType, r->pos);
        cls = tt::Cls::Str;
    } else if (isNumeric(lt) && isNumeric(rt)) {
        if (isFloat(lt) || isFloat(rt)) {
            l = coerce(l, bt_.extendedType, l->pos);
            r = coerce(r, bt_.extendedType, r->pos);
            cls = tt::Cls::F64;
        } else {
            cls = tt::Cls::I64;
        }
    } else if (isOrdinal(lt) && isOrdinal(rt)) {
        if (!sameOrdinalFamily(lt, rt)) {
            incompatible(opPos, lt, rt);
            return errorNode(pos);
        }
        cls = tt::Cls::I64;
    } else if (lt->kind == TypeKind::Set && rt->kind == TypeKind::Set) {
        if (lt->elem != nullptr && rt->elem != nullptr && !sameOrdinalFamily(lt->elem, rt->elem)) {
            incompatible(opPos, lt, rt);
            return errorNode(pos);
        }
        if (cop == tt::CmpOp::Lt || cop == tt::CmpOp::Gt) {
            error(opPos, "Operator not applicable to this operand type");
            return errorNode(pos);
        }
        cls = tt::Cls::Set;
    } else if ((isClass(lt) || lt->kind == TypeKind::Nil || lt->kind == TypeKind::DynArray)
               && (isClass(rt) || rt->kind == TypeKind::Nil || rt->kind == TypeKind::DynArray)) {
        bool ok = (lt->kind == TypeKind::Nil || rt->kind == TypeKind::Nil)
            || (isClass(lt) && isClass(rt)
                && (classDescendsFrom(lt->cls, rt->cls) || classDescendsFrom(rt->cls, lt->cls)))
            || (lt->kind == TypeKind::DynArray && lt == rt);
        if (!ok) {
            incompatible(opPos, lt, rt);
            return errorNode(pos);
        }
        if (cop != tt::CmpOp::Eq && cop != tt::CmpOp::Ne) {
            error(opPos, "Operator not applicable to this operand type");
            return errorNode(pos);
        }
        cls = tt::Cls::Obj;
    } else {
        if (isOrdinal(lt) || isFloat(lt) || isString(lt) || lt->kind == TypeKind::Set)
            incompatible(opPos, lt, rt);
        else
            error(opPos, "Operator not applicable to this operand type");
        return errorNode(pos);
    }
    // Fold constants.
    auto result = [&](int c) {
        bool v = false;
        switch (cop) {
        case tt::CmpOp::Eq:
            v = c == 0;
            break;
        case tt::CmpOp::Ne:
            v = c != 0;
            break;
        case tt::CmpOp::Lt:
            v = c < 0;
            break;
        case tt::CmpOp::Le:
            v = c <= 0;
            break;
        case tt::CmpOp::Gt:
            v = c > 0;
            break;
        case tt::CmpOp::Ge:
            v = c >= 0;
            break;
        }
        return constInt(v ? 1 : 0, bt_.booleanType, pos);
    };
    if (cls == tt::Cls::I64 && l->op == Op::ConstInt && r->op == Op::ConstInt)
        return result(l->i < r->i ? -1 : l->i > r->i ? 1 : 0);
    if (cls == tt::Cls::F64 && l->op == Op::ConstFloat && r->op == Op::ConstFloat && !std::isnan(l->f)
        && !std::isnan(r->f))
        return result(l->f < r->f ? -1 : l->f > r->f ? 1 : 0);
    if (cls == tt::Cls::Str && l->op == Op::ConstStr && r->op == Op::ConstStr) {
        int c = l->s.compare(r->s);
        return result(c < 0 ? -1 : c > 0 ? 1 : 0);
    }
    tt::Expr* n = node(Op::Compare, bt_.booleanType, opPos);
    n->sub = static_cast<uint8_t>(cop);
    n->cls = cls;
    n->a = l;
    n->b = r;
    return n;
}

tt::Expr* Checker::setExpr(const ast::SetExpr& e, const Type* expected)
{
    const Type* elemType = expected != nullptr && expected->kind == TypeKind::Set ? expected->elem : nullptr;
    std::vector<tt::Expr*> parts;
    uint64_t bits[4] = {0, 0, 0, 0};
    bool allConst = true;
    for (const ast::SetElement& el : e.elements) {
        tt::Expr* lo = ordinalValue(el.low);
        tt::Expr* hi = el.high != nullptr ? ordinalValue(el.high) : nullptr;
        if (isError(lo) || (hi != nullptr && isError(hi)))
            return errorNode(e.pos);
        if (elemType == nullptr) {
            // The first element decides: integers make a set of Byte.
            elemType = isInteger(lo->type) ? bt_.byteType : lo->type;
        }
        for (tt::Expr* part : {lo, hi}) {
            if (part == nullptr)
                continue;
            if (!sameOrdinalFamily(part->type, elemType)) {
                incompatible(part->pos, elemType, part->type);
                return errorNode(e.pos);
            }
            if (part->op == Op::ConstInt && (part->i < 0 || part->i > 255)) {
                error(part->pos, "Set elements must be between 0 and 255");
                return errorNode(e.pos);
            }
        }
        if (lo->op == Op::ConstInt && (hi == nullptr || hi->op == Op::ConstInt)) {
            int64_t from = lo->i, to = hi != nullptr ? hi->i : lo->i;
            for (int64_t v = from; v <= to; ++v)
                bits[v >> 6] |= uint64_t(1) << (v & 63);
        } else {
            allConst = false;
        }
        parts.push_back(lo);
        parts.push_back(hi);
    }
    const Type* setType = nullptr;
    if (elemType == nullptr)
        setType = &emptySetType_;
    else if (expected != nullptr && expected->kind == TypeKind::Set)
        setType = expected;
    else
        setType = setOf(elemType->base != nullptr && !isInteger(elemType) ? ordinalBase(elemType) : elemType, {});
    if (allConst) {
        auto* stored = static_cast<uint64_t*>(arena_.allocate(32, 8));
        std::memcpy(stored, bits, 32);
        tt::Expr* c = node(Op::ConstSet, setType, e.pos);
        c->set = stored;
        return c;
    }
    tt::Expr* n = node(Op::SetCons, setType, e.pos);
    n->args = arena_.copy(parts);
    return n;
}

tt::Expr* Checker::arrayConstructor(const ast::SetExpr& e, const Type* target)
{
    std::vector<tt::Expr*> items;
    for (const ast::SetElement& el : e.elements) {
        if (el.high != nullptr) {
            error(el.high->pos, "Ranges are not allowed in an array constructor");
            return errorNode(e.pos);
        }
        tt::Expr* v = nullptr;
        if (target->kind == TypeKind::ConstArray) {
            v = expr(el.low);
            if (isError(v))
                return v;
            const Type* t = v->type;
            bool ok = isOrdinal(t) || isFloat(t) || isString(t) || isClass(t) || t->kind == TypeKind::Nil;
            if (!ok) {
                error(el.low->pos, "Values of type " + quoted(t->name) + " cannot be passed in an array of const");
                return errorNode(e.pos);
            }
        } else {
            v = coerce(expr(el.low, target->elem), target->elem, el.low->pos);
            if (isError(v))
                return v;
        }
        items.push_back(v);
    }
    // An open array argument is built as a dynamic array and passed by address and count.
    const Type* type = target->kind == TypeKind::OpenArray ? dynArrayOf(target->elem) : target;
    tt::Expr* n = node(Op::ArrayCons, type, e.pos);
    n->args = arena_.copy(items);
    return n;
}

}  // namespace shutterhand::pascal
