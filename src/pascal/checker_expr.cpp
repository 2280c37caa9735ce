#include "pascal/checker_impl.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace shutterhand::pascal {

using tt::Op;

// ---------------- node helpers ----------------

tt::Expr* Checker::node(Op op, const Type* type, SourcePos pos)
{
    tt::Expr* e = arena_.make<tt::Expr>();
    e->op = op;
    e->type = type;
    e->pos = pos;
    return e;
}

tt::Expr* Checker::errorNode(SourcePos pos) { return node(Op::ConstInt, &errorType_, pos); }

tt::Expr* Checker::constInt(int64_t value, const Type* type, SourcePos pos)
{
    tt::Expr* e = node(Op::ConstInt, type, pos);
    e->i = value;
    return e;
}

tt::Expr* Checker::constFloat(double value, SourcePos pos)
{
    tt::Expr* e = node(Op::ConstFloat, bt_.extendedType, pos);
    e->f = value;
    return e;
}

tt::Expr* Checker::constStr(std::string_view value, SourcePos pos)
{
    tt::Expr* e = node(Op::ConstStr, bt_.stringType, pos);
    e->s = value;
    return e;
}

tt::Stmt* Checker::snode(tt::SOp op, SourcePos pos)
{
    tt::Stmt* s = arena_.make<tt::Stmt>();
    s->op = op;
    s->pos = pos;
    return s;
}

tt::Cls Checker::clsOf(const Type* t) const
{
    switch (t->kind) {
    case TypeKind::Ordinal:
        switch (t->ord) {
        case OrdKind::S64:
            return tt::Cls::I64;
        case OrdKind::U32:
            return tt::Cls::U32;
        case OrdKind::Bool:
            return tt::Cls::Bool;
        case OrdKind::Char:
            return tt::Cls::Char;
        case OrdKind::Enum:
            return tt::Cls::Enum;
        default:
            return tt::Cls::I32;
        }
    case TypeKind::Float:
        return tt::Cls::F64;
    case TypeKind::String:
        return tt::Cls::Str;
    case TypeKind::Set:
        return tt::Cls::Set;
    default:
        return tt::Cls::Obj;
    }
}

bool Checker::isLvalue(const tt::Expr* e) const
{
    switch (e->op) {
    case Op::Var:
        return e->sym->kind == SymKind::Var;
    case Op::WithBase:
        return e->byRef;
    case Op::Field:
    case Op::Index:
        return isLvalue(e->a);
    case Op::DynIndex:
    case Op::OpenIndex:
        return true;
    default:
        return false;
    }
}

bool Checker::requireVariable(const tt::Expr* e, SourcePos pos, bool assignment)
{
    if (isError(e))
        return false;
    if (!isLvalue(e)) {
        error(pos, assignment ? "Left side cannot be assigned to" : "Variable required");
        return false;
    }
    return true;
}

bool Checker::requireWritable(const tt::Expr* e, SourcePos pos, bool assignment)
{
    if (!requireVariable(e, pos, assignment))
        return false;
    // Walk to the root variable: a read-only root makes the whole path read-only.
    const tt::Expr* root = e;
    while (root->op == Op::Field || root->op == Op::Index)
        root = root->a;
    if (root->op == Op::Var) {
        const Symbol* sym = root->sym;
        if (sym->isLoopVar) {
            for (const Symbol* v : loopVars_) {
                if (v == sym) {
                    error(pos, "For loop control variable " + quoted(sym->name) + " cannot be assigned");
                    return false;
                }
            }
        }
        if (sym->readOnly && root == e) {
            error(pos, "Left side cannot be assigned to");
            return false;
        }
        if (sym->readOnly && (root->type->kind != TypeKind::OpenArray || !sym->byRef)) {
            error(pos, "Left side cannot be assigned to");
            return false;
        }
    }
    if (root->op == Op::OpenIndex || e->op == Op::OpenIndex) {
        const tt::Expr* arr = e->op == Op::OpenIndex ? e->a : root->a;
        if (arr->op == Op::Var && arr->sym->readOnly) {
            error(pos, "Left side cannot be assigned to");
            return false;
        }
    }
    return true;
}

