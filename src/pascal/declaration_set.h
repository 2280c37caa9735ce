#pragma once

// Declarations built from Pascal texts outside a script: the standard library and the host's import
// sets. A set owns its types, classes and bindings; compiled programs point into it, so it must live
// as long as they run.

#include "pascal/arena.h"
#include "pascal/checker.h"
#include "pascal/host_call.h"
#include "pascal/symbols.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace shutterhand::pascal {

// What a host routine's adapter needs to know at a call.
struct HostBinding {
    HostFunction function;
    const Signature* sig = nullptr;
    const ClassInfo* cls = nullptr;  // class of a method, constructor or property accessor
    bool isConstructor = false;
    bool isSetter = false;
    std::string_view name;
};

// The adapter between the machine's calling convention and HostCall.
void hostTrampoline(Vm& vm, Slot* args, const void* data);

class DeclarationSet {
public:
    DeclarationSet(std::string module, std::vector<const Scope*> outer);
    DeclarationSet(const DeclarationSet&) = delete;
    DeclarationSet& operator=(const DeclarationSet&) = delete;

    // Each returns null (or false) after adding a line to errors.
    const Type* addType(std::string_view name, std::string_view text);
    ClassInfo* addClass(std::string_view name, std::string_view parent, DestroyFn destroy, const void* destroyData);
    const Member* addMethod(ClassInfo* cls, std::string_view heading, Binding binding);
    const Member* addProperty(ClassInfo* cls, std::string_view name, std::string_view params, std::string_view type,
                              bool writable, Binding getter, Binding setter, bool isDefault);
    const Symbol* addRoutine(std::string_view heading, Binding binding);
    // Declares an existing type under a name.
    void addTypeAlias(std::string_view name, const Type* type);
    void addConstant(std::string_view name, const Type* type, ConstValue value);
    void addIntrinsic(std::string_view name, int id);

    ClassInfo* findClass(std::string_view name);
    // Resolves a type name or text against this set and those it builds on.
    const Type* resolveType(std::string_view text);
    // Keeps a host function, returning the binding that calls it.
    HostBinding& newHostBinding();
    // Stores a destroy function for a class, returning the adapter to give addClass.
    std::pair<DestroyFn, const void*> keepDestroyer(std::function<void(void*)> destroy);

    const Scope& scope() const { return scope_; }
    Scope& scope() { return scope_; }
    const std::vector<std::string>& errors() const { return errors_; }
    const std::string& module() const { return module_; }

private:
    std::string_view keep(std::string_view text);
    Environment environment() const;
    void report(const Diagnostics& diagnostics, std::string_view what);
    Symbol* declare(std::string_view name, SymKind kind);

    std::string module_;
    std::vector<const Scope*> outer_;
    Arena arena_;
    Scope scope_;
    std::deque<ClassInfo> classes_;
    std::deque<Member> members_;
    std::deque<HostBinding> hostBindings_;
    std::deque<std::function<void(void*)>> destroyers_;
    std::vector<std::string> errors_;
};

}  // namespace shutterhand::pascal
