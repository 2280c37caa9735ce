#include "pascal/parser_impl.h"

#include "pascal/small_vector.h"

namespace shutterhand::pascal::parsing {

// ================= program and declarations =================

Program* Parser::program()
{
    Program* prog = arena_.make<Program>();
    if (accept(Tok::KwProgram)) {
        prog->name = expectIdent();
        if (accept(Tok::LParen)) {  // "program Name(input, output);" as old programs write it
            while (!at(Tok::RParen) && !at(Tok::Eof) && !at(Tok::Semicolon))
                take();
            expect(Tok::RParen);
        }
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
    }
    if (accept(Tok::KwUses)) {
        // Units are not separate here: every standard routine is always available, so the clause is
        // read and its names ignored.
        do {
            expectIdent();
        } while (accept(Tok::Comma));
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
    }
    prog->block = block(true);
    prog->endPos = cur().pos;
    if (!at(Tok::Dot)) {
        expected("'.'");
    } else {
        take();
    }
    if (!at(Tok::Eof) && !reported_)
        errorHere("Unexpected text after the end of the program");
    return prog;
}

Block* Parser::block(bool isMain)
{
    Block* b = arena_.make<Block>();
    std::vector<Decl> decls;
    declarations(decls, isMain);
    b->decls = arena_.copy(decls);
    if (!at(Tok::KwBegin)) {
        expected("'begin'");
        // Skip to the next "begin" or the end, so that the body can still be read.
        while (!at(Tok::KwBegin) && !at(Tok::Eof) && !at(Tok::Dot))
            take();
    }
    b->body = compound();
    return b;
}

void Parser::declarations(std::vector<Decl>& decls, bool isMain)
{
    for (;;) {
        switch (kind()) {
        case Tok::KwConst:
            take();
            constSection(decls);
            break;
        case Tok::KwType:
            take();
            typeSection(decls);
            break;
        case Tok::KwVar:
            take();
            varSection(decls);
            break;
        case Tok::KwProcedure:
        case Tok::KwFunction: {
            RoutineDecl* r = routine(true);
            if (r != nullptr) {
                Decl d;
                d.kind = DeclKind::Routine;
                d.routine = r;
                decls.push_back(d);
            }
            break;
        }
        case Tok::KwBegin:
        case Tok::Eof:
            return;
        case Tok::KwUses:
            if (isMain) {
                errorHere("'uses' must come before the declarations");
                skipToSemicolon();
                break;
            }
            [[fallthrough]];
        default:
            expected("'begin'");
            // Skip ahead to something a declaration part or a block can start with.
            while (!at(Tok::Eof) && !at(Tok::KwBegin) && !at(Tok::KwConst) && !at(Tok::KwType) && !at(Tok::KwVar)
                   && !at(Tok::KwProcedure) && !at(Tok::KwFunction))
                take();
            break;
        }
        if (diag_.full())
            return;
    }
}

void Parser::skipToSemicolon()
{
    while (!at(Tok::Semicolon) && !at(Tok::Eof) && !at(Tok::KwBegin) && !at(Tok::KwEnd))
        take();
    accept(Tok::Semicolon);
}

void Parser::constSection(std::vector<Decl>& decls)
{
    if (!at(Tok::Ident))
        expected("Identifier");
    while (at(Tok::Ident)) {
        ConstDecl* c = arena_.make<ConstDecl>();
        c->name = expectIdent();
        if (accept(Tok::Colon))
            c->type = type();
        if (!expect(Tok::Eq)) {
            skipToSemicolon();
            continue;
        }
        c->value = c->type != nullptr ? constValue() : expression();
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
        Decl d;
        d.kind = DeclKind::Const;
        d.constDecl = c;
        decls.push_back(d);
    }
}

void Parser::typeSection(std::vector<Decl>& decls)
{
    if (!at(Tok::Ident))
        expected("Identifier");
    while (at(Tok::Ident)) {
        TypeDecl* t = arena_.make<TypeDecl>();
        t->name = expectIdent();
        if (!expect(Tok::Eq)) {
            skipToSemicolon();
            continue;
        }
        if (at(Tok::KwType))  // "type X = type Integer" declares a distinct copy; here it is an alias
            take();
        t->type = type();
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
        Decl d;
        d.kind = DeclKind::Type;
        d.typeDecl = t;
        decls.push_back(d);
    }
}

void Parser::varSection(std::vector<Decl>& decls)
{
    if (!at(Tok::Ident))
        expected("Identifier");
    while (at(Tok::Ident)) {
        VarDecl* v = arena_.make<VarDecl>();
        std::vector<Ident> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma))
            names.push_back(expectIdent());
        v->names = arena_.copy(names);
        if (!expect(Tok::Colon)) {
            skipToSemicolon();
            continue;
        }
        v->type = type();
        if (accept(Tok::Eq))
            v->init = expression();
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
        Decl d;
        d.kind = DeclKind::Var;
        d.varDecl = v;
        decls.push_back(d);
    }
}

