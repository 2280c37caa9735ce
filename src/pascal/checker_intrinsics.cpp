#include "pascal/checker_impl.h"

#include <cmath>
#include <cstdlib>

namespace shutterhand::pascal {

using tt::Intrinsic;
using tt::Op;

tt::Expr* Checker::intrinsic(Symbol* sym, std::span<ast::Expr* const> args, SourcePos pos, bool hasArgs)
{
    (void)hasArgs;
    auto id = static_cast<Intrinsic>(sym->intrinsic);
    auto make = [&](const Type* type, std::vector<tt::Expr*> items) {
        tt::Expr* n = node(Op::Intrinsic, type, pos);
        n->sub = static_cast<uint8_t>(id);
        n->args = arena_.copy(items);
        return n;
    };
    auto argCount = [&](std::size_t min, std::size_t max) {
        if (args.size() < min) {
            error(pos, "Not enough actual parameters");
            return false;
        }
        if (args.size() > max) {
            error(pos, "Too many actual parameters");
            return false;
        }
        return true;
    };
    // A type name given as the argument of Low, High (or a cast-like use).
    auto typeArgument = [&](const ast::Expr* a) -> const Type* {
        if (a->kind != ast::ExprKind::Name)
            return nullptr;
        auto* n = static_cast<const ast::NameExpr*>(a);
        Symbol* s = n->name.empty() ? nullptr : lookup(n->name);
        if (s != nullptr && s->kind == SymKind::Type)
            return s->type;
        if (s == nullptr && a->kind == ast::ExprKind::Name)
            return nullptr;
        return nullptr;
    };

    switch (id) {
    case Intrinsic::Inc:
    case Intrinsic::Dec: {
        if (!argCount(1, 2))
            return errorNode(pos);
        tt::Expr* v = expr(args[0]);
        if (isError(v))
            return v;
        if (!isOrdinal(v->type) || isBoolean(v->type)) {
            error(args[0]->pos, "Ordinal type required");
            return errorNode(pos);
        }
        if (!requireWritable(v, args[0]->pos))
            return errorNode(pos);
        tt::Expr* amount = nullptr;
        if (args.size() == 2) {
            amount = expr(args[1]);
            if (isError(amount))
                return amount;
            if (!isInteger(amount->type)) {
                incompatible(args[1]->pos, bt_.integerType, amount->type);
                return errorNode(pos);
            }
        } else {
            amount = constInt(1, bt_.integerType, pos);
        }
        return make(bt_.voidType, {v, amount});
    }
    case Intrinsic::Ord: {
        if (!argCount(1, 1))
            return errorNode(pos);
        tt::Expr* v = ordinalValue(args[0]);
        if (isError(v))
            return v;
        const Type* rt = v->type->ord == OrdKind::S64 ? bt_.int64Type
            : v->type->ord == OrdKind::U32            ? bt_.cardinalType
                                                      : bt_.integerType;
        if (v->op == Op::ConstInt)
            return constInt(v->i, rt, pos);
        tt::Expr* c = node(Op::Convert, rt, pos);
        c->sub = static_cast<uint8_t>(tt::Conv::OrdToOrd);
        c->a = v;
        return c;
    }
    case Intrinsic::Chr: {
        if (!argCount(1, 1))
            return errorNode(pos);
        tt::Expr* v = expr(args[0]);
        if (isError(v))
            return v;
        if (!isInteger(v->type)) {
            incompatible(args[0]->pos, bt_.integerType, v->type);
            return errorNode(pos);
        }
        if (v->op == Op::ConstInt)
            return constInt(static_cast<uint8_t>(v->i), bt_.charType, pos);
        tt::Expr* c = node(Op::Convert, bt_.charType, pos);
        c->sub = static_cast<uint8_t>(tt::Conv::Truncate);
        c->cls = clsOf(v->type);
        c->a = v;
        return c;
    }
    case Intrinsic::Succ:
    case Intrinsic::Pred:
    case Intrinsic::Odd: {
        if (!argCount(1, 1))
            return errorNode(pos);
        tt::Expr* v = ordinalValue(args[0]);
        if (isError(v))
            return v;
        if (id == Intrinsic::Odd) {
            if (!isInteger(v->type)) {
                incompatible(args[0]->pos, bt_.integerType, v->type);
                return errorNode(pos);
            }
            if (v->op == Op::ConstInt)
                return constInt((v->i & 1) != 0, bt_.booleanType, pos);
            return make(bt_.booleanType, {v});
        }
        if (v->op == Op::ConstInt) {
            int64_t r = v->i + (id == Intrinsic::Succ ? 1 : -1);
            if (r < v->type->low || r > v->type->high) {
                error(args[0]->pos, "Constant expression violates subrange bounds");
                return errorNode(pos);
            }
            return constInt(r, v->type, pos);
        }
        return make(v->type, {v});
    }
    case Intrinsic::Low:
    case Intrinsic::High: {
        if (!argCount(1, 1))
            return errorNode(pos);
        bool high = id == Intrinsic::High;
        const Type* t = typeArgument(args[0]);
        tt::Expr* v = nullptr;
        if (t == nullptr) {
            v = expr(args[0]);
            if (isError(v))
                return v;
            t = v->type;
        }
        if (t == &errorType_)
            return errorNode(pos);
        if (isOrdinal(t))
            return constInt(high ? t->high : t->low, t, pos);
        if (t->kind == TypeKind::StaticArray)
            return constInt(high ? t->high : t->low, t->index, pos);
        if (v != nullptr
            && (t->kind == TypeKind::DynArray || t->kind == TypeKind::OpenArray || t->kind == TypeKind::String)) {
            if (!high)
                return constInt(t->kind == TypeKind::String ? 1 : 0, bt_.integerType, pos);
            return make(bt_.integerType, {v});
        }
        error(args[0]->pos, "Ordinal or array type required");
        return errorNode(pos);
    }
    case Intrinsic::Length: {
        if (!argCount(1, 1))
            return errorNode(pos);
        tt::Expr* v = expr(args[0]);
        if (isError(v))
            return v;
        const Type* t = v->type;
        if (t->kind == TypeKind::StaticArray)
            return constInt(ordinalCount(t), bt_.integerType, pos);
        if (v->op == Op::ConstStr)
            return constInt(static_cast<int64_t>(v->s.size()), bt_.integerType, pos);
        if (isChar(t))
            return constInt(1, bt_.integerType, pos);
        if (t->kind == TypeKind::String || t->kind == TypeKind::DynArray || t->kind == TypeKind::OpenArray)
            return make(bt_.integerType, {v});
        error(args[0]->pos, "String or array type required");
        return errorNode(pos);
    }
    case Intrinsic::SetLength: {
        if (args.size() < 2) {
            error(pos, "Not enough actual parameters");
            return errorNode(pos);
        }
        tt::Expr* v = expr(args[0]);
        if (isError(v))
            return v;
        if (!requireWritable(v, args[0]->pos))
            return errorNode(pos);
        const Type* t = v->type;
        std::size_t dims = 0;
        for (const Type* d = t; d->kind == TypeKind::DynArray; d = d->elem)
            ++dims;
        if (t->kind == TypeKind::String)
            dims = 1;
        if (dims == 0) {
            error(args[0]->pos, "String or dynamic array type required");
            return errorNode(pos);
        }
        if (args.size() - 1 > dims) {
            error(pos, "Too many actual parameters");
            return errorNode(pos);
        }
        std::vector<tt::Expr*> items{v};
        for (std::size_t i = 1; i < args.size(); ++i) {
            tt::Expr* n = expr(args[i]);
            if (isError(n))
                return n;
            if (!isInteger(n->type)) {
                incompatible(args[i]->pos, bt_.integerType, n->type);
                return errorNode(pos);
            }
            items.push_back(n);
        }
        return make(bt_.voidType, items);
    }
    case Intrinsic::Copy: {
        if (!argCount(2, 3))
            return errorNode(pos);
        tt::Expr* v = expr(args[0]);
        if (isError(v))
            return v;
        if (isChar(v->type))
            v = coerce(v, bt_.stringType, args[0]->pos);
        if (v->type->kind != TypeKind::String && v->type->kind != TypeKind::DynArray) {
            error(args[0]->pos, "String or dynamic array type required");
            return errorNode(pos);
        }
        std::vector<tt::Expr*> items{v};
        for (std::size_t i = 1; i < args.size(); ++i) {
            tt::Expr* n = coerce(expr(args[i]), bt_.int64Type, args[i]->pos);
            if (isError(n))
                return n;
            items.push_back(n);
        }
        if (args.size() == 2)
            items.push_back(constInt(2147483647, bt_.int64Type, pos));
        return make(v->type, items);
    }
    case Intrinsic::Abs:
    case Intrinsic::Sqr: {
        if (!argCount(1, 1))
            return errorNode(pos);
        tt::Expr* v = expr(args[0]);
        if (isError(v))
            return v;
        if (isInteger(v->type)) {
            const Type* rt
                = v->type->ord == OrdKind::S64 || v->type->ord == OrdKind::U32 ? bt_.int64Type : bt_.integerType;
            if (v->op == Op::ConstInt) {
                uint64_t x = static_cast<uint64_t>(v->i);
                int64_t r = id == Intrinsic::Abs ? (v->i < 0 ? static_cast<int64_t>(0 - x) : v->i)
                                                 : static_cast<int64_t>(x * x);
                if (rt == bt_.integerType)
                    r = static_cast<int32_t>(r);
                return constInt(r, rt, pos);
            }
            v = coerce(v, rt, args[0]->pos);
            tt::Expr* n = make(rt, {v});
            n->cls = clsOf(rt);
            return n;
        }
        if (isFloat(v->type)) {
            if (v->op == Op::ConstFloat)
                return constFloat(id == Intrinsic::Abs ? std::fabs(v->f) : v->f * v->f, pos);
            tt::Expr* n = make(bt_.extendedType, {v});
            n->cls = tt::Cls::F64;
            return n;
        }
        error(args[0]->pos, "Numeric type required");
        return errorNode(pos);
    }
    case Intrinsic::Min:
    case Intrinsic::Max: {
        if (!argCount(2, 2))
            return errorNode(pos);
        tt::Expr* a = expr(args[0]);
        tt::Expr* b = expr(args[1]);
        if (isError(a) || isError(b))
            return errorNode(pos);
        if (!isNumeric(a->type) || !isNumeric(b->type)) {
            error(!isNumeric(a->type) ? args[0]->pos : args[1]->pos, "Numeric type required");
            return errorNode(pos);
        }
        bool isMax = id == Intrinsic::Max;
        if (isFloat(a->type) || isFloat(b->type)) {
            a = coerce(a, bt_.extendedType, args[0]->pos);
            b = coerce(b, bt_.extendedType, args[1]->pos);
            if (a->op == Op::ConstFloat && b->op == Op::ConstFloat)
                return constFloat(isMax ? (a->f > b->f ? a->f : b->f) : (a->f < b->f ? a->f : b->f), pos);
            tt::Expr* n = make(bt_.extendedType, {a, b});
            n->cls = tt::Cls::F64;
            return n;
        }
        const Type* rt = (a->type->ord == OrdKind::S64 || b->type->ord == OrdKind::S64 || a->type->ord == OrdKind::U32
                          || b->type->ord == OrdKind::U32)
            ? bt_.int64Type
            : bt_.integerType;
        if (a->op == Op::ConstInt && b->op == Op::ConstInt)
            return constInt(isMax ? std::max(a->i, b->i) : std::min(a->i, b->i), rt, pos);
        tt::Expr* n = make(rt, {a, b});
        n->cls = tt::Cls::I64;
        return n;
    }
    case Intrinsic::Exit: {
        if (!argCount(0, 1))
            return errorNode(pos);
        std::vector<tt::Expr*> items;
        if (args.size() == 1) {
            if (routine_->level == 0 || !routine_->isFunction) {
                error(args[0]->pos, "Exit with a value is only allowed in functions");
                return errorNode(pos);
            }
            tt::Expr* v = coerce(expr(args[0], routine_->sig.result), routine_->sig.result, args[0]->pos);
            if (isError(v))
                return v;
            items.push_back(v);
        }
        return make(bt_.voidType, items);
    }
    case Intrinsic::Break:
    case Intrinsic::Continue:
        if (!argCount(0, 0))
            return errorNode(pos);
        if (loopDepth_ == 0) {
            error(pos, std::string(id == Intrinsic::Break ? "Break" : "Continue") + " outside of a loop");
            return errorNode(pos);
        }
        return make(bt_.voidType, {});
    case Intrinsic::Assigned: {
        if (!argCount(1, 1))
            return errorNode(pos);
        tt::Expr* v = expr(args[0]);
        if (isError(v))
            return v;
        if (!isClass(v->type) && v->type->kind != TypeKind::DynArray && v->type->kind != TypeKind::Nil) {
            error(args[0]->pos, "Class or dynamic array type required");
            return errorNode(pos);
        }
        return make(bt_.booleanType, {v});
    }
    case Intrinsic::FreeAndNil: {
        if (!argCount(1, 1))
            return errorNode(pos);
        tt::Expr* v = expr(args[0]);
        if (isError(v))
            return v;
        if (!isClass(v->type)) {
            error(args[0]->pos, "Class type required");
            return errorNode(pos);
        }
        if (!requireWritable(v, args[0]->pos))
            return errorNode(pos);
        return make(bt_.voidType, {v});
    }
    case Intrinsic::Include:
    case Intrinsic::Exclude: {
        if (!argCount(2, 2))
            return errorNode(pos);
        tt::Expr* s = expr(args[0]);
        if (isError(s))
            return s;
        if (s->type->kind != TypeKind::Set) {
            error(args[0]->pos, "Set type required");
            return errorNode(pos);
        }
        if (!requireWritable(s, args[0]->pos))
            return errorNode(pos);
        tt::Expr* e = coerce(ordinalValue(args[1]), s->type->elem, args[1]->pos);
        if (isError(e))
            return e;
        return make(bt_.voidType, {s, e});
    }
    case Intrinsic::Random: {
        if (!argCount(0, 1))
            return errorNode(pos);
        if (args.empty())
            return make(bt_.extendedType, {});
        tt::Expr* n = expr(args[0]);
        if (isError(n))
            return n;
        if (!isInteger(n->type)) {
            incompatible(args[0]->pos, bt_.integerType, n->type);
            return errorNode(pos);
        }
        const Type* rt = n->type->ord == OrdKind::S64 ? bt_.int64Type : bt_.integerType;
        return make(rt, {coerce(n, bt_.int64Type, args[0]->pos)});
    }
    case Intrinsic::None:
        break;
    }
    error(pos, "Unsupported routine");
    return errorNode(pos);
}

}  // namespace shutterhand::pascal
