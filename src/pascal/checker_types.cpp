#include "pascal/checker_impl.h"

namespace shutterhand::pascal {

// Types written in the script: enumerations, subranges, sets, arrays and records.

const Type* Checker::resolveType(const ast::TypeExpr* type, std::string_view name)
{
    if (type == nullptr)
        return &errorType_;
    switch (type->kind) {
    case ast::TypeExprKind::Named: {
        auto* n = static_cast<const ast::NamedTypeExpr*>(type);
        return lookupType(n->name, type->pos);
    }
    case ast::TypeExprKind::String:
        return bt_.stringType;
    case ast::TypeExprKind::Enum: {
        auto* e = static_cast<const ast::EnumTypeExpr*>(type);
        if (e->values.size() > 256) {
            error(type->pos, "Too many enumeration values (at most 256)");
            return &errorType_;
        }
        Type* t = newType(TypeKind::Ordinal, name.empty() ? std::string_view("enumeration") : name);
        t->ord = OrdKind::Enum;
        t->slots = 1;
        t->low = 0;
        t->high = static_cast<int64_t>(e->values.size()) - 1;
        std::vector<std::string_view> names;
        for (std::size_t i = 0; i < e->values.size(); ++i) {
            Symbol* sym = declare(e->values[i].name, e->values[i].pos, SymKind::Const);
            sym->type = t;
            sym->value.i = static_cast<int64_t>(i);
            names.push_back(e->values[i].name);
        }
        t->enumNames = arena_.copy(names);
        return t;
    }
    case ast::TypeExprKind::Subrange: {
        auto* r = static_cast<const ast::SubrangeTypeExpr*>(type);
        int64_t low = 0, high = 0;
        const Type* lowType = nullptr;
        const Type* highType = nullptr;
        if (!constInt(r->low, low, &lowType) || !constInt(r->high, high, &highType))
            return &errorType_;
        if (!sameOrdinalFamily(lowType, highType)) {
            incompatible(r->high->pos, lowType, highType);
            return &errorType_;
        }
        if (low > high) {
            error(r->high->pos, "Lower bound of a subrange is greater than its upper bound");
            return &errorType_;
        }
        Type* t = newType(TypeKind::Ordinal,
                          name.empty() ? arena_.copy(std::to_string(low) + ".." + std::to_string(high)) : name);
        t->slots = 1;
        t->low = low;
        t->high = high;
        if (isInteger(lowType)) {
            t->ord = ordKindForRange(low, high);
            t->base = (low >= -2147483648LL && high <= 2147483647LL) ? bt_.integerType : bt_.int64Type;
        } else {
            t->ord = lowType->ord;
            t->base = ordinalBase(lowType);
            t->enumNames = t->base->enumNames;
        }
        return t;
    }
    case ast::TypeExprKind::Set: {
        auto* s = static_cast<const ast::SetTypeExpr*>(type);
        const Type* elem = resolveType(s->element);
        if (elem == &errorType_)
            return elem;
        if (!isOrdinal(elem)) {
            error(s->element->pos, "Ordinal type required");
            return &errorType_;
        }
        if (elem->low < 0 || elem->high > 255) {
            error(s->element->pos, "Sets may have at most 256 elements");
            return &errorType_;
        }
        return setOf(elem, name);
    }
    case ast::TypeExprKind::Array:
        return makeArrayType(*static_cast<const ast::ArrayTypeExpr*>(type), name, 0);
    case ast::TypeExprKind::Record:
        return makeRecordType(*static_cast<const ast::RecordTypeExpr*>(type), name);
    case ast::TypeExprKind::ArrayOfConst:
        error(type->pos, "'array of const' is only allowed as a parameter type");
        return &errorType_;
    }
    return &errorType_;
}

const Type* Checker::ordinalTypeFor(const ast::TypeExpr* type)
{
    const Type* t = resolveType(type);
    if (t == &errorType_)
        return t;
    if (!isOrdinal(t)) {
        error(type->pos, "Ordinal type required");
        return &errorType_;
    }
    if (t->ord == OrdKind::S64 && t->low == bt_.int64Type->low) {
        error(type->pos, "Array index type too large");
        return &errorType_;
    }
    return t;
}

const Type* Checker::makeArrayType(const ast::ArrayTypeExpr& arr, std::string_view name, std::size_t dim)
{
    if (arr.indices.empty()) {
        const Type* elem = resolveType(arr.element);
        if (elem == &errorType_)
            return elem;
        Type* t = newType(TypeKind::DynArray, name.empty() ? arena_.copy("array of " + std::string(elem->name)) : name);
        t->elem = elem;
        t->slots = 1;
        t->managed = true;
        return t;
    }
    const Type* index = ordinalTypeFor(arr.indices[dim]);
    const Type* elem = dim + 1 < arr.indices.size() ? makeArrayType(arr, {}, dim + 1) : resolveType(arr.element);
    if (index == &errorType_ || elem == &errorType_)
        return &errorType_;
    int64_t count = ordinalCount(index);
    if (count <= 0 || count > kMaxTypeSlots || count * elem->slots > kMaxTypeSlots) {
        error(arr.indices[dim]->pos, "Data type too large");
        return &errorType_;
    }
    std::string display = name.empty()
        ? "array[" + std::to_string(index->low) + ".." + std::to_string(index->high) + "] of " + std::string(elem->name)
        : std::string(name);
    Type* t = newType(TypeKind::StaticArray, arena_.copy(display));
    t->elem = elem;
    t->index = index;
    t->low = index->low;
    t->high = index->high;
    t->slots = static_cast<int32_t>(count * elem->slots);
    t->managed = elem->managed;
    return t;
}

const Type* Checker::makeRecordType(const ast::RecordTypeExpr& rec, std::string_view name)
{
    std::vector<Field> fields;
    int64_t offset = 0;
    bool managed = false;
    for (const ast::FieldGroup& g : rec.fields) {
        const Type* ft = resolveType(g.type);
        if (ft == &errorType_)
            return ft;
        for (const ast::Ident& id : g.names) {
            for (const Field& f : fields) {
                if (identEqual(f.name, id.name)) {
                    error(id.pos, "Identifier redeclared: " + quoted(id.name));
                    return &errorType_;
                }
            }
            fields.push_back(Field{id.name, ft, static_cast<int32_t>(offset)});
            offset += ft->slots;
            managed = managed || ft->managed;
            if (offset > kMaxTypeSlots) {
                error(id.pos, "Data type too large");
                return &errorType_;
            }
        }
    }
    auto* info = arena_.make<RecordInfo>();
    info->fields = arena_.copy(fields);
    Type* t = newType(TypeKind::Record, name.empty() ? std::string_view("record") : name);
    t->record = info;
    t->slots = static_cast<int32_t>(offset);
    t->managed = managed;
    return t;
}

}  // namespace shutterhand::pascal