tt::Expr* Checker::variableRef(Symbol* sym, SourcePos pos)
{
    sym->used = true;
    if (sym->kind == SymKind::Field) {
        // A record field named inside "with".
        const Type* recType = nullptr;
        for (Scope* s = scope_; s != nullptr; s = s->parent) {
            if (s->withType != nullptr && s->withSlot == sym->withIndex) {
                recType = s->withType;
                break;
            }
        }
        tt::Expr* base = node(Op::WithBase, recType, pos);
        base->i = sym->withIndex;
        base->byRef = sym->byRef;
        return fieldOf(base, sym->field, pos);
    }
    tt::Expr* e = node(Op::Var, sym->type, pos);
    e->sym = sym;
    return e;
}

tt::Expr* Checker::fieldOf(tt::Expr* record, const Field* field, SourcePos pos)
{
    tt::Expr* e = node(Op::Field, field->type, pos);
    e->a = record;
    e->i = field->offset;
    return e;
}

// ---------------- coercion ----------------

tt::Expr* Checker::coerce(tt::Expr* e, const Type* target, SourcePos pos)
{
    if (isError(e) || target == &errorType_)
        return isError(e) ? e : errorNode(pos);
    const Type* src = e->type;
    if (src == target)
        return e;
    switch (target->kind) {
    case TypeKind::Ordinal:
        if (!sameOrdinalFamily(target, src))
            break;
        if (e->op == Op::ConstInt) {
            if (e->i < target->low || e->i > target->high) {
                error(pos, "Constant expression violates subrange bounds");
                return errorNode(pos);
            }
            tt::Expr* c = constInt(e->i, target, e->pos);
            c->s = e->s;
            return c;
        }
        if (src->low >= target->low && src->high <= target->high) {
            return e;  // every value of the source fits; the representation is the same
        } else {
            tt::Expr* c = node(Op::Convert, target, e->pos);
            c->sub = static_cast<uint8_t>(tt::Conv::Truncate);
            c->cls = clsOf(src);
            c->a = e;
            return c;
        }
    case TypeKind::Float:
        if (isInteger(src)) {
            if (e->op == Op::ConstInt) {
                tt::Expr* c = constFloat(static_cast<double>(e->i), e->pos);
                c->type = target;
                if (target->single)
                    c->f = static_cast<float>(c->f);
                return c;
            }
            tt::Expr* c = node(Op::Convert, target, e->pos);
            c->sub = static_cast<uint8_t>(tt::Conv::IntToFloat);
            c->cls = clsOf(src);
            c->a = e;
            return c;
        }
        if (isFloat(src)) {
            if (e->op == Op::ConstFloat) {
                tt::Expr* c = constFloat(target->single ? static_cast<float>(e->f) : e->f, e->pos);
                c->type = target;
                return c;
            }
            if (target->single && !src->single) {
                tt::Expr* c = node(Op::Convert, target, e->pos);
                c->sub = static_cast<uint8_t>(tt::Conv::ToSingle);
                c->cls = tt::Cls::F64;
                c->a = e;
                return c;
            }
            return e;
        }
        break;
    case TypeKind::String:
        if (isString(src))
            return e;
        if (isChar(src)) {
            if (e->op == Op::ConstInt) {
                char ch = static_cast<char>(e->i);
                return constStr(arena_.copy(std::string_view(&ch, 1)), e->pos);
            }
            tt::Expr* c = node(Op::Convert, target, e->pos);
            c->sub = static_cast<uint8_t>(tt::Conv::CharToStr);
            c->cls = tt::Cls::Char;
            c->a = e;
            return c;
        }
        break;
    case TypeKind::Set:
        if (src->kind == TypeKind::Set && (src->elem == nullptr || sameOrdinalFamily(src->elem, target->elem))) {
            if (e->op == Op::ConstSet) {
                // Constant elements outside the target's range are an error, as for ordinals.
                for (int bit = 0; bit < 256; ++bit) {
                    if ((e->set[bit >> 6] >> (bit & 63)) & 1) {
                        if (bit < target->elem->low || bit > target->elem->high) {
                            error(pos, "Constant expression violates subrange bounds");
                            return errorNode(pos);
                        }
                    }
                }
            }
            tt::Expr* c = arena_.make<tt::Expr>(*e);
            c->type = target;
            return c;
        }
        break;
    case TypeKind::Class:
        if (src->kind == TypeKind::Nil) {
            tt::Expr* c = node(Op::ConstNil, target, e->pos);
            return c;
        }
        if (isClass(src) && classDescendsFrom(src->cls, target->cls))
            return e;
        break;
    case TypeKind::DynArray:
        if (src->kind == TypeKind::Nil)
            return node(Op::ConstNil, target, e->pos);
        if (src->kind == TypeKind::DynArray && src->elem == target->elem)
            return e;
        break;
    default:
        break;
    }
    incompatible(pos, target, src);
    return errorNode(pos);
}

