#include "pascal/parser_impl.h"

#include "pascal/small_vector.h"

namespace shutterhand::pascal::parsing {

// ================= expressions =================

// Whether the "(" at the current token opens a list of constants rather than a parenthesised
// expression: a comma or a colon at its top level decides.
bool Parser::startsConstList() const
{
    int depth = 0;
    for (std::size_t i = pos_; i < toks_.size(); ++i) {
        Tok k = toks_[i].kind;
        if (k == Tok::LParen || k == Tok::LBracket) {
            ++depth;
        } else if (k == Tok::RParen || k == Tok::RBracket) {
            if (--depth == 0)
                return false;
        } else if (depth == 1 && (k == Tok::Comma || k == Tok::Colon)) {
            return true;
        } else if (k == Tok::Semicolon && depth == 1) {
            return true;
        } else if (k == Tok::Eof || k == Tok::KwBegin || k == Tok::KwEnd) {
            return false;
        }
    }
    return false;
}

Expr* Parser::constValue()
{
    if (!at(Tok::LParen) || !startsConstList())
        return expression();
    DepthGuard guard(*this);
    if (!guard.ok)
        return errorExpr();
    auto* list = node<ConstListExpr>(ExprKind::ConstList, take().pos);
    std::vector<Expr*> items;
    std::vector<Ident> fields;
    bool isRecord = at(Tok::Ident) && peekTok().kind == Tok::Colon;
    for (;;) {
        if (isRecord) {
            fields.push_back(expectIdent());
            expect(Tok::Colon);
        }
        items.push_back(constValue());
        if (accept(isRecord ? Tok::Semicolon : Tok::Comma)) {
            if (isRecord && at(Tok::RParen))
                break;
            continue;
        }
        break;
    }
    expect(Tok::RParen);
    list->items = arena_.copy(items);
    list->fields = arena_.copy(fields);
    return list;
}

Expr* Parser::errorExpr()
{
    auto* n = node<NameExpr>(ExprKind::Name, cur().pos);
    n->name = "";
    return n;
}

// Each link of an operator chain nests the tree one level deeper; the chain counts against the same
// nesting limit as parentheses do.
struct Parser::Chain {
    Parser& p;
    int links = 0;
    explicit Chain(Parser& parser)
        : p(parser)
    { }
    bool link()
    {
        ++links;
        ++p.depth_;
        if (p.depth_ > kMaxNesting) {
            if (!p.tooDeep_) {
                p.tooDeep_ = true;
                p.diag_.error(p.cur().pos, "Expression or statement nested too deeply");
            }
            return false;
        }
        return true;
    }
    ~Chain() { p.depth_ -= links; }
};

Expr* Parser::expression()
{
    DepthGuard guard(*this);
    if (!guard.ok)
        return errorExpr();
    Chain chain(*this);
    Expr* left = simpleExpression();
    for (;;) {
        BinaryOp op;
        switch (kind()) {
        case Tok::Eq:
            op = BinaryOp::Eq;
            break;
        case Tok::NotEq:
            op = BinaryOp::NotEq;
            break;
        case Tok::Less:
            op = BinaryOp::Less;
            break;
        case Tok::LessEq:
            op = BinaryOp::LessEq;
            break;
        case Tok::Greater:
            op = BinaryOp::Greater;
            break;
        case Tok::GreaterEq:
            op = BinaryOp::GreaterEq;
            break;
        case Tok::KwIn:
            op = BinaryOp::In;
            break;
        case Tok::KwIs:
            op = BinaryOp::Is;
            break;
        default:
            return left;
        }
        if (!chain.link())
            return left;
        auto* b = node<BinaryExpr>(ExprKind::Binary, left->pos);
        b->op = op;
        b->opPos = take().pos;
        b->left = left;
        b->right = simpleExpression();
        left = b;
    }
}

Expr* Parser::simpleExpression()
{
    Chain chain(*this);
    Expr* left = term();
    for (;;) {
        BinaryOp op;
        switch (kind()) {
        case Tok::Plus:
            op = BinaryOp::Add;
            break;
        case Tok::Minus:
            op = BinaryOp::Sub;
            break;
        case Tok::KwOr:
            op = BinaryOp::Or;
            break;
        case Tok::KwXor:
            op = BinaryOp::Xor;
            break;
        default:
            return left;
        }
        if (!chain.link())
            return left;
        auto* b = node<BinaryExpr>(ExprKind::Binary, left->pos);
        b->op = op;
        b->opPos = take().pos;
        b->left = left;
        b->right = term();
        left = b;
    }
}

Expr* Parser::term()
{
    Chain chain(*this);
    Expr* left = factor();
    for (;;) {
        BinaryOp op;
        switch (kind()) {
        case Tok::Star:
            op = BinaryOp::Mul;
            break;
        case Tok::Slash:
            op = BinaryOp::Divide;
            break;
        case Tok::KwDiv:
            op = BinaryOp::Div;
            break;
        case Tok::KwMod:
            op = BinaryOp::Mod;
            break;
        case Tok::KwAnd:
            op = BinaryOp::And;
            break;
        case Tok::KwShl:
            op = BinaryOp::Shl;
            break;
        case Tok::KwShr:
            op = BinaryOp::Shr;
            break;
        case Tok::KwAs:
            op = BinaryOp::As;
            break;
        default:
            return left;
        }
        if (!chain.link())
            return left;
        auto* b = node<BinaryExpr>(ExprKind::Binary, left->pos);
        b->op = op;
        b->opPos = take().pos;
        b->left = left;
        b->right = factor();
        left = b;
    }
}

Expr* Parser::factor()
{
    DepthGuard guard(*this);
    if (!guard.ok)
        return errorExpr();
    SourcePos p = cur().pos;
    switch (kind()) {
    case Tok::IntLit: {
        auto* n = node<IntLitExpr>(ExprKind::IntLit, p);
        n->value = take().intValue;
        return n;
    }
    case Tok::RealLit: {
        auto* n = node<RealLitExpr>(ExprKind::RealLit, p);
        n->value = take().realValue;
        return n;
    }
    case Tok::StrLit: {
        auto* n = node<StrLitExpr>(ExprKind::StrLit, p);
        n->value = take().text;
        return designator(n);
    }
    case Tok::KwNil:
        take();
        return node<Expr>(ExprKind::Nil, p);
    case Tok::LParen: {
        take();
        auto* n = node<ParenExpr>(ExprKind::Paren, p);
        n->inner = expression();
        expect(Tok::RParen);
        return designator(n);
    }
    case Tok::KwNot:
    case Tok::Minus:
    case Tok::Plus:
    case Tok::At: {
        Tok k = take().kind;
        auto* n = node<UnaryExpr>(ExprKind::Unary, p);
        n->op = k == Tok::KwNot ? UnaryOp::Not
            : k == Tok::Minus   ? UnaryOp::Neg
            : k == Tok::Plus    ? UnaryOp::Plus
                                : UnaryOp::AddressOf;
        n->operand = factor();
        return n;
    }
    case Tok::LBracket: {
        take();
        auto* n = node<SetExpr>(ExprKind::Set, p);
        std::vector<SetElement> elements;
        if (!at(Tok::RBracket)) {
            do {
                SetElement e{};
                e.low = expression();
                if (accept(Tok::DotDot))
                    e.high = expression();
                elements.push_back(e);
            } while (accept(Tok::Comma));
        }
        expect(Tok::RBracket);
        n->elements = arena_.copy(elements);
        return n;
    }
    case Tok::Ident: {
        auto* n = node<NameExpr>(ExprKind::Name, p);
        n->name = take().text;
        return designator(n);
    }
    case Tok::KwString: {
        // "string(x)" is a cast.
        auto* n = node<NameExpr>(ExprKind::Name, p);
        n->name = take().text;
        return designator(n);
    }
    case Tok::KwInherited:
        errorHere("'inherited' is not supported in scripts");
        take();
        return errorExpr();
    default:
        errorHere("Expression expected but " + describe(cur()) + " found");
        return errorExpr();
    }
}

Expr* Parser::designator(Expr* base)
{
    Chain chain(*this);
    for (;;) {
        switch (kind()) {
        case Tok::Dot: {
            if (peekTok().kind != Tok::Ident)
                return base;  // the program's final "end." or an error the caller reports
            if (!chain.link())
                return base;
            take();
            auto* m = node<MemberExpr>(ExprKind::Member, base->pos);
            m->object = base;
            m->member = expectIdent();
            base = m;
            break;
        }
        case Tok::LBracket: {
            if (!chain.link())
                return base;
            take();
            auto* ix = node<IndexExpr>(ExprKind::Index, base->pos);
            ix->object = base;
            ix->indices = expressionList(Tok::RBracket);
            base = ix;
            break;
        }
        case Tok::LParen: {
            if (!chain.link())
                return base;
            take();
            auto* c = node<CallExpr>(ExprKind::Call, base->pos);
            c->callee = base;
            c->args = expressionList(Tok::RParen);
            base = c;
            break;
        }
        case Tok::Caret:
            errorHere("Pointers are not supported in scripts");
            take();
            break;
        default:
            return base;
        }
    }
}

std::span<Expr*> Parser::expressionList(Tok closing)
{
    SmallVec<Expr*, 8> items;
    if (accept(closing))
        return {};
    do {
        items.push_back(expression());
    } while (accept(Tok::Comma));
    if (!expect(closing)) {
        // Skip to the closing bracket if it follows soon on the same statement.
        std::size_t probe = pos_;
        while (probe < toks_.size() && toks_[probe].kind != closing && toks_[probe].kind != Tok::Semicolon
               && toks_[probe].kind != Tok::Eof && toks_[probe].kind != Tok::KwEnd)
            ++probe;
        if (probe < toks_.size() && toks_[probe].kind == closing) {
            pos_ = probe;
            take();
        }
    }
    return arena_.copy(items.span());
}

}  // namespace shutterhand::pascal::parsing
