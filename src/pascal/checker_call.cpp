#include "pascal/checker_impl.h"

namespace shutterhand::pascal {

using tt::Op;

tt::Expr* Checker::argument(const Param& param, const ast::Expr* arg)
{
    const Type* pt = param.type;
    if (pt->kind == TypeKind::ConstArray) {
        if (arg->kind == ast::ExprKind::Set)
            return arrayConstructor(*static_cast<const ast::SetExpr*>(arg), pt);
        tt::Expr* e = expr(arg);
        if (!isError(e) && e->type->kind != TypeKind::ConstArray) {
            error(arg->pos, "An array constructor [...] is expected here");
            return errorNode(arg->pos);
        }
        return e;
    }
    if (pt->kind == TypeKind::OpenArray) {
        if (arg->kind == ast::ExprKind::Set && !param.byRef())
            return arrayConstructor(*static_cast<const ast::SetExpr*>(arg), pt);
        tt::Expr* e = expr(arg);
        if (isError(e))
            return e;
        const Type* t = e->type;
        bool ok = (t->kind == TypeKind::StaticArray || t->kind == TypeKind::DynArray || t->kind == TypeKind::OpenArray)
            && (t->elem == pt->elem
                || (t->elem->kind == pt->elem->kind && t->elem->kind != TypeKind::Record
                    && t->elem->kind != TypeKind::StaticArray && t->elem->kind != TypeKind::DynArray
                    && t->elem->slots == pt->elem->slots
                    && (t->elem->kind != TypeKind::Ordinal || t->elem->ord == pt->elem->ord)
                    && t->elem->single == pt->elem->single
                    && (t->elem->kind != TypeKind::Class || t->elem->cls == pt->elem->cls)));
        if (!ok) {
            incompatible(arg->pos, pt, t);
            return errorNode(arg->pos);
        }
        if (param.byRef() && !requireWritable(e, arg->pos))
            return errorNode(arg->pos);
        if (param.byRef() && t->kind == TypeKind::OpenArray && e->op == Op::Var && e->sym->readOnly) {
            error(arg->pos, "Left side cannot be assigned to");
            return errorNode(arg->pos);
        }
        return e;
    }
    if (param.byRef()) {
        tt::Expr* e = expr(arg);
        if (isError(e))
            return e;
        if (!requireWritable(e, arg->pos))
            return errorNode(arg->pos);
        const Type* t = e->type;
        bool same = t == pt
            || (isOrdinal(t) && isOrdinal(pt) && t->ord == pt->ord && t->low == pt->low && t->high == pt->high
                && sameOrdinalFamily(t, pt))
            || (isFloat(t) && isFloat(pt) && t->single == pt->single) || (isString(t) && isString(pt))
            || (isClass(t) && isClass(pt) && t->cls == pt->cls)
            || (t->kind == TypeKind::DynArray && pt->kind == TypeKind::DynArray && t->elem == pt->elem);
        if (!same) {
            error(arg->pos, "Types of actual and formal var parameters must be identical");
            return errorNode(arg->pos);
        }
        return e;
    }
    return coerce(expr(arg, pt), pt, arg->pos);
}

bool Checker::checkArgs(const Signature& sig, std::span<ast::Expr* const> args, SourcePos namePos,
                        std::string_view routineName, ArgList& out, std::size_t firstParam)
{
    (void)routineName;
    std::size_t count = sig.params.size() - firstParam;
    if (args.size() > count) {
        error(namePos, "Too many actual parameters");
        return false;
    }
    if (args.size() + firstParam < static_cast<std::size_t>(sig.minArgs)) {
        error(namePos, "Not enough actual parameters");
        return false;
    }
    bool ok = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        tt::Expr* a = argument(sig.params[firstParam + i], args[i]);
        if (isError(a))
            ok = false;
        out.push_back(a);
    }
    for (std::size_t i = firstParam + args.size(); i < sig.params.size(); ++i) {
        const Param& p = sig.params[i];
        tt::Expr* d = nullptr;
        switch (p.type->kind) {
        case TypeKind::Float:
            d = constFloat(p.defaultValue.f, namePos);
            d->type = p.type;
            break;
        case TypeKind::String:
            d = constStr(p.defaultValue.s, namePos);
            break;
        case TypeKind::Set:
            d = node(Op::ConstSet, p.type, namePos);
            d->set = p.defaultValue.set;
            break;
        case TypeKind::Class:
        case TypeKind::DynArray:
        case TypeKind::Nil:
            d = node(Op::ConstNil, p.type, namePos);
            break;
        default:
            d = constInt(p.defaultValue.i, p.type, namePos);
            break;
        }
        out.push_back(d);
    }
    return ok;
}