tt::Expr* Checker::condition(const ast::Expr* e)
{
    tt::Expr* c = expr(e);
    if (isError(c))
        return c;
    if (!isBoolean(c->type)) {
        error(e->pos, "Boolean expression expected, but " + quoted(c->type->name) + " found");
        return errorNode(e->pos);
    }
    return c;
}

tt::Expr* Checker::ordinalValue(const ast::Expr* e)
{
    tt::Expr* c = expr(e);
    if (isError(c))
        return c;
    if (!isOrdinal(c->type)) {
        error(e->pos, "Ordinal type required");
        return errorNode(e->pos);
    }
    return c;
}

bool Checker::constInt(const ast::Expr* e, int64_t& value, const Type** type)
{
    tt::Expr* c = expr(e);
    if (isError(c))
        return false;
    if (c->op != Op::ConstInt) {
        error(e->pos, "Constant expression expected");
        return false;
    }
    if (!isOrdinal(c->type)) {
        error(e->pos, "Ordinal type required");
        return false;
    }
    value = c->i;
    if (type != nullptr)
        *type = c->type;
    return true;
}

// ---------------- expressions ----------------

tt::Expr* Checker::expr(const ast::Expr* e, const Type* expected)
{
    switch (e->kind) {
    case ast::ExprKind::IntLit: {
        auto* lit = static_cast<const ast::IntLitExpr*>(e);
        if (lit->value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            error(e->pos, "Integer constant too large");
            return errorNode(e->pos);
        }
        int64_t v = static_cast<int64_t>(lit->value);
        return constInt(v, fitsInt32(v) ? bt_.integerType : bt_.int64Type, e->pos);
    }
    case ast::ExprKind::RealLit:
        return constFloat(static_cast<const ast::RealLitExpr*>(e)->value, e->pos);
    case ast::ExprKind::StrLit: {
        std::string_view v = static_cast<const ast::StrLitExpr*>(e)->value;
        if (v.size() == 1) {
            tt::Expr* c = constInt(static_cast<uint8_t>(v[0]), bt_.charType, e->pos);
            c->s = v;
            return c;
        }
        return constStr(v, e->pos);
    }
    case ast::ExprKind::Nil:
        return node(Op::ConstNil, bt_.nilType, e->pos);
    case ast::ExprKind::Paren: {
        tt::Expr* inner = expr(static_cast<const ast::ParenExpr*>(e)->inner, expected);
        return inner;
    }
    case ast::ExprKind::Name:
        return nameExpr(*static_cast<const ast::NameExpr*>(e), false);
    case ast::ExprKind::Member:
        return memberExpr(*static_cast<const ast::MemberExpr*>(e), {}, false);
    case ast::ExprKind::Index:
        return indexExpr(*static_cast<const ast::IndexExpr*>(e));
    case ast::ExprKind::Call:
        return callExpr(*static_cast<const ast::CallExpr*>(e));
    case ast::ExprKind::Unary:
        return unaryExpr(*static_cast<const ast::UnaryExpr*>(e));
    case ast::ExprKind::Binary:
        return binaryExpr(*static_cast<const ast::BinaryExpr*>(e));
    case ast::ExprKind::ConstList:
        error(e->pos, "Constant expression expected");
        return errorNode(e->pos);
    case ast::ExprKind::Set: {
        auto* s = static_cast<const ast::SetExpr*>(e);
        if (expected != nullptr
            && (expected->kind == TypeKind::OpenArray || expected->kind == TypeKind::DynArray
                || expected->kind == TypeKind::ConstArray))
            return arrayConstructor(*s, expected);
        return setExpr(*s, expected);
    }
    }
    return errorNode(e->pos);
}

