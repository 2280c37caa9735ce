#pragma once

#include "pascal/arena.h"
#include "pascal/diagnostics.h"
#include "pascal/token.h"

#include <string_view>
#include <vector>

namespace shutterhand::pascal {

// Splits a source text into tokens. Lexical errors (an unterminated string or comment, a stray
// character) are reported at their first character and the lexer carries on after them.
// The token list always ends with Tok::Eof. Lexing stops after the first "end" followed by ".", which
// only ever closes a program: whatever follows the final dot is not part of the program (notes, test
// expectations) and is not read.
std::vector<Token> tokenize(std::string_view source, Arena& arena, Diagnostics& diagnostics);

}  // namespace shutterhand::pascal
