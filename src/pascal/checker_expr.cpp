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

static bool fitsInt32(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
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

bool Checker::assignable(const Type* target, const tt::Expr* e) const
{
    const Type* src = e->type;
    if (src == target)
        return true;
    switch (target->kind) {
    case TypeKind::Ordinal:
        return sameOrdinalFamily(target, src);
    case TypeKind::Float:
        return isNumeric(src);
    case TypeKind::String:
        return isString(src) || isChar(src);
    case TypeKind::Set:
        return src->kind == TypeKind::Set && (src->elem == nullptr || sameOrdinalFamily(src->elem, target->elem));
    case TypeKind::Class:
        return src->kind == TypeKind::Nil || (isClass(src) && classDescendsFrom(src->cls, target->cls));
    case TypeKind::DynArray:
        return src->kind == TypeKind::Nil || (src->kind == TypeKind::DynArray && src->elem == target->elem);
    default:
        return false;
    }
}

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

// ---------------- operators ----------------

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
