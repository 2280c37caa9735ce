#include "pascal/lexer.h"

#include <charconv>
#include <cstring>
#include <string>

namespace shutterhand::pascal {

namespace {

bool isIdentStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }

bool isIdentChar(char c) { return isIdentStart(c) || (c >= '0' && c <= '9'); }

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Lexer {
public:
    Lexer(std::string_view source, Arena& arena, Diagnostics& diagnostics)
        : src_(source)
        , arena_(arena)
        , diag_(diagnostics)
    { }

    std::vector<Token> run()
    {
        std::vector<Token> tokens;
        tokens.reserve(src_.size() / 4 + 8);
        for (;;) {
            skipTrivia();
            Token token = next();
            if (token.kind == Tok::Error)
                continue;  // reported already; the stray character is dropped
            tokens.push_back(token);
            if (token.kind == Tok::Eof)
                break;
            // "end" followed by "." closes the program: nothing after it is read.
            std::size_t n = tokens.size();
            if (token.kind == Tok::Dot && n >= 2 && tokens[n - 2].kind == Tok::KwEnd) {
                Token eof;
                eof.kind = Tok::Eof;
                eof.pos = token.pos;
                eof.pos.col += 1;
                tokens.push_back(eof);
                break;
            }
        }
        return tokens;
    }

private:
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0'; }
    bool atEnd() const { return pos_ >= src_.size(); }

    // Moves one byte on, keeping row and column; columns count characters, so UTF-8 continuation
    // bytes do not advance them.
    void advance()
    {
        char c = src_[pos_++];
        if (c == '\n') {
            ++row_;
            col_ = 1;
        } else if (c == '\r') {
            if (peek() != '\n') {
                ++row_;
                col_ = 1;
            }
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++col_;
        }
    }

    SourcePos here() const { return SourcePos{row_, col_}; }

    // Moves to `end`, keeping row and column, faster than advance() for long spans (comments).
    void skipTo(std::size_t end)
    {
        while (pos_ < end) {
            const char* p = src_.data() + pos_;
            const void* nl = std::memchr(p, '\n', end - pos_);
            std::size_t stop
                = nl != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nl) - src_.data()) : end;
            // Up to the next line feed (or the end) only carriage returns can start a new line.
            while (pos_ < stop) {
                char c = src_[pos_];
                if (c == '\r' || (static_cast<unsigned char>(c) & 0x80) != 0) {
                    advance();
                } else {
                    ++pos_;
                    ++col_;
                }
            }
            if (nl != nullptr && pos_ < end)
                advance();
        }
    }

    void skipTrivia()
    {
        while (!atEnd()) {
            char c = peek();
            if (c == ' ' || c == '\t') {
                // Runs of blanks are the commonest trivia: step over them without the general advance().
                std::size_t n = pos_ + 1;
                while (n < src_.size() && (src_[n] == ' ' || src_[n] == '\t'))
                    ++n;
                col_ += static_cast<int32_t>(n - pos_);
                pos_ = n;
            } else if (c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                advance();
            } else if (c == '/' && peek(1) == '/') {
                std::size_t end = src_.find_first_of("\r\n", pos_);
                skipTo(end == std::string_view::npos ? src_.size() : end);
            } else if (c == '{') {
                SourcePos start = here();
                std::size_t close = src_.find('}', pos_ + 1);
                if (close == std::string_view::npos) {
                    skipTo(src_.size());
                    diag_.error(start, "Unterminated comment");
                    return;
                }
                skipTo(close + 1);
            } else if (c == '(' && peek(1) == '*') {
                SourcePos start = here();
                std::size_t close = src_.find("*)", pos_ + 2);
                if (close == std::string_view::npos) {
                    skipTo(src_.size());
                    diag_.error(start, "Unterminated comment");
                    return;
                }
                skipTo(close + 2);
            } else {
                return;
            }
        }
    }

    Token make(Tok kind, SourcePos pos)
    {
        Token t;
        t.kind = kind;
        t.pos = pos;
        return t;
    }

    Token next()
    {
        SourcePos start = here();
        if (atEnd())
            return make(Tok::Eof, start);
        char c = peek();
        if (isIdentStart(c))
            return identifier(start);
        if (isDigit(c))
            return number(start);
        if (c == '$')
            return hexNumber(start);
        if (c == '\'' || c == '#')
            return stringLiteral(start);
        advance();
        switch (c) {
        case '+':
            return make(Tok::Plus, start);
        case '-':
            return make(Tok::Minus, start);
        case '*':
            return make(Tok::Star, start);
        case '/':
            return make(Tok::Slash, start);
        case '=':
            return make(Tok::Eq, start);
        case ';':
            return make(Tok::Semicolon, start);
        case ',':
            return make(Tok::Comma, start);
        case '(':
            return make(Tok::LParen, start);
        case ')':
            return make(Tok::RParen, start);
        case '[':
            return make(Tok::LBracket, start);
        case ']':
            return make(Tok::RBracket, start);
        case '^':
            return make(Tok::Caret, start);
        case '@':
            return make(Tok::At, start);
        case '<':
            if (peek() == '=') {
                advance();
                return make(Tok::LessEq, start);
            }
            if (peek() == '>') {
                advance();
                return make(Tok::NotEq, start);
            }
            return make(Tok::Less, start);
        case '>':
            if (peek() == '=') {
                advance();
                return make(Tok::GreaterEq, start);
            }
            return make(Tok::Greater, start);
        case ':':
            if (peek() == '=') {
                advance();
                return make(Tok::Assign, start);
            }
            return make(Tok::Colon, start);
        case '.':
            if (peek() == '.') {
                advance();
                return make(Tok::DotDot, start);
            }
            return make(Tok::Dot, start);
        default:
            break;
        }
        // A stray byte: report it once, and skip the rest of a multi-byte character with it.
        while (!atEnd() && (static_cast<unsigned char>(peek()) & 0xC0) == 0x80)
            advance();
        if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F)
            diag_.error(start, std::string("Illegal character '") + c + "'");
        else
            diag_.error(start, "Illegal character in input");
        return make(Tok::Error, start);
    }

    Token identifier(SourcePos start)
    {
        // Identifiers are ASCII: each byte is one column.
        std::size_t begin = pos_;
        std::size_t n = pos_;
        while (n < src_.size() && isIdentChar(src_[n]))
            ++n;
        col_ += static_cast<int32_t>(n - pos_);
        pos_ = n;
        Token t = make(Tok::Ident, start);
        t.text = src_.substr(begin, pos_ - begin);
        t.kind = keywordKind(t.text);
        return t;
    }

    Token number(SourcePos start)
    {
        std::size_t begin = pos_;
        while (!atEnd() && isDigit(peek()))
            advance();
        bool real = false;
        if (peek() == '.' && isDigit(peek(1))) {
            real = true;
            advance();
            while (!atEnd() && isDigit(peek()))
                advance();
        }
        if ((peek() == 'e' || peek() == 'E')
            && (isDigit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && isDigit(peek(2))))) {
            real = true;
            advance();
            if (peek() == '+' || peek() == '-')
                advance();
            while (!atEnd() && isDigit(peek()))
                advance();
        }
        std::string_view text = src_.substr(begin, pos_ - begin);
        if (real) {
            Token t = make(Tok::RealLit, start);
            auto result = std::from_chars(text.data(), text.data() + text.size(), t.realValue);
            if (result.ec != std::errc()) {
                diag_.error(start, "Invalid real constant");
                t.realValue = 0;
            }
            return t;
        }
        Token t = make(Tok::IntLit, start);
        auto result = std::from_chars(text.data(), text.data() + text.size(), t.intValue);
        if (result.ec != std::errc()) {
            diag_.error(start, "Integer constant too large");
            t.intValue = 0;
        }
        if (isIdentStart(peek()))
            diag_.error(here(), "Syntax error in number");
        return t;
    }

    Token hexNumber(SourcePos start)
    {
        advance();
        std::size_t begin = pos_;
        while (!atEnd() && hexValue(peek()) >= 0)
            advance();
        Token t = make(Tok::IntLit, start);
        std::string_view text = src_.substr(begin, pos_ - begin);
        if (text.empty()) {
            diag_.error(start, "Hexadecimal digits expected after '$'");
            return t;
        }
        auto result = std::from_chars(text.data(), text.data() + text.size(), t.intValue, 16);
        if (result.ec != std::errc()) {
            diag_.error(start, "Integer constant too large");
            t.intValue = 0;
        }
        return t;
    }

    // Reads quoted pieces and #nn character codes that follow each other without a gap.
    Token stringLiteral(SourcePos start)
    {
        std::string value;
        bool ok = true;
        while (!atEnd() && (peek() == '\'' || peek() == '#')) {
            if (peek() == '\'') {
                SourcePos quote = here();
                advance();
                for (;;) {
                    if (atEnd() || peek() == '\n' || peek() == '\r') {
                        diag_.error(quote, "Unterminated string");
                        ok = false;
                        break;
                    }
                    char c = peek();
                    advance();
                    if (c == '\'') {
                        if (peek() == '\'') {
                            advance();
                            value += '\'';
                            continue;
                        }
                        break;
                    }
                    value += c;
                }
                if (!ok)
                    break;
            } else {
                SourcePos hash = here();
                advance();
                uint64_t code = 0;
                bool digits = false;
                bool tooLarge = false;
                if (peek() == '$') {
                    advance();
                    while (!atEnd() && hexValue(peek()) >= 0) {
                        code = code * 16 + static_cast<uint64_t>(hexValue(peek()));
                        tooLarge = tooLarge || code > 255;
                        digits = true;
                        advance();
                    }
                } else {
                    while (!atEnd() && isDigit(peek())) {
                        code = code * 10 + static_cast<uint64_t>(peek() - '0');
                        tooLarge = tooLarge || code > 255;
                        digits = true;
                        advance();
                    }
                }
                if (!digits) {
                    diag_.error(hash, "Character code expected after '#'");
                    ok = false;
                    break;
                }
                if (tooLarge) {
                    diag_.error(hash, "Character code out of range");
                    ok = false;
                    continue;
                }
                value += static_cast<char>(code);
            }
        }
        // A broken literal still yields a string token, so that the parser does not add echoes of the
        // error already reported.
        Token t = make(Tok::StrLit, start);
        t.text = arena_.copy(value);
        return t;
    }

    std::string_view src_;
    Arena& arena_;
    Diagnostics& diag_;
    std::size_t pos_ = 0;
    int32_t row_ = 1;
    int32_t col_ = 1;
};

}  // namespace

std::vector<Token> tokenize(std::string_view source, Arena& arena, Diagnostics& diagnostics)
{
    return Lexer(source, arena, diagnostics).run();
}

}  // namespace shutterhand::pascal
