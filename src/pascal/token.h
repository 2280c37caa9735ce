#pragma once

#include "pascal/source_pos.h"

#include <cstdint>
#include <string_view>

namespace shutterhand::pascal {

// Token kinds. Reserved words come last so that a range check tells them apart.
enum class Tok : uint8_t {
    Eof,
    Error,  // a lexical error already reported; the parser skips it
    Ident,
    IntLit,
    RealLit,
    StrLit,  // quoted text and #nn character codes, already joined and unescaped
    Plus,
    Minus,
    Star,
    Slash,
    Eq,
    NotEq,
    Less,
    LessEq,
    Greater,
    GreaterEq,
    Assign,
    Colon,
    Semicolon,
    Comma,
    Dot,
    DotDot,
    LParen,
    RParen,
    LBracket,
    RBracket,
    Caret,
    At,
    // Reserved words.
    KwAnd,
    KwArray,
    KwAs,
    KwBegin,
    KwCase,
    KwClass,
    KwConst,
    KwConstructor,
    KwDestructor,
    KwDiv,
    KwDo,
    KwDownto,
    KwElse,
    KwEnd,
    KwExcept,
    KwFinally,
    KwFor,
    KwFunction,
    KwGoto,
    KwIf,
    KwIn,
    KwInherited,
    KwIs,
    KwLabel,
    KwMod,
    KwNil,
    KwNot,
    KwOf,
    KwOr,
    KwPacked,
    KwProcedure,
    KwProgram,
    KwProperty,
    KwRaise,
    KwRecord,
    KwRepeat,
    KwSet,
    KwShl,
    KwShr,
    KwString,
    KwThen,
    KwTo,
    KwTry,
    KwType,
    KwUntil,
    KwUses,
    KwVar,
    KwWhile,
    KwWith,
    KwXor,
};

struct Token {
    Tok kind = Tok::Eof;
    SourcePos pos;
    std::string_view text;  // identifier spelling, or the unescaped value of a string literal
    uint64_t intValue = 0;
    double realValue = 0;
};

// How a token kind is written in a message ("';'", "'end'", "identifier").
std::string_view tokenName(Tok kind);

// Returns the reserved word for an identifier spelling, or Tok::Ident.
Tok keywordKind(std::string_view spelling);

}  // namespace shutterhand::pascal
