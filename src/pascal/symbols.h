#pragma once

// Symbols, scopes, routine signatures and class descriptions, shared by the type checker, the import
// sets and the virtual machine.

#include "pascal/ast.h"
#include "pascal/name_map.h"
#include "pascal/types.h"
#include "pascal/value.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace shutterhand::pascal {

// A constant's value; which member counts follows from its type.
struct ConstValue {
    int64_t i = 0;
    double f = 0;
    std::string_view s;
    const uint64_t* set = nullptr;  // four words for a set
};

struct Param {
    std::string_view name;
    const Type* type = nullptr;
    ast::ParamMode mode = ast::ParamMode::Value;
    bool hasDefault = false;
    ConstValue defaultValue;
    int32_t offset = 0;  // slot offset of the parameter in the call's argument block
    // Whether the parameter is passed as a pointer to the caller's variable.
    bool byRef() const { return mode == ast::ParamMode::Var || mode == ast::ParamMode::Out; }
};

// A routine's parameters and result. The argument block of a call holds the result slots, then the
// object (for methods), then each parameter: by value in its type's slots, by reference as one pointer
// slot, an open array as a pointer and a count.
struct Signature {
    std::span<const Param> params;
    const Type* result = nullptr;  // null for a procedure
    int32_t resultSlots = 0;
    int32_t selfOffset = -1;  // slot of the object for methods, -1 otherwise
    int32_t argSlots = 0;     // the whole block
    int32_t minArgs = 0;      // parameters without a default value
};

// Number of slots a parameter of this type and mode takes in an argument block.
int32_t paramSlots(const Type* type, ast::ParamMode mode);

enum class MemberKind : uint8_t { Method, Constructor, Property };

struct Member {
    MemberKind kind = MemberKind::Method;
    std::string_view name;
    const ClassInfo* owner = nullptr;
    const Signature* sig = nullptr;  // method and constructor
    Binding call;
    // Properties: the value type, the index parameters (indexed properties), and the accessors. The
    // getter's argument block is [value][self][indices]; the setter's [self][indices][value].
    const Type* propType = nullptr;
    const Signature* getSig = nullptr;
    const Signature* setSig = nullptr;
    Binding getter;
    Binding setter;
    bool isDefault = false;
};

using DestroyFn = void (*)(void* object, const void* data);

struct ClassInfo {
    std::string_view name;
    const ClassInfo* parent = nullptr;
    const Type* instanceType = nullptr;
    const Type* refType = nullptr;
    NameMap<const Member> members;
    const Member* defaultProperty = nullptr;
    DestroyFn destroy = nullptr;  // frees an object the script created
    const void* destroyData = nullptr;
    bool isException = false;  // Exception or a descendant: the engine keeps the message itself

    // Finds a member here or in an ancestor.
    const Member* findMember(std::string_view member) const
    {
        uint32_t hash = identHash(member);
        for (const ClassInfo* c = this; c != nullptr; c = c->parent) {
            if (const Member* m = c->members.find(member, hash))
                return m;
        }
        return nullptr;
    }
    const Member* findDefaultProperty() const
    {
        for (const ClassInfo* c = this; c != nullptr; c = c->parent) {
            if (c->defaultProperty != nullptr)
                return c->defaultProperty;
        }
        return nullptr;
    }
};

enum class SymKind : uint8_t {
    Const,
    Type,
    Var,
    Routine,    // declared in the script
    Native,     // a routine bound to C++ (standard routines, import sets, host procedures)
    Intrinsic,  // a routine the compiler implements itself (Inc, Length, Exit, ...)
    Field,      // a record field or class member made visible by "with"
};

enum class Storage : uint8_t { Global, Local, HostGlobal };

struct RoutineInfo;

struct Symbol {
    SymKind kind = SymKind::Const;
    std::string_view name;
    SourcePos pos;
    const Type* type = nullptr;
    ConstValue value;  // Const
    // Var
    Storage storage = Storage::Local;
    int32_t slot = 0;
    int32_t level = 0;      // routine nesting level of the declaring scope (0 = program)
    bool byRef = false;     // the slot holds a pointer to the value (var, out and open array parameters)
    bool readOnly = false;  // const parameters, typed constants, "on E:" variables, loop variables
    bool isLoopVar = false;
    bool used = false;
    // Routine / Native
    RoutineInfo* routine = nullptr;
    const Signature* sig = nullptr;
    Binding binding;
    int intrinsic = 0;
    // Field made visible by "with": the with-statement's slot and the member it names.
    int32_t withIndex = 0;
    const Field* field = nullptr;
    const Member* member = nullptr;
};

// A scope of declarations; lookups walk to the parent scope when a name is not found.
struct Scope {
    NameMap<Symbol> names;
    Scope* parent = nullptr;
    int32_t level = 0;
    // A with-statement's scope: its names are the fields or members of the value in a hidden slot.
    const Type* withType = nullptr;
    int32_t withSlot = 0;
    bool withIsAddress = false;

    Symbol* findLocal(std::string_view name) const { return names.find(name); }
};

}  // namespace shutterhand::pascal
