#pragma once

#include "pascal/arena.h"
#include "pascal/ast.h"
#include "pascal/diagnostics.h"
#include "pascal/typed_tree.h"

#include <span>
#include <vector>

namespace shutterhand::pascal {

// The result of checking a program: every routine with its typed body, and the main block.
struct CheckedProgram {
    std::vector<RoutineInfo*> routines;  // index = RoutineInfo::index
    RoutineInfo* main = nullptr;         // level 0; its frame is the global area
    int32_t globalSlots = 0;             // host variables and the program's variables
};

// The names visible around a script: the host's own declarations (compile hook), then the import
// sets (latest first), then the standard declarations.
struct Environment {
    std::vector<const Scope*> scopes;
    int32_t hostGlobalSlots = 0;           // slots taken by host variables at the start of the global area
    std::vector<ManagedSlot> hostManaged;  // host variables that own references
};

// Type-checks a parsed program and builds its typed tree. Returns false when an error was reported.
bool checkProgram(const ast::Program& program, const Environment& env, Arena& arena, Diagnostics& diagnostics,
                  CheckedProgram& out);

// Resolves a type given as syntax against an environment (for declaration texts of import sets).
// Returns null after reporting an error.
const Type* resolveTypeText(const ast::TypeExpr& type, std::string_view name, const Environment& env, Arena& arena,
                            Diagnostics& diagnostics);

// Builds a signature from a routine heading (for declaration texts). `selfSlot` reserves a slot for the
// object of a method. Returns null after reporting an error.
const Signature* resolveSignature(const ast::RoutineDecl& heading, bool isMethod, const Environment& env, Arena& arena,
                                  Diagnostics& diagnostics);

// Builds the signature of an indexed property's getter or setter from its index parameters.
const Signature* propertySignature(std::span<const Param> indices, const Type* type, bool setter, Arena& arena);

// Lays out a signature's argument block (offsets, sizes); `isMethod` reserves the object slot.
void layoutSignature(Signature& sig, std::span<Param> params, bool isMethod);

}  // namespace shutterhand::pascal