tt::Expr* Checker::nameExpr(const ast::NameExpr& e, bool callee)
{
    (void)callee;
    if (e.name.empty())
        return errorNode(e.pos);  // a syntax error was reported where the name should be
    Symbol* sym = lookup(e.name);
    if (sym == nullptr) {
        error(e.pos, "Unknown identifier " + quoted(e.name));
        return errorNode(e.pos);
    }
    switch (sym->kind) {
    case SymKind::Const: {
        if (sym->type == &errorType_)
            return errorNode(e.pos);
        tt::Expr* c = nullptr;
        switch (sym->type->kind) {
        case TypeKind::Float:
            c = constFloat(sym->value.f, e.pos);
            c->type = sym->type;
            return c;
        case TypeKind::String:
            c = constStr(sym->value.s, e.pos);
            c->type = sym->type;
            return c;
        case TypeKind::Set:
            c = node(Op::ConstSet, sym->type, e.pos);
            c->set = sym->value.set;
            return c;
        case TypeKind::Nil:
        case TypeKind::Class:
            return node(Op::ConstNil, sym->type, e.pos);
        default:
            c = constInt(sym->value.i, sym->type, e.pos);
            c->s = sym->value.s;
            return c;
        }
    }
    case SymKind::Var:
    case SymKind::Field:
        if (sym->kind == SymKind::Field && sym->member != nullptr) {
            tt::Expr* obj = node(Op::WithBase, sym->type, e.pos);
            obj->i = sym->withIndex;
            ast::Ident id{e.name, e.pos};
            return classMember(obj, sym->type->cls, id, {}, false, false);
        }
        return variableRef(sym, e.pos);
    case SymKind::Type:
        if (sym->type->kind == TypeKind::Class) {
            tt::Expr* c = node(Op::ClassRefValue, sym->type->cls->refType, e.pos);
            c->cls2 = sym->type->cls;
            return c;
        }
        error(e.pos, "Type " + quoted(e.name) + " is not a value");
        return errorNode(e.pos);
    case SymKind::Routine:
        return callRoutine(sym, {}, e.pos);
    case SymKind::Native:
        return callNative(*sym->sig, sym->binding, nullptr, {}, e.pos, sym->name);
    case SymKind::Intrinsic:
        return intrinsic(sym, {}, e.pos, false);
    }
    return errorNode(e.pos);
}

tt::Expr* Checker::memberExpr(const ast::MemberExpr& e, std::span<ast::Expr* const> args, bool hasArgs)
{
    // A class name before the dot: a constructor call such as TStringList.Create.
    if (e.object->kind == ast::ExprKind::Name) {
        auto* n = static_cast<const ast::NameExpr*>(e.object);
        Symbol* sym = n->name.empty() ? nullptr : lookup(n->name);
        if (sym != nullptr && sym->kind == SymKind::Type && sym->type->kind == TypeKind::Class)
            return classMember(nullptr, sym->type->cls, e.member, args, hasArgs, true);
    }
    tt::Expr* obj = expr(e.object);
    if (isError(obj))
        return obj;
    if (e.member.name.empty())
        return errorNode(e.member.pos);
    const Type* t = obj->type;
    if (t->kind == TypeKind::Record) {
        for (const Field& f : t->record->fields) {
            if (identEqual(f.name, e.member.name)) {
                if (hasArgs) {
                    error(e.member.pos, quoted(f.name) + " is a field, not a routine");
                    return errorNode(e.member.pos);
                }
                return fieldOf(obj, &f, e.pos);
            }
        }
        error(e.member.pos, quoted(t->name) + " has no field " + quoted(e.member.name));
        return errorNode(e.member.pos);
    }
    if (t->kind == TypeKind::Class)
        return classMember(obj, t->cls, e.member, args, hasArgs, false);
    if (t->kind == TypeKind::ClassRef)
        return classMember(nullptr, t->cls, e.member, args, hasArgs, true);
    error(e.member.pos, "Record, object or class type required");
    return errorNode(e.member.pos);
}

