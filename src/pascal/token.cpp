#include "pascal/token.h"

#include "pascal/name_map.h"

#include <array>
#include <cctype>
#include <string>

namespace shutterhand::pascal {

namespace {

struct Keyword {
    std::string_view spelling;
    Tok kind;
};

// Sorted by spelling for the binary search below.
constexpr std::array kKeywords = {
    Keyword{"and", Tok::KwAnd},
    Keyword{"array", Tok::KwArray},
    Keyword{"as", Tok::KwAs},
    Keyword{"begin", Tok::KwBegin},
    Keyword{"case", Tok::KwCase},
    Keyword{"class", Tok::KwClass},
    Keyword{"const", Tok::KwConst},
    Keyword{"constructor", Tok::KwConstructor},
    Keyword{"destructor", Tok::KwDestructor},
    Keyword{"div", Tok::KwDiv},
    Keyword{"do", Tok::KwDo},
    Keyword{"downto", Tok::KwDownto},
    Keyword{"else", Tok::KwElse},
    Keyword{"end", Tok::KwEnd},
    Keyword{"except", Tok::KwExcept},
    Keyword{"finally", Tok::KwFinally},
    Keyword{"for", Tok::KwFor},
    Keyword{"function", Tok::KwFunction},
    Keyword{"goto", Tok::KwGoto},
    Keyword{"if", Tok::KwIf},
    Keyword{"in", Tok::KwIn},
    Keyword{"inherited", Tok::KwInherited},
    Keyword{"is", Tok::KwIs},
    Keyword{"label", Tok::KwLabel},
    Keyword{"mod", Tok::KwMod},
    Keyword{"nil", Tok::KwNil},
    Keyword{"not", Tok::KwNot},
    Keyword{"of", Tok::KwOf},
    Keyword{"or", Tok::KwOr},
    Keyword{"packed", Tok::KwPacked},
    Keyword{"procedure", Tok::KwProcedure},
    Keyword{"program", Tok::KwProgram},
    Keyword{"property", Tok::KwProperty},
    Keyword{"raise", Tok::KwRaise},
    Keyword{"record", Tok::KwRecord},
    Keyword{"repeat", Tok::KwRepeat},
    Keyword{"set", Tok::KwSet},
    Keyword{"shl", Tok::KwShl},
    Keyword{"shr", Tok::KwShr},
    Keyword{"string", Tok::KwString},
    Keyword{"then", Tok::KwThen},
    Keyword{"to", Tok::KwTo},
    Keyword{"try", Tok::KwTry},
    Keyword{"type", Tok::KwType},
    Keyword{"until", Tok::KwUntil},
    Keyword{"uses", Tok::KwUses},
    Keyword{"var", Tok::KwVar},
    Keyword{"while", Tok::KwWhile},
    Keyword{"with", Tok::KwWith},
    Keyword{"xor", Tok::KwXor},
};

}  // namespace

namespace {

// The reserved words in an open-addressing table keyed by their case-insensitive hash, since every
// identifier of every compile is looked up here.
struct KeywordTable {
    static constexpr std::size_t kSize = 128;
    const Keyword* slots[kSize] = {};

    KeywordTable()
    {
        for (const Keyword& k : kKeywords) {
            std::size_t i = identHash(k.spelling) & (kSize - 1);
            while (slots[i] != nullptr)
                i = (i + 1) & (kSize - 1);
            slots[i] = &k;
        }
    }
};

const KeywordTable keywordTable;

}  // namespace

Tok keywordKind(std::string_view spelling)
{
    if (spelling.size() < 2 || spelling.size() > 11)
        return Tok::Ident;
    for (std::size_t i = identHash(spelling) & (KeywordTable::kSize - 1);; i = (i + 1) & (KeywordTable::kSize - 1)) {
        const Keyword* k = keywordTable.slots[i];
        if (k == nullptr)
            return Tok::Ident;
        if (identEqual(k->spelling, spelling))
            return k->kind;
    }
}

std::string_view tokenName(Tok kind)
{
    switch (kind) {
    case Tok::Eof:
        return "end of file";
    case Tok::Error:
        return "invalid token";
    case Tok::Ident:
        return "identifier";
    case Tok::IntLit:
        return "integer constant";
    case Tok::RealLit:
        return "real constant";
    case Tok::StrLit:
        return "string constant";
    case Tok::Plus:
        return "'+'";
    case Tok::Minus:
        return "'-'";
    case Tok::Star:
        return "'*'";
    case Tok::Slash:
        return "'/'";
    case Tok::Eq:
        return "'='";
    case Tok::NotEq:
        return "'<>'";
    case Tok::Less:
        return "'<'";
    case Tok::LessEq:
        return "'<='";
    case Tok::Greater:
        return "'>'";
    case Tok::GreaterEq:
        return "'>='";
    case Tok::Assign:
        return "':='";
    case Tok::Colon:
        return "':'";
    case Tok::Semicolon:
        return "';'";
    case Tok::Comma:
        return "','";
    case Tok::Dot:
        return "'.'";
    case Tok::DotDot:
        return "'..'";
    case Tok::LParen:
        return "'('";
    case Tok::RParen:
        return "')'";
    case Tok::LBracket:
        return "'['";
    case Tok::RBracket:
        return "']'";
    case Tok::Caret:
        return "'^'";
    case Tok::At:
        return "'@'";
    default:
        break;
    }
    for (const auto& keyword : kKeywords) {
        if (keyword.kind == kind) {
            // The spellings live in static storage; return them quoted through a static table.
            static std::array<std::string, kKeywords.size()> quotedNames = [] {
                std::array<std::string, kKeywords.size()> names;
                for (std::size_t i = 0; i < kKeywords.size(); ++i)
                    names[i].append(1, '\'').append(kKeywords[i].spelling).append(1, '\'');
                return names;
            }();
            return quotedNames[static_cast<std::size_t>(&keyword - kKeywords.data())];
        }
    }
    return "token";
}

}  // namespace shutterhand::pascal
