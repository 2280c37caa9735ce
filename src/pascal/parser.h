#pragma once

#include "pascal/arena.h"
#include "pascal/ast.h"
#include "pascal/diagnostics.h"
#include "pascal/token.h"

#include <span>
#include <string_view>

namespace shutterhand::pascal {

// Parses a whole script: an optional "program" heading and "uses" clause, declarations and the main
// block ending in "end.". Syntax errors go to `diagnostics`; the parser resynchronises at statement and
// declaration ends and always returns a tree (possibly with gaps).
ast::Program* parseProgram(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics);

// Parses a routine heading given as a declaration text, for example
// "Function GetValueByName( Name : string) : string" or "procedure ShowMessage(Message: string);".
// Returns null after reporting an error.
ast::RoutineDecl* parseRoutineHeading(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics);

// Parses a type given as a declaration text ("record ... end", "( A, B )", "string", a type name).
ast::TypeExpr* parseTypeText(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics);

// Parses a parameter list text without its parentheses ("Index: Integer"), for indexed properties.
bool parseParameterText(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics,
                        std::span<ast::ParamGroup>& out);

}  // namespace shutterhand::pascal
