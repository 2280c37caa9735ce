#pragma once

// Types of the script language. Every value occupies one or more 8-byte slots: an ordinal, a real, a
// string reference, a dynamic array reference or an object handle takes one slot; a set takes four
// (256 bits); records and static arrays are laid out flat, field after field and element after element.

#include "pascal/ast.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace shutterhand::pascal {

enum class TypeKind : uint8_t {
    Void,
    Ordinal,
    Float,
    String,
    Set,
    StaticArray,
    DynArray,
    OpenArray,   // parameter type "array of T"
    ConstArray,  // parameter type "array of const"
    Record,
    Class,
    Nil,
    ClassRef,  // a class name used as a value (for constructors and "is")
};

// How an ordinal value is stored: assigning a wider value truncates to this width, as Delphi does.
enum class OrdKind : uint8_t { S8, U8, S16, U16, S32, U32, S64, Bool, Char, Enum };

struct Type;
struct ClassInfo;

struct Field {
    std::string_view name;
    const Type* type;
    int32_t offset;  // in slots from the record's start
};

struct RecordInfo {
    std::span<const Field> fields;
};

struct Type {
    TypeKind kind = TypeKind::Void;
    OrdKind ord = OrdKind::S32;
    bool single = false;   // Float: rounded to single precision when stored
    bool managed = false;  // holds strings or dynamic arrays that need reference counting
    int32_t slots = 0;
    std::string_view name;  // how messages name the type
    int64_t low = 0;        // ordinal bounds, or a static array's index bounds
    int64_t high = 0;
    const Type* base = nullptr;   // ordinal: the type whose values a subrange takes (enum or Integer)
    const Type* elem = nullptr;   // set element, array element
    const Type* index = nullptr;  // static array index type
    const RecordInfo* record = nullptr;
    const ClassInfo* cls = nullptr;               // Class and ClassRef
    std::span<const std::string_view> enumNames;  // Enum: value names, for messages and Ord
};

// A frame slot (or run of slots) holding a value that owns references.
struct ManagedSlot {
    int32_t slot;
    const Type* type;
};

// The predefined types, shared by every compile.
struct BuiltinTypes {
    const Type* voidType;
    const Type* byteType;
    const Type* shortIntType;
    const Type* wordType;
    const Type* smallIntType;
    const Type* cardinalType;
    const Type* integerType;
    const Type* int64Type;
    const Type* booleanType;
    const Type* charType;
    const Type* singleType;
    const Type* doubleType;
    const Type* extendedType;
    const Type* currencyType;
    const Type* dateTimeType;
    const Type* stringType;
    const Type* nilType;
    const Type* charSetType;     // set of Char, used for set constructors of chars
    const Type* byteSetType;     // set of Byte, for set constructors of integers
    const Type* constArrayType;  // array of const
};

// The one table of predefined types.
const BuiltinTypes& builtinTypes();

// ---- queries ----
inline bool isOrdinal(const Type* t) { return t->kind == TypeKind::Ordinal; }
inline bool isInteger(const Type* t) { return t->kind == TypeKind::Ordinal && t->ord <= OrdKind::S64; }
inline bool isBoolean(const Type* t) { return t->kind == TypeKind::Ordinal && t->ord == OrdKind::Bool; }
inline bool isChar(const Type* t) { return t->kind == TypeKind::Ordinal && t->ord == OrdKind::Char; }
inline bool isEnum(const Type* t) { return t->kind == TypeKind::Ordinal && t->ord == OrdKind::Enum; }
inline bool isFloat(const Type* t) { return t->kind == TypeKind::Float; }
inline bool isNumeric(const Type* t) { return isInteger(t) || isFloat(t); }
inline bool isString(const Type* t) { return t->kind == TypeKind::String; }
inline bool isClass(const Type* t) { return t->kind == TypeKind::Class; }

// The type a subrange or enumeration draws its values from: Integer-like subranges give their own
// integer type, enumeration subranges the enumeration, others themselves.
const Type* ordinalBase(const Type* t);

// Whether two ordinal types belong to the same family (integers, chars, Booleans, one enumeration).
bool sameOrdinalFamily(const Type* a, const Type* b);

// Number of values an ordinal type has, as a set or array index needs it.
inline int64_t ordinalCount(const Type* t) { return t->high - t->low + 1; }

// Whether a class is the other or descends from it.
bool classDescendsFrom(const ClassInfo* cls, const ClassInfo* ancestor);

// Truncates a value to the width an ordinal type is stored in.
int64_t truncateOrdinal(OrdKind kind, int64_t value);

// The storage kind an integer subrange low..high needs.
OrdKind ordKindForRange(int64_t low, int64_t high);

}  // namespace shutterhand::pascal