tt::Expr* Checker::classMember(tt::Expr* object, const ClassInfo* cls, const ast::Ident& name,
                               std::span<ast::Expr* const> args, bool hasArgs, bool classRef)
{
    const Member* m = cls->findMember(name.name);
    if (m == nullptr) {
        error(name.pos, quoted(cls->name) + " has no member " + quoted(name.name));
        return errorNode(name.pos);
    }
    switch (m->kind) {
    case MemberKind::Constructor: {
        if (!classRef) {
            error(name.pos,
                  "Constructors are called on a class, as in " + std::string(cls->name) + "." + std::string(m->name));
            return errorNode(name.pos);
        }
        if (m->owner != cls) {
            error(name.pos,
                  "Class " + quoted(cls->name)
                      + " has no constructor of its own; objects of it "
                        "cannot be created by scripts");
            return errorNode(name.pos);
        }
        ArgList out;
        if (!checkArgs(*m->sig, args, name.pos, m->name, out))
            return errorNode(name.pos);
        tt::Expr* c = node(Op::Construct, cls->instanceType, name.pos);
        c->member = m;
        c->cls2 = cls;
        c->sig = m->sig;
        c->binding = m->call;
        c->args = arena_.copy(out.span());
        return c;
    }
    case MemberKind::Method: {
        if (classRef) {
            error(name.pos, "Method " + quoted(m->name) + " needs an object");
            return errorNode(name.pos);
        }
        tt::Expr* c = callNative(*m->sig, m->call, object, args, name.pos, m->name);
        if (!isError(c))
            c->member = m;
        return c;
    }
    case MemberKind::Property: {
        if (classRef) {
            error(name.pos, "Property " + quoted(m->name) + " needs an object");
            return errorNode(name.pos);
        }
        if (hasArgs) {
            error(name.pos, quoted(m->name) + " is a property, not a routine");
            return errorNode(name.pos);
        }
        if (m->getSig == nullptr) {
            error(name.pos, "Property " + quoted(m->name) + " cannot be read");
            return errorNode(name.pos);
        }
        if (m->getSig->params.size() > 0) {
            error(name.pos, "Property " + quoted(m->name) + " needs an index in brackets");
            return errorNode(name.pos);
        }
        tt::Expr* c = node(Op::PropGet, m->propType, name.pos);
        c->member = m;
        c->a = object;
        c->sig = m->getSig;
        c->binding = m->getter;
        return c;
    }
    }
    return errorNode(name.pos);
}

tt::Expr* Checker::indexExpr(const ast::IndexExpr& e)
{
    // An indexed property named inside "with": Strings[i].
    if (e.object->kind == ast::ExprKind::Name) {
        auto* n = static_cast<const ast::NameExpr*>(e.object);
        Symbol* sym = n->name.empty() ? nullptr : lookup(n->name);
        if (sym != nullptr && sym->kind == SymKind::Field && sym->member != nullptr
            && sym->member->kind == MemberKind::Property && sym->member->getSig != nullptr
            && !sym->member->getSig->params.empty()) {
            const Member* m = sym->member;
            tt::Expr* obj = node(Op::WithBase, sym->type, n->pos);
            obj->i = sym->withIndex;
            ArgList out;
            if (!checkArgs(*m->getSig, e.indices, n->pos, m->name, out))
                return errorNode(e.pos);
            tt::Expr* c = node(Op::PropGet, m->propType, n->pos);
            c->member = m;
            c->a = obj;
            c->sig = m->getSig;
            c->binding = m->getter;
            c->args = arena_.copy(out.span());
            return c;
        }
    }
    // An indexed property: obj.Strings[i], obj.Values['x'].
    if (e.object->kind == ast::ExprKind::Member) {
        auto* me = static_cast<const ast::MemberExpr*>(e.object);
        bool isClassName = false;
        if (me->object->kind == ast::ExprKind::Name) {
            auto* n = static_cast<const ast::NameExpr*>(me->object);
            Symbol* sym = n->name.empty() ? nullptr : lookup(n->name);
            isClassName = sym != nullptr && sym->kind == SymKind::Type;
        }
        if (!isClassName) {
            tt::Expr* obj = expr(me->object);
            if (isError(obj))
                return obj;
            if (obj->type->kind == TypeKind::Class) {
                const Member* m = obj->type->cls->findMember(me->member.name);
                if (m != nullptr && m->kind == MemberKind::Property && m->getSig != nullptr
                    && !m->getSig->params.empty()) {
                    ArgList out;
                    if (!checkArgs(*m->getSig, e.indices, me->member.pos, m->name, out))
                        return errorNode(e.pos);
                    tt::Expr* c = node(Op::PropGet, m->propType, me->member.pos);
                    c->member = m;
                    c->a = obj;
                    c->sig = m->getSig;
                    c->binding = m->getter;
                    c->args = arena_.copy(out.span());
                    return c;
                }
                if (m != nullptr && m->kind == MemberKind::Property && m->getSig == nullptr) {
                    error(me->member.pos, "Property " + quoted(m->name) + " cannot be read");
                    return errorNode(e.pos);
                }
            }
            // Not an indexed property: index the member's value.
            tt::Expr* base = nullptr;
            if (obj->type->kind == TypeKind::Record) {
                for (const Field& f : obj->type->record->fields) {
                    if (identEqual(f.name, me->member.name))
                        base = fieldOf(obj, &f, me->pos);
                }
                if (base == nullptr) {
                    error(me->member.pos, quoted(obj->type->name) + " has no field " + quoted(me->member.name));
                    return errorNode(e.pos);
                }
            } else if (obj->type->kind == TypeKind::Class) {
                base = classMember(obj, obj->type->cls, me->member, {}, false, false);
            } else {
                error(me->member.pos, "Record, object or class type required");
                return errorNode(e.pos);
            }
            for (ast::Expr* index : e.indices) {
                if (isError(base))
                    return base;
                base = indexOne(base, index, e.pos);
            }
            return base;
        }
    }
    tt::Expr* base = expr(e.object);
    if (isError(base))
        return base;
    if (base->type->kind == TypeKind::Class) {
        const Member* m = base->type->cls->findDefaultProperty();
        if (m == nullptr) {
            error(e.pos, quoted(base->type->name) + " has no default property");
            return errorNode(e.pos);
        }
        ArgList out;
        if (!checkArgs(*m->getSig, e.indices, e.pos, m->name, out))
            return errorNode(e.pos);
        tt::Expr* c = node(Op::PropGet, m->propType, e.pos);
        c->member = m;
        c->a = base;
        c->sig = m->getSig;
        c->binding = m->getter;
        c->args = arena_.copy(out.span());
        return c;
    }
    for (ast::Expr* index : e.indices) {
        if (isError(base))
            return base;
        base = indexOne(base, index, e.pos);
    }
    return base;
}