RoutineDecl* Parser::heading()
{
    RoutineDecl* r = arena_.make<RoutineDecl>();
    r->pos = cur().pos;
    switch (kind()) {
    case Tok::KwProcedure:
        r->kind = RoutineKind::Procedure;
        break;
    case Tok::KwFunction:
        r->kind = RoutineKind::Function;
        break;
    case Tok::KwConstructor:
        r->kind = RoutineKind::Constructor;
        break;
    case Tok::KwDestructor:
        r->kind = RoutineKind::Destructor;
        break;
    default:
        expected("'procedure' or 'function'");
        return nullptr;
    }
    take();
    r->name = expectIdent();
    if (r->name.name.empty())
        return nullptr;
    if (at(Tok::LParen))
        r->params = parameters();
    if (r->kind == RoutineKind::Function) {
        if (expect(Tok::Colon))
            r->result = type();
    }
    return r;
}

std::span<ParamGroup> Parser::parameters()
{
    expect(Tok::LParen);
    std::vector<ParamGroup> groups;
    if (accept(Tok::RParen))
        return {};
    for (;;) {
        ParamGroup g{};
        g.mode = ParamMode::Value;
        if (accept(Tok::KwVar))
            g.mode = ParamMode::Var;
        else if (accept(Tok::KwConst))
            g.mode = ParamMode::Const;
        else if (at(Tok::Ident) && peekTok().kind == Tok::Ident && cur().text.size() == 3
                 && (cur().text[0] | 0x20) == 'o' && (cur().text[1] | 0x20) == 'u' && (cur().text[2] | 0x20) == 't') {
            take();
            g.mode = ParamMode::Out;
        }
        std::vector<Ident> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma))
            names.push_back(expectIdent());
        g.names = arena_.copy(names);
        if (accept(Tok::Colon)) {
            g.type = type();
            if (accept(Tok::Eq))
                g.defaultValue = expression();
        }
        groups.push_back(g);
        if (accept(Tok::Semicolon))
            continue;
        if (!expect(Tok::RParen)) {
            while (!at(Tok::RParen) && !at(Tok::Eof) && !at(Tok::Semicolon) && !at(Tok::KwBegin))
                take();
            accept(Tok::RParen);
        }
        break;
    }
    return arena_.copy(groups);
}

RoutineDecl* Parser::routine(bool withBody)
{
    RoutineDecl* r = heading();
    if (r == nullptr) {
        skipToSemicolon();
        return nullptr;
    }
    if (!expect(Tok::Semicolon))
        skipToSemicolon();
    // Directives.
    while (at(Tok::Ident)) {
        std::string lower;
        for (char c : cur().text)
            lower += static_cast<char>(c | 0x20);
        if (lower == "forward") {
            r->isForward = true;
        } else if (lower == "overload" || lower == "stdcall" || lower == "register" || lower == "cdecl"
                   || lower == "inline") {
            // Calling conventions mean nothing to the engine; overloads are reported by the checker
            // as duplicates.
        } else {
            break;
        }
        take();
        if (!expect(Tok::Semicolon))
            skipToSemicolon();
    }
    if (r->isForward || !withBody)
        return r;
    {
        DepthGuard guard(*this, 8);
        if (!guard.ok) {
            // Skip the routine without descending further.
            int level = 0;
            while (!at(Tok::Eof)) {
                if (at(Tok::KwBegin) || at(Tok::KwCase) || at(Tok::KwTry) || at(Tok::KwRecord))
                    ++level;
                if (at(Tok::KwEnd) && --level <= 0) {
                    take();
                    break;
                }
                take();
            }
            accept(Tok::Semicolon);
            return r;
        }
        r->body = block(false);
    }
    if (!expect(Tok::Semicolon))
        skipToSemicolon();
    return r;
}

// ================= types =================

TypeExpr* Parser::type()
{
    DepthGuard guard(*this);
    SourcePos p = cur().pos;
    if (!guard.ok) {
        auto* t = typeNode<NamedTypeExpr>(TypeExprKind::Named, p);
        t->name = "";
        return t;
    }
    accept(Tok::KwPacked);
    switch (kind()) {
    case Tok::KwString: {
        take();
        auto* t = typeNode<TypeExpr>(TypeExprKind::String, p);
        if (at(Tok::LBracket)) {
            errorHere("Short strings with a length are not supported; use string");
            take();
            expression();
            expect(Tok::RBracket);
        }
        return t;
    }
    case Tok::LParen: {
        take();
        std::vector<Ident> values;
        values.push_back(expectIdent());
        while (accept(Tok::Comma))
            values.push_back(expectIdent());
        expect(Tok::RParen);
        auto* t = typeNode<EnumTypeExpr>(TypeExprKind::Enum, p);
        t->values = arena_.copy(values);
        return t;
    }
    case Tok::KwSet: {
        take();
        expect(Tok::KwOf);
        auto* t = typeNode<SetTypeExpr>(TypeExprKind::Set, p);
        t->element = type();
        return t;
    }
    case Tok::KwArray:
        return arrayType();
    case Tok::KwRecord:
        return recordType();
    case Tok::Ident:
        if (peekTok().kind != Tok::DotDot) {
            auto* t = typeNode<NamedTypeExpr>(TypeExprKind::Named, p);
            t->name = take().text;
            return t;
        }
        break;
    case Tok::KwClass:
    case Tok::KwProcedure:
    case Tok::KwFunction:
    case Tok::Caret:
        errorHere("Declaring " + describe(cur()) + " types is not supported in scripts");
        {
            auto* t = typeNode<NamedTypeExpr>(TypeExprKind::Named, p);
            t->name = "";
            // Skip the rest of the declaration.
            while (!at(Tok::Semicolon) && !at(Tok::Eof))
                take();
            return t;
        }
    default:
        break;
    }
    // A subrange "low..high" of constant expressions.
    auto* t = typeNode<SubrangeTypeExpr>(TypeExprKind::Subrange, p);
    t->low = simpleExpression();
    if (!expect(Tok::DotDot)) {
        t->high = t->low;
        return t;
    }
    t->high = simpleExpression();
    return t;
}

