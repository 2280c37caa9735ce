#include "pascal/types.h"

#include "pascal/symbols.h"

#include <limits>

namespace shutterhand::pascal {

namespace {

Type ordinal(std::string_view name, OrdKind ord, int64_t low, int64_t high)
{
    Type t;
    t.kind = TypeKind::Ordinal;
    t.ord = ord;
    t.slots = 1;
    t.name = name;
    t.low = low;
    t.high = high;
    return t;
}

Type real(std::string_view name, bool single)
{
    Type t;
    t.kind = TypeKind::Float;
    t.single = single;
    t.slots = 1;
    t.name = name;
    return t;
}

struct TypeTable {
    Type voidType, byteType, shortIntType, wordType, smallIntType, cardinalType, integerType, int64Type, booleanType,
        charType, singleType, doubleType, extendedType, currencyType, dateTimeType, stringType, nilType, charSetType,
        byteSetType, constArrayType;
    BuiltinTypes table;

    TypeTable()
    {
        voidType.kind = TypeKind::Void;
        voidType.name = "untyped";
        byteType = ordinal("Byte", OrdKind::U8, 0, 255);
        shortIntType = ordinal("ShortInt", OrdKind::S8, -128, 127);
        wordType = ordinal("Word", OrdKind::U16, 0, 65535);
        smallIntType = ordinal("SmallInt", OrdKind::S16, -32768, 32767);
        cardinalType = ordinal("Cardinal", OrdKind::U32, 0, 4294967295LL);
        integerType = ordinal("Integer", OrdKind::S32, -2147483648LL, 2147483647LL);
        int64Type
            = ordinal("Int64", OrdKind::S64, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
        booleanType = ordinal("Boolean", OrdKind::Bool, 0, 1);
        charType = ordinal("Char", OrdKind::Char, 0, 255);
        singleType = real("Single", true);
        doubleType = real("Double", false);
        extendedType = real("Extended", false);
        currencyType = real("Currency", false);
        dateTimeType = real("TDateTime", false);
        stringType.kind = TypeKind::String;
        stringType.name = "string";
        stringType.slots = 1;
        stringType.managed = true;
        nilType.kind = TypeKind::Nil;
        nilType.name = "Pointer";
        nilType.slots = 1;
        charSetType.kind = TypeKind::Set;
        charSetType.name = "set of Char";
        charSetType.slots = 4;
        charSetType.elem = &charType;
        byteSetType.kind = TypeKind::Set;
        byteSetType.name = "set of Byte";
        byteSetType.slots = 4;
        byteSetType.elem = &byteType;
        constArrayType.kind = TypeKind::ConstArray;
        constArrayType.name = "array of const";
        constArrayType.slots = 2;
        table = BuiltinTypes{&voidType,     &byteType,    &shortIntType, &wordType,     &smallIntType,
                             &cardinalType, &integerType, &int64Type,    &booleanType,  &charType,
                             &singleType,   &doubleType,  &extendedType, &currencyType, &dateTimeType,
                             &stringType,   &nilType,     &charSetType,  &byteSetType,  &constArrayType};
    }
};

}  // namespace

const BuiltinTypes& builtinTypes()
{
    static const TypeTable storage;
    return storage.table;
}

const Type* ordinalBase(const Type* t)
{
    while (t->base != nullptr)
        t = t->base;
    return t;
}

bool sameOrdinalFamily(const Type* a, const Type* b)
{
    if (a->kind != TypeKind::Ordinal || b->kind != TypeKind::Ordinal)
        return false;
    if (isInteger(a) && isInteger(b))
        return true;
    if (a->ord != b->ord)
        return false;
    if (a->ord == OrdKind::Enum)
        return ordinalBase(a) == ordinalBase(b);
    return true;
}

bool classDescendsFrom(const ClassInfo* cls, const ClassInfo* ancestor)
{
    for (; cls != nullptr; cls = cls->parent) {
        if (cls == ancestor)
            return true;
    }
    return false;
}

int64_t truncateOrdinal(OrdKind kind, int64_t value)
{
    switch (kind) {
    case OrdKind::S8:
        return static_cast<int8_t>(value);
    case OrdKind::U8:
    case OrdKind::Char:
    case OrdKind::Enum:
        return static_cast<uint8_t>(value);
    case OrdKind::S16:
        return static_cast<int16_t>(value);
    case OrdKind::U16:
        return static_cast<uint16_t>(value);
    case OrdKind::S32:
        return static_cast<int32_t>(value);
    case OrdKind::U32:
        return static_cast<uint32_t>(value);
    case OrdKind::Bool:
        return value != 0 ? 1 : 0;
    case OrdKind::S64:
        return value;
    }
    return value;
}

OrdKind ordKindForRange(int64_t low, int64_t high)
{
    if (low >= 0) {
        if (high <= 255)
            return OrdKind::U8;
        if (high <= 65535)
            return OrdKind::U16;
        if (high <= 4294967295LL)
            return OrdKind::U32;
        return OrdKind::S64;
    }
    if (low >= -128 && high <= 127)
        return OrdKind::S8;
    if (low >= -32768 && high <= 32767)
        return OrdKind::S16;
    if (low >= -2147483648LL && high <= 2147483647LL)
        return OrdKind::S32;
    return OrdKind::S64;
}

int32_t paramSlots(const Type* type, ast::ParamMode mode)
{
    if (type->kind == TypeKind::OpenArray || type->kind == TypeKind::ConstArray)
        return 2;
    if (mode == ast::ParamMode::Var || mode == ast::ParamMode::Out)
        return 1;
    return type->slots;
}

}  // namespace shutterhand::pascal
