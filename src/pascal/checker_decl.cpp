#include "pascal/checker_impl.h"

namespace shutterhand::pascal {

Checker::Checker(const Environment& env, Arena& arena, Diagnostics& diag)
    : env_(env)
    , arena_(arena)
    , diag_(diag)
    , bt_(builtinTypes())
{
    errorType_.kind = TypeKind::Void;
    errorType_.name = "<error>";
    errorType_.slots = 1;
    emptySetType_.kind = TypeKind::Set;
    emptySetType_.name = "set";
    emptySetType_.slots = 4;
}

void Checker::error(SourcePos pos, std::string text) { diag_.error(pos, std::move(text)); }

void Checker::incompatible(SourcePos pos, const Type* a, const Type* b)
{
    if (a == &errorType_ || b == &errorType_)
        return;
    error(pos, "Incompatible types: " + quoted(a->name) + " and " + quoted(b->name));
}

Type* Checker::newType(TypeKind kind, std::string_view name)
{
    Type* t = arena_.make<Type>();
    t->kind = kind;
    t->name = name;
    return t;
}

const Type* Checker::dynArrayOf(const Type* elem)
{
    Type* t = newType(TypeKind::DynArray, arena_.copy("array of " + std::string(elem->name)));
    t->elem = elem;
    t->slots = 1;
    t->managed = true;
    return t;
}

const Type* Checker::openArrayOf(const Type* elem)
{
    Type* t = newType(TypeKind::OpenArray, arena_.copy("array of " + std::string(elem->name)));
    t->elem = elem;
    t->slots = 2;
    return t;
}

const Type* Checker::setOf(const Type* elem, std::string_view name)
{
    Type* t = newType(TypeKind::Set, name.empty() ? arena_.copy("set of " + std::string(elem->name)) : name);
    t->elem = elem;
    t->slots = 4;
    return t;
}

Symbol* Checker::declare(std::string_view name, SourcePos pos, SymKind kind)
{
    Symbol* sym = arena_.make<Symbol>();
    sym->kind = kind;
    sym->name = name;
    sym->pos = pos;
    sym->level = scope_->level;
    if (Symbol* old = scope_->names.insert(sym)) {
        (void)old;
        error(pos, "Identifier redeclared: " + quoted(name));
    }
    return sym;
}

int32_t Checker::allocSlots(int32_t count)
{
    if (routine_->level == 0) {
        int32_t slot = globalSlots_;
        globalSlots_ += count;
        routine_->frameSlots = globalSlots_;
        return slot;
    }
    int32_t slot = routine_->frameSlots;
    routine_->frameSlots += count;
    return slot;
}

Symbol* Checker::declareVariable(std::string_view name, SourcePos pos, const Type* type)
{
    Symbol* sym = declare(name, pos, SymKind::Var);
    sym->type = type;
    sym->storage = routine_->level == 0 ? Storage::Global : Storage::Local;
    sym->slot = allocSlots(type->slots);
    if (type->managed)
        managed_.push_back(ManagedSlot{sym->slot, type});
    if (routine_->frameSlots > kMaxTypeSlots && !diag_.full())
        error(pos, "Too many local variables");
    return sym;
}

int32_t Checker::hiddenLocal(const Type* type)
{
    int32_t slot = allocSlots(type->slots);
    if (type->managed)
        managed_.push_back(ManagedSlot{slot, type});
    return slot;
}

Symbol* Checker::lookup(std::string_view name)
{
    uint32_t hash = identHash(name);
    for (Scope* s = scope_; s != nullptr; s = s->parent) {
        if (s->withType != nullptr) {
            const Type* t = s->withType;
            if (t->kind == TypeKind::Record) {
                for (const Field& f : t->record->fields) {
                    if (identEqual(f.name, name)) {
                        Symbol* sym = arena_.make<Symbol>();
                        sym->kind = SymKind::Field;
                        sym->name = f.name;
                        sym->type = f.type;
                        sym->withIndex = s->withSlot;
                        sym->field = &f;
                        sym->byRef = s->withIsAddress;
                        sym->level = s->level;
                        return sym;
                    }
                }
            } else if (t->kind == TypeKind::Class) {
                if (const Member* m = t->cls->findMember(name)) {
                    Symbol* sym = arena_.make<Symbol>();
                    sym->kind = SymKind::Field;
                    sym->name = m->name;
                    sym->type = t;
                    sym->withIndex = s->withSlot;
                    sym->member = m;
                    sym->level = s->level;
                    return sym;
                }
            }
            continue;
        }
        if (Symbol* sym = s->names.find(name, hash))
            return sym;
    }
    for (const Scope* s : env_.scopes) {
        if (Symbol* sym = s->names.find(name, hash))
            return sym;
    }
    return nullptr;
}

const Type* Checker::lookupType(std::string_view name, SourcePos pos)
{
    if (name.empty())
        return &errorType_;
    Symbol* sym = lookup(name);
    if (sym == nullptr) {
        error(pos, "Unknown identifier " + quoted(name));
        return &errorType_;
    }
    if (sym->kind != SymKind::Type) {
        error(pos, quoted(name) + " is not a type");
        return &errorType_;
    }
    return sym->type;
}

// ---------------- declarations ----------------

void Checker::declarations(std::span<const ast::Decl> decls)
{
    std::size_t forwardsBefore = pendingForwards_.size();
    for (const ast::Decl& d : decls) {
        if (diag_.full())
            return;
        switch (d.kind) {
        case ast::DeclKind::Const:
            constDecl(*d.constDecl);
            break;
        case ast::DeclKind::Type:
            typeDecl(*d.typeDecl);
            break;
        case ast::DeclKind::Var:
            varDecl(*d.varDecl);
            break;
        case ast::DeclKind::Routine:
            routineDecl(*d.routine);
            break;
        }
    }
    for (std::size_t i = forwardsBefore; i < pendingForwards_.size(); ++i) {
        RoutineInfo* r = pendingForwards_[i];
        if (!r->defined)
            error(r->pos, "Unsatisfied forward declaration: " + quoted(r->name));
    }
    pendingForwards_.resize(forwardsBefore);
}

void Checker::constDecl(const ast::ConstDecl& decl)
{
    const Type* declared = decl.type != nullptr ? resolveType(decl.type) : nullptr;
    if (declared == &errorType_)
        return;
    if (declared != nullptr && (declared->kind == TypeKind::StaticArray || declared->kind == TypeKind::Record)) {
        structuredConst(decl, declared);
        return;
    }
    if (decl.value->kind == ast::ExprKind::ConstList) {
        error(decl.value->pos, "A list of constants needs an array or record type");
        return;
    }
    tt::Expr* value = expr(decl.value, declared);
    if (isError(value)) {
        declare(decl.name.name, decl.name.pos, SymKind::Const)->type = &errorType_;
        return;
    }
    if (declared != nullptr) {
        // A typed constant: a read-only variable with an initial value.
        value = coerce(value, declared, decl.value->pos);
        if (isError(value))
            return;
        bool isConst = value->op == tt::Op::ConstInt || value->op == tt::Op::ConstFloat || value->op == tt::Op::ConstStr
            || value->op == tt::Op::ConstSet || value->op == tt::Op::ConstNil;
        if (!isConst && value->op != tt::Op::ArrayCons) {
            error(decl.value->pos, "Constant expression expected");
            return;
        }
        if (value->op == tt::Op::ArrayCons) {
            error(decl.value->pos, "Constant expression expected");
            return;
        }
        if (isOrdinal(declared) || isFloat(declared) || isString(declared) || declared->kind == TypeKind::Set) {
            Symbol* sym = declare(decl.name.name, decl.name.pos, SymKind::Const);
            sym->type = declared;
            sym->value.i = value->i;
            sym->value.f = value->f;
            sym->value.s = value->s;
            sym->value.set = value->set;
            return;
        }
        error(decl.value->pos, "Constant expression expected");
        return;
    }
    switch (value->op) {
    case tt::Op::ConstInt:
    case tt::Op::ConstFloat:
    case tt::Op::ConstStr:
    case tt::Op::ConstSet:
    case tt::Op::ConstNil: {
        Symbol* sym = declare(decl.name.name, decl.name.pos, SymKind::Const);
        sym->type = value->type;
        sym->value.i = value->i;
        sym->value.f = value->f;
        sym->value.s = value->s;
        sym->value.set = value->set;
        return;
    }
    default:
        error(decl.value->pos, "Constant expression expected");
        return;
    }
}

// A typed constant of an array or record type: a read-only variable in the global area (also when it
// is declared in a routine, where it keeps its value between calls), filled when the program starts.
bool Checker::structuredConst(const ast::ConstDecl& decl, const Type* type)
{
    Symbol* sym = declare(decl.name.name, decl.name.pos, SymKind::Var);
    sym->type = type;
    sym->storage = Storage::Global;
    sym->slot = globalSlots_;
    globalSlots_ += type->slots;
    main_->frameSlots = globalSlots_;
    if (type->managed) {
        if (routine_->level == 0)
            managed_.push_back(ManagedSlot{sym->slot, type});
        else
            staticManaged_.push_back(ManagedSlot{sym->slot, type});
    }
    sym->readOnly = true;
    sym->used = true;
    tt::Expr* target = node(tt::Op::Var, type, decl.name.pos);
    target->sym = sym;
    return constInit(target, type, decl.value);
}

bool Checker::constInit(tt::Expr* target, const Type* type, const ast::Expr* value)
{
    if (type->kind == TypeKind::StaticArray) {
        std::vector<const ast::Expr*> items;
        if (value->kind == ast::ExprKind::ConstList) {
            auto* list = static_cast<const ast::ConstListExpr*>(value);
            if (!list->fields.empty()) {
                error(value->pos, "Array constant expected");
                return false;
            }
            items.assign(list->items.begin(), list->items.end());
        } else {
            items.push_back(value);
        }
        if (static_cast<int64_t>(items.size()) != ordinalCount(type)) {
            error(value->pos,
                  "Number of elements (" + std::to_string(items.size()) + ") differs from declaration ("
                      + std::to_string(ordinalCount(type)) + ")");
            return false;
        }
        for (std::size_t k = 0; k < items.size(); ++k) {
            tt::Expr* elem = node(tt::Op::Index, type->elem, items[k]->pos);
            elem->a = target;
            elem->b = constInt(type->low + static_cast<int64_t>(k), type->index, items[k]->pos);
            if (!constInit(elem, type->elem, items[k]))
                return false;
        }
        return true;
    }
    if (type->kind == TypeKind::Record) {
        if (value->kind != ast::ExprKind::ConstList || static_cast<const ast::ConstListExpr*>(value)->fields.empty()) {
            error(value->pos, "Record constant expected, as in (X: 1; Y: 2)");
            return false;
        }
        auto* list = static_cast<const ast::ConstListExpr*>(value);
        for (std::size_t k = 0; k < list->items.size(); ++k) {
            const Field* field = nullptr;
            for (const Field& f : type->record->fields) {
                if (identEqual(f.name, list->fields[k].name))
                    field = &f;
            }
            if (field == nullptr) {
                error(list->fields[k].pos, quoted(type->name) + " has no field " + quoted(list->fields[k].name));
                return false;
            }
            if (!constInit(fieldOf(target, field, list->fields[k].pos), field->type, list->items[k]))
                return false;
        }
        return true;
    }
    if (value->kind == ast::ExprKind::ConstList) {
        error(value->pos, "Constant expression expected");
        return false;
    }
    tt::Expr* v = coerce(expr(value, type), type, value->pos);
    if (isError(v))
        return false;
    bool isConst = v->op == tt::Op::ConstInt || v->op == tt::Op::ConstFloat || v->op == tt::Op::ConstStr
        || v->op == tt::Op::ConstSet || v->op == tt::Op::ConstNil;
    if (!isConst) {
        error(value->pos, "Constant expression expected");
        return false;
    }
    tt::Stmt* s = snode(tt::SOp::Assign, value->pos);
    s->a = target;
    s->b = v;
    globalInits_.push_back(s);
    return true;
}

void Checker::typeDecl(const ast::TypeDecl& decl)
{
    const Type* t = nullptr;
    if (decl.type->kind == ast::TypeExprKind::Named) {
        // An alias keeps the original type (and its name in messages).
        t = resolveType(decl.type);
    } else {
        t = resolveType(decl.type, decl.name.name);
    }
    Symbol* sym = declare(decl.name.name, decl.name.pos, SymKind::Type);
    sym->type = t;
}

void Checker::varDecl(const ast::VarDecl& decl)
{
    const Type* t = resolveType(decl.type);
    tt::Expr* init = nullptr;
    if (decl.init != nullptr) {
        if (routine_->level != 0)
            error(decl.init->pos, "Only global variables can be initialised");
        else if (decl.names.size() != 1)
            error(decl.init->pos, "Only one variable can be initialised at a time");
        else if (t != &errorType_) {
            init = coerce(expr(decl.init, t), t, decl.init->pos);
            bool isConst = init->op == tt::Op::ConstInt || init->op == tt::Op::ConstFloat
                || init->op == tt::Op::ConstStr || init->op == tt::Op::ConstSet || init->op == tt::Op::ConstNil;
            if (!isError(init) && !isConst) {
                error(decl.init->pos, "Constant expression expected");
                init = nullptr;
            }
        }
    }
    for (const ast::Ident& id : decl.names) {
        Symbol* sym = declareVariable(id.name, id.pos, t);
        if (init != nullptr && !isError(init)) {
            // The main block starts by assigning initial values.
            tt::Stmt* s = snode(tt::SOp::Assign, id.pos);
            s->a = variableRef(sym, id.pos);
            s->b = init;
            globalInits_.push_back(s);
        }
    }
}

void layoutSignature(Signature& sig, std::span<Param> params, bool isMethod)
{
    int32_t offset = sig.result != nullptr ? sig.result->slots : 0;
    sig.resultSlots = offset;
    if (isMethod)
        sig.selfOffset = offset++;
    int32_t minArgs = 0;
    for (std::size_t i = 0; i < params.size(); ++i) {
        params[i].offset = offset;
        offset += paramSlots(params[i].type, params[i].mode);
        if (!params[i].hasDefault)
            minArgs = static_cast<int32_t>(i) + 1;
    }
    sig.params = params;
    sig.argSlots = offset;
    sig.minArgs = minArgs;
}

bool Checker::buildParams(std::span<const ast::ParamGroup> groups, std::vector<Param>& params)
{
    bool ok = true;
    for (const ast::ParamGroup& g : groups) {
        const Type* t = nullptr;
        if (g.type == nullptr) {
            error(g.names[0].pos, "Untyped parameters are not supported");
            ok = false;
            t = &errorType_;
        } else if (g.type->kind == ast::TypeExprKind::ArrayOfConst) {
            t = bt_.constArrayType;
        } else if (g.type->kind == ast::TypeExprKind::Array
                   && static_cast<const ast::ArrayTypeExpr*>(g.type)->indices.empty()) {
            const Type* elem = resolveType(static_cast<const ast::ArrayTypeExpr*>(g.type)->element);
            t = elem == &errorType_ ? elem : openArrayOf(elem);
        } else {
            t = resolveType(g.type);
        }
        if (t == &errorType_)
            ok = false;
        for (const ast::Ident& id : g.names) {
            Param p;
            p.name = id.name;
            p.type = t;
            p.mode = g.mode;
            if (g.defaultValue != nullptr) {
                if (g.mode == ast::ParamMode::Var || g.mode == ast::ParamMode::Out) {
                    error(g.defaultValue->pos, "Default values are only allowed for value and const parameters");
                    ok = false;
                } else if (g.names.size() > 1) {
                    error(g.defaultValue->pos, "A default value needs a parameter of its own");
                    ok = false;
                } else if (t != &errorType_) {
                    tt::Expr* v = coerce(expr(g.defaultValue, t), t, g.defaultValue->pos);
                    if (v->op == tt::Op::ConstInt || v->op == tt::Op::ConstFloat || v->op == tt::Op::ConstStr
                        || v->op == tt::Op::ConstNil || v->op == tt::Op::ConstSet) {
                        p.hasDefault = true;
                        p.defaultValue.i = v->i;
                        p.defaultValue.f = v->f;
                        p.defaultValue.s = v->s;
                        p.defaultValue.set = v->set;
                    } else if (!isError(v)) {
                        error(g.defaultValue->pos, "Constant expression expected");
                        ok = false;
                    }
                }
            } else if (!params.empty() && params.back().hasDefault) {
                error(id.pos, "Parameters after one with a default value need default values too");
                ok = false;
            }
            params.push_back(p);
        }
    }
    return ok;
}

Signature* Checker::makeSignature(std::span<const ast::ParamGroup> groups, const ast::TypeExpr* result, bool isMethod,
                                  bool& ok)
{
    std::vector<Param> params;
    ok = buildParams(groups, params);
    auto* sig = arena_.make<Signature>();
    if (result != nullptr) {
        const Type* rt = resolveType(result);
        if (rt == &errorType_)
            ok = false;
        sig->result = rt;
    }
    std::span<Param> stored = arena_.copy(params);
    layoutSignature(*sig, stored, isMethod);
    return sig;
}

bool Checker::sameSignature(const Signature& a, const Signature& b) const
{
    if (a.params.size() != b.params.size() || a.result != b.result)
        return false;
    for (std::size_t i = 0; i < a.params.size(); ++i) {
        const Param& x = a.params[i];
        const Param& y = b.params[i];
        if (x.mode != y.mode)
            return false;
        if (x.type != y.type
            && !(x.type->kind == y.type->kind
                 && (x.type->kind == TypeKind::OpenArray || x.type->kind == TypeKind::ConstArray)
                 && x.type->elem == y.type->elem))
            return false;
    }
    return true;
}

void Checker::routineDecl(const ast::RoutineDecl& decl)
{
    if (decl.kind == ast::RoutineKind::Constructor || decl.kind == ast::RoutineKind::Destructor) {
        error(decl.pos, "Constructors and destructors can only be declared in classes");
        return;
    }
    bool isFunction = decl.kind == ast::RoutineKind::Function;
    bool ok = true;
    Signature* sig = makeSignature(decl.params, decl.result, false, ok);
    if (isFunction && sig->result == nullptr) {
        // The heading lacked its result type (a syntax error was reported); give the routine one
        // that stops further messages.
        sig->result = &errorType_;
        ok = false;
    }

    // The definition of a routine declared "forward" before.
    if (Symbol* existing = scope_->findLocal(decl.name.name)) {
        if (existing->kind == SymKind::Routine && !existing->routine->defined && !decl.isForward) {
            RoutineInfo* r = existing->routine;
            bool headingGiven = !decl.params.empty() || decl.result != nullptr;
            if (headingGiven && ok && !sameSignature(r->sig, *sig)) {
                error(decl.name.pos, "Declaration of " + quoted(decl.name.name) + " differs from previous declaration");
                return;
            }
            r->defined = true;
            r->decl = &decl;
            routineBody(r, decl);
            return;
        }
        error(decl.name.pos, "Identifier redeclared: " + quoted(decl.name.name));
        return;
    }

    auto* r = arena_.make<RoutineInfo>();
    r->name = decl.name.name;
    r->pos = decl.name.pos;
    r->sig = *sig;
    r->level = routine_->level + 1;
    r->isFunction = isFunction;
    r->decl = &decl;
    r->index = static_cast<int32_t>(routines_.size());
    routines_.push_back(r);
    Symbol* sym = declare(decl.name.name, decl.name.pos, SymKind::Routine);
    sym->routine = r;
    sym->sig = &r->sig;
    sym->type = sig->result;
    if (!ok) {
        // Keep the symbol, so that calls do not add echoes, but do not check the body.
        r->defined = true;
        return;
    }
    if (decl.isForward) {
        pendingForwards_.push_back(r);
        return;
    }
    r->defined = true;
    routineBody(r, decl);
}

void Checker::routineBody(RoutineInfo* r, const ast::RoutineDecl& decl)
{
    if (decl.body == nullptr)
        return;
    RoutineInfo* savedRoutine = routine_;
    Scope* savedScope = scope_;
    int savedLoop = loopDepth_;
    int savedExcept = exceptDepth_;
    std::vector<const Symbol*> savedLoopVars;
    savedLoopVars.swap(loopVars_);
    std::vector<ManagedSlot> savedManaged;
    savedManaged.swap(managed_);
    loopDepth_ = 0;
    exceptDepth_ = 0;

    scopes_.emplace_back();
    Scope* s = &scopes_.back();
    s->parent = scope_;
    s->level = r->level;
    scope_ = s;
    routine_ = r;
    r->frameSlots = r->sig.argSlots;

    if (r->isFunction) {
        Symbol* result = declare("Result", decl.name.pos, SymKind::Var);
        result->type = r->sig.result;
        result->storage = Storage::Local;
        result->slot = 0;
        result->used = true;
        r->resultSym = result;
    }
    for (const Param& p : r->sig.params) {
        Symbol* sym = declare(p.name, decl.name.pos, SymKind::Var);
        sym->type = p.type;
        sym->storage = Storage::Local;
        sym->slot = p.offset;
        // An open array parameter is two slots (address, count) in the frame, whatever its mode.
        sym->byRef = p.byRef() && p.type->kind != TypeKind::OpenArray && p.type->kind != TypeKind::ConstArray;
        sym->readOnly = p.mode == ast::ParamMode::Const || p.type->kind == TypeKind::OpenArray
            || p.type->kind == TypeKind::ConstArray;
        if (p.type->kind == TypeKind::OpenArray && (p.mode == ast::ParamMode::Var || p.mode == ast::ParamMode::Out))
            sym->readOnly = false;
        sym->used = true;
        if (p.type->managed && !p.byRef())
            managed_.push_back(ManagedSlot{p.offset, p.type});
    }
    declarations(decl.body->decls);
    if (!diag_.full()) {
        tt::Stmt* body = snode(tt::SOp::Block, decl.body->body->pos);
        body->body = stmtList(decl.body->body->body);
        r->body = body;
    }
    if (r->frameSlots > kMaxTypeSlots)
        error(decl.name.pos, "Too many local variables");
    r->managed = arena_.copy(managed_);
    managed_.swap(savedManaged);

    routine_ = savedRoutine;
    scope_ = savedScope;
    loopDepth_ = savedLoop;
    exceptDepth_ = savedExcept;
    loopVars_.swap(savedLoopVars);
}

bool Checker::program(const ast::Program& program, CheckedProgram& out)
{
    scopes_.emplace_back();
    scope_ = &scopes_.back();
    scope_->level = 0;
    auto* main = arena_.make<RoutineInfo>();
    main->name = program.name.name.empty() ? std::string_view("Main") : program.name.name;
    main->level = 0;
    main->defined = true;
    routine_ = main;
    main_ = main;
    globalSlots_ = env_.hostGlobalSlots;
    main->frameSlots = globalSlots_;
    if (program.block != nullptr) {
        declarations(program.block->decls);
        if (!diag_.full() && program.block->body != nullptr) {
            tt::Stmt* body = snode(tt::SOp::Block, program.block->body->pos);
            std::span<tt::Stmt*> stmts = stmtList(program.block->body->body);
            std::vector<tt::Stmt*> all(globalInits_.begin(), globalInits_.end());
            all.insert(all.end(), stmts.begin(), stmts.end());
            body->body = arena_.copy(all);
            main->body = body;
        }
    }
    if (globalSlots_ > kMaxTypeSlots)
        error(program.endPos, "Too many global variables");
    out.routines = routines_;
    out.main = main;
    out.globalSlots = globalSlots_;
    std::vector<ManagedSlot> all(env_.hostManaged.begin(), env_.hostManaged.end());
    all.insert(all.end(), managed_.begin(), managed_.end());
    all.insert(all.end(), staticManaged_.begin(), staticManaged_.end());
    main->managed = arena_.copy(all);
    return diag_.errorCount() == 0;
}

const Type* Checker::typeText(const ast::TypeExpr& type, std::string_view name)
{
    scopes_.emplace_back();
    scope_ = &scopes_.back();
    auto* main = arena_.make<RoutineInfo>();
    main->level = 0;
    routine_ = main;
    main_ = main;
    const Type* t = resolveType(&type, name);
    return t == &errorType_ ? nullptr : t;
}

const Signature* Checker::signatureText(const ast::RoutineDecl& heading, bool isMethod)
{
    scopes_.emplace_back();
    scope_ = &scopes_.back();
    auto* main = arena_.make<RoutineInfo>();
    main->level = 0;
    routine_ = main;
    main_ = main;
    bool ok = true;
    Signature* sig = makeSignature(heading.params, heading.result, isMethod, ok);
    return ok ? sig : nullptr;
}

bool checkProgram(const ast::Program& program, const Environment& env, Arena& arena, Diagnostics& diagnostics,
                  CheckedProgram& out)
{
    Checker checker(env, arena, diagnostics);
    return checker.program(program, out);
}

const Type* resolveTypeText(const ast::TypeExpr& type, std::string_view name, const Environment& env, Arena& arena,
                            Diagnostics& diagnostics)
{
    Checker checker(env, arena, diagnostics);
    return checker.typeText(type, name);
}

const Signature* resolveSignature(const ast::RoutineDecl& heading, bool isMethod, const Environment& env, Arena& arena,
                                  Diagnostics& diagnostics)
{
    Checker checker(env, arena, diagnostics);
    return checker.signatureText(heading, isMethod);
}

const Signature* propertySignature(std::span<const Param> indices, const Type* type, bool setter, Arena& arena)
{
    std::vector<Param> params(indices.begin(), indices.end());
    auto* sig = arena.make<Signature>();
    if (setter) {
        Param value;
        value.name = "Value";
        value.type = type;
        value.mode = ast::ParamMode::Value;
        params.push_back(value);
    } else {
        sig->result = type;
    }
    std::span<Param> stored = arena.copy(params);
    layoutSignature(*sig, stored, true);
    return sig;
}

}  // namespace shutterhand::pascal