tt::Expr* Checker::indexOne(tt::Expr* base, const ast::Expr* index, SourcePos pos)
{
    const Type* t = base->type;
    switch (t->kind) {
    case TypeKind::StaticArray: {
        tt::Expr* ix = ordinalValue(index);
        if (isError(ix))
            return ix;
        if (!sameOrdinalFamily(ix->type, t->index)) {
            incompatible(index->pos, t->index, ix->type);
            return errorNode(pos);
        }
        if (ix->op == Op::ConstInt && (ix->i < t->low || ix->i > t->high)) {
            error(index->pos, "Constant expression violates subrange bounds");
            return errorNode(pos);
        }
        tt::Expr* e = node(Op::Index, t->elem, pos);
        e->a = base;
        e->b = ix;
        return e;
    }
    case TypeKind::DynArray:
    case TypeKind::OpenArray:
    case TypeKind::String: {
        tt::Expr* ix = expr(index);
        if (isError(ix))
            return ix;
        if (!isInteger(ix->type)) {
            incompatible(index->pos, bt_.integerType, ix->type);
            return errorNode(pos);
        }
        Op op = t->kind == TypeKind::DynArray ? Op::DynIndex
            : t->kind == TypeKind::OpenArray  ? Op::OpenIndex
                                              : Op::StrIndex;
        tt::Expr* e = node(op, t->kind == TypeKind::String ? bt_.charType : t->elem, pos);
        e->a = base;
        e->b = ix;
        return e;
    }
    case TypeKind::Class: {
        const Member* m = t->cls->findDefaultProperty();
        if (m == nullptr)
            break;
        ast::Expr* one[1] = {const_cast<ast::Expr*>(index)};
        ArgList out;
        if (!checkArgs(*m->getSig, std::span<ast::Expr* const>(one, 1), pos, m->name, out))
            return errorNode(pos);
        tt::Expr* c = node(Op::PropGet, m->propType, pos);
        c->member = m;
        c->a = base;
        c->sig = m->getSig;
        c->binding = m->getter;
        c->args = arena_.copy(out.span());
        return c;
    }
    default:
        break;
    }
    error(pos, "Array type required");
    return errorNode(pos);
}

}  // namespace shutterhand::pascal