tt::Expr* Checker::callRoutine(Symbol* sym, std::span<ast::Expr* const> args, SourcePos pos)
{
    const RoutineInfo* r = sym->routine;
    ArgList out;
    if (!checkArgs(r->sig, args, pos, r->name, out))
        return errorNode(pos);
    tt::Expr* c = node(Op::CallScript, r->sig.result != nullptr ? r->sig.result : bt_.voidType, pos);
    c->routine = r;
    c->sig = &r->sig;
    c->args = arena_.copy(out.span());
    return c;
}

tt::Expr* Checker::callNative(const Signature& sig, Binding binding, tt::Expr* self, std::span<ast::Expr* const> args,
                              SourcePos pos, std::string_view name)
{
    ArgList out;
    if (!checkArgs(sig, args, pos, name, out))
        return errorNode(pos);
    tt::Expr* c = node(Op::CallNative, sig.result != nullptr ? sig.result : bt_.voidType, pos);
    c->sig = &sig;
    c->binding = binding;
    c->a = self;
    c->args = arena_.copy(out.span());
    c->s = name;
    return c;
}

tt::Expr* Checker::callExpr(const ast::CallExpr& e)
{
    const ast::Expr* callee = e.callee;
    if (callee->kind == ast::ExprKind::Name) {
        auto* n = static_cast<const ast::NameExpr*>(callee);
        if (n->name.empty())
            return errorNode(e.pos);
        Symbol* sym = lookup(n->name);
        if (sym == nullptr) {
            error(n->pos, "Unknown identifier " + quoted(n->name));
            return errorNode(e.pos);
        }
        switch (sym->kind) {
        case SymKind::Type:
            return castExpr(sym->type, e);
        case SymKind::Routine:
            return callRoutine(sym, e.args, n->pos);
        case SymKind::Native:
            return callNative(*sym->sig, sym->binding, nullptr, e.args, n->pos, sym->name);
        case SymKind::Intrinsic:
            return intrinsic(sym, e.args, n->pos, true);
        case SymKind::Field:
            if (sym->member != nullptr) {
                tt::Expr* obj = node(Op::WithBase, sym->type, n->pos);
                obj->i = sym->withIndex;
                ast::Ident id{n->name, n->pos};
                return classMember(obj, sym->type->cls, id, e.args, true, false);
            }
            [[fallthrough]];
        default:
            error(n->pos, quoted(n->name) + " is not a routine");
            return errorNode(e.pos);
        }
    }
    if (callee->kind == ast::ExprKind::Member)
        return memberExpr(*static_cast<const ast::MemberExpr*>(callee), e.args, true);
    tt::Expr* c = expr(callee);
    if (!isError(c))
        error(e.pos, "Routine name expected");
    return errorNode(e.pos);
}

tt::Expr* Checker::castExpr(const Type* target, const ast::CallExpr& e)
{
    if (target == &errorType_)
        return errorNode(e.pos);
    if (e.args.size() != 1) {
        error(e.callee->pos, e.args.empty() ? "Not enough actual parameters" : "Too many actual parameters");
        return errorNode(e.pos);
    }
    tt::Expr* a = expr(e.args[0]);
    if (isError(a))
        return a;
    const Type* src = a->type;
    auto invalid = [&]() {
        error(e.pos, "Invalid type cast from " + quoted(src->name) + " to " + quoted(target->name));
        return errorNode(e.pos);
    };
    switch (target->kind) {
    case TypeKind::Ordinal: {
        if (!isOrdinal(src))
            return invalid();
        if (a->op == Op::ConstInt) {
            tt::Expr* c = constInt(truncateOrdinal(target->ord, a->i), target, e.pos);
            return c;
        }
        tt::Expr* c = node(Op::Convert, target, e.pos);
        c->cls = clsOf(src);
        bool fits = src->low >= target->low && src->high <= target->high;
        c->sub = static_cast<uint8_t>(fits ? tt::Conv::OrdToOrd : tt::Conv::Truncate);
        c->a = a;
        return c;
    }
    case TypeKind::Float:
        if (!isNumeric(src))
            return invalid();
        return coerce(a, target, e.pos);
    case TypeKind::String:
        if (!isString(src) && !isChar(src))
            return invalid();
        return coerce(a, target, e.pos);
    case TypeKind::Class: {
        if (src->kind == TypeKind::Nil)
            return node(Op::ConstNil, target, e.pos);
        if (!isClass(src))
            return invalid();
        if (classDescendsFrom(src->cls, target->cls)) {
            tt::Expr* c = arena_.make<tt::Expr>(*a);
            c->type = target;
            return c;
        }
        tt::Expr* c = node(Op::ClassCast, target, e.pos);
        c->a = a;
        c->cls2 = target->cls;
        return c;
    }
    default:
        if (src == target)
            return a;
        return invalid();
    }
}

}  // namespace shutterhand::pascal