TypeExpr* Parser::arrayType()
{
    SourcePos p = take().pos;
    auto* t = typeNode<ArrayTypeExpr>(TypeExprKind::Array, p);
    if (accept(Tok::LBracket)) {
        std::vector<TypeExpr*> indices;
        indices.push_back(type());
        while (accept(Tok::Comma))
            indices.push_back(type());
        expect(Tok::RBracket);
        t->indices = arena_.copy(indices);
    }
    expect(Tok::KwOf);
    if (at(Tok::KwConst) && t->indices.empty()) {
        take();
        return typeNode<TypeExpr>(TypeExprKind::ArrayOfConst, p);
    }
    t->element = type();
    return t;
}

TypeExpr* Parser::recordType()
{
    SourcePos p = take().pos;
    auto* t = typeNode<RecordTypeExpr>(TypeExprKind::Record, p);
    std::vector<FieldGroup> fields;
    while (at(Tok::Ident)) {
        FieldGroup g{};
        std::vector<Ident> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma))
            names.push_back(expectIdent());
        g.names = arena_.copy(names);
        if (expect(Tok::Colon))
            g.type = type();
        fields.push_back(g);
        if (!accept(Tok::Semicolon))
            break;
    }
    if (at(Tok::KwCase)) {
        errorHere("Variant records are not supported");
        while (!at(Tok::KwEnd) && !at(Tok::Eof))
            take();
    }
    expect(Tok::KwEnd);
    t->fields = arena_.copy(fields);
    return t;
}

// ================= texts given by the host =================

RoutineDecl* Parser::headingText()
{
    RoutineDecl* r = heading();
    if (r == nullptr)
        return nullptr;
    accept(Tok::Semicolon);
    if (!at(Tok::Eof)) {
        errorHere("End of declaration expected but " + describe(cur()) + " found");
        return nullptr;
    }
    return diag_.errorCount() == 0 ? r : nullptr;
}

TypeExpr* Parser::typeText()
{
    TypeExpr* t = type();
    accept(Tok::Semicolon);
    if (!at(Tok::Eof)) {
        errorHere("End of type expected but " + describe(cur()) + " found");
        return nullptr;
    }
    return diag_.errorCount() == 0 ? t : nullptr;
}

bool Parser::parameterText(std::span<ParamGroup>& out)
{
    // Reuse the parameter list reader by pretending the parentheses were there.
    std::vector<ParamGroup> groups;
    for (;;) {
        ParamGroup g{};
        g.mode = ParamMode::Value;
        if (accept(Tok::KwVar))
            g.mode = ParamMode::Var;
        else if (accept(Tok::KwConst))
            g.mode = ParamMode::Const;
        std::vector<Ident> names;
        names.push_back(expectIdent());
        while (accept(Tok::Comma))
            names.push_back(expectIdent());
        g.names = arena_.copy(names);
        if (expect(Tok::Colon))
            g.type = type();
        groups.push_back(g);
        if (!accept(Tok::Semicolon))
            break;
    }
    if (!at(Tok::Eof))
        errorHere("End of parameters expected but " + describe(cur()) + " found");
    out = arena_.copy(groups);
    return diag_.errorCount() == 0;
}

}  // namespace shutterhand::pascal::parsing

namespace shutterhand::pascal {

using parsing::Parser;
using namespace ast;

Program* parseProgram(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics)
{
    return Parser(tokens, arena, diagnostics).program();
}

RoutineDecl* parseRoutineHeading(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics)
{
    return Parser(tokens, arena, diagnostics).headingText();
}

TypeExpr* parseTypeText(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics)
{
    return Parser(tokens, arena, diagnostics).typeText();
}

bool parseParameterText(std::span<const Token> tokens, Arena& arena, Diagnostics& diagnostics,
                        std::span<ParamGroup>& out)
{
    return Parser(tokens, arena, diagnostics).parameterText(out);
}

}  // namespace shutterhand::pascal