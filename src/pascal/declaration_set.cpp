#include "pascal/declaration_set.h"

#include "pascal/lexer.h"
#include "pascal/parser.h"

namespace shutterhand::pascal {

DeclarationSet::DeclarationSet(std::string module, std::vector<const Scope*> outer)
    : module_(std::move(module))
    , outer_(std::move(outer))
{ }

std::string_view DeclarationSet::keep(std::string_view text) { return arena_.copy(text); }

Environment DeclarationSet::environment() const
{
    Environment env;
    env.scopes.push_back(&scope_);
    env.scopes.insert(env.scopes.end(), outer_.begin(), outer_.end());
    return env;
}

void DeclarationSet::report(const Diagnostics& diagnostics, std::string_view what)
{
    for (const Diagnostic& d : diagnostics.all())
        errors_.push_back(module_ + ": " + std::string(what) + ": " + d.line());
    if (diagnostics.all().empty())
        errors_.push_back(module_ + ": " + std::string(what) + ": invalid declaration");
}

Symbol* DeclarationSet::declare(std::string_view name, SymKind kind)
{
    Symbol* sym = arena_.make<Symbol>();
    sym->kind = kind;
    sym->name = keep(name);
    if (scope_.names.insert(sym) != nullptr) {
        errors_.push_back(module_ + ": " + std::string(name) + " is declared twice");
        return nullptr;
    }
    return sym;
}

const Type* DeclarationSet::resolveType(std::string_view text)
{
    std::string_view stored = keep(text);
    Diagnostics diag;
    diag.setModule(module_);
    std::vector<Token> tokens = tokenize(stored, arena_, diag);
    ast::TypeExpr* type = diag.errorCount() == 0 ? parseTypeText(tokens, arena_, diag) : nullptr;
    if (type == nullptr) {
        report(diag, text);
        return nullptr;
    }
    Environment env = environment();
    const Type* t = resolveTypeText(*type, {}, env, arena_, diag);
    if (t == nullptr)
        report(diag, text);
    return t;
}

const Type* DeclarationSet::addType(std::string_view name, std::string_view text)
{
    std::string_view storedName = keep(name);
    std::string_view stored = keep(text);
    Diagnostics diag;
    diag.setModule(module_);
    std::vector<Token> tokens = tokenize(stored, arena_, diag);
    ast::TypeExpr* typeExpr = diag.errorCount() == 0 ? parseTypeText(tokens, arena_, diag) : nullptr;
    if (typeExpr == nullptr) {
        report(diag, name);
        return nullptr;
    }
    Environment env = environment();
    const Type* t = resolveTypeText(*typeExpr, storedName, env, arena_, diag);
    if (t == nullptr) {
        report(diag, name);
        return nullptr;
    }
    Symbol* sym = declare(storedName, SymKind::Type);
    if (sym == nullptr)
        return nullptr;
    sym->type = t;
    // An enumeration's values become constants of this set.
    if (isEnum(t) && t->base == nullptr) {
        for (std::size_t i = 0; i < t->enumNames.size(); ++i) {
            Symbol* value = declare(t->enumNames[i], SymKind::Const);
            if (value == nullptr)
                return nullptr;
            value->type = t;
            value->value.i = static_cast<int64_t>(i);
        }
    }
    return t;
}

void DeclarationSet::addTypeAlias(std::string_view name, const Type* type)
{
    if (Symbol* sym = declare(name, SymKind::Type))
        sym->type = type;
}

void DeclarationSet::addConstant(std::string_view name, const Type* type, ConstValue value)
{
    if (Symbol* sym = declare(name, SymKind::Const)) {
        sym->type = type;
        if (!value.s.empty())
            value.s = keep(value.s);
        sym->value = value;
    }
}

void DeclarationSet::addIntrinsic(std::string_view name, int id)
{
    if (Symbol* sym = declare(name, SymKind::Intrinsic))
        sym->intrinsic = id;
}

ClassInfo* DeclarationSet::findClass(std::string_view name)
{
    uint32_t hash = identHash(name);
    const Symbol* sym = scope_.names.find(name, hash);
    for (std::size_t i = 0; sym == nullptr && i < outer_.size(); ++i)
        sym = outer_[i]->names.find(name, hash);
    if (sym == nullptr || sym->kind != SymKind::Type || sym->type->kind != TypeKind::Class)
        return nullptr;
    return const_cast<ClassInfo*>(sym->type->cls);
}

ClassInfo* DeclarationSet::addClass(std::string_view name, std::string_view parent, DestroyFn destroy,
                                    const void* destroyData)
{
    const ClassInfo* parentInfo = nullptr;
    if (!parent.empty()) {
        parentInfo = findClass(parent);
        if (parentInfo == nullptr) {
            errors_.push_back(module_ + ": class " + std::string(name) + ": unknown parent class "
                              + std::string(parent));
            return nullptr;
        }
    }
    ClassInfo& cls = classes_.emplace_back();
    cls.name = keep(name);
    cls.parent = parentInfo;
    cls.destroy = destroy;
    cls.destroyData = destroyData;
    cls.isException = parentInfo != nullptr && parentInfo->isException;
    Type* instance = arena_.make<Type>();
    instance->kind = TypeKind::Class;
    instance->slots = 1;
    instance->name = cls.name;
    instance->cls = &cls;
    Type* ref = arena_.make<Type>();
    ref->kind = TypeKind::ClassRef;
    ref->slots = 1;
    ref->name = cls.name;
    ref->cls = &cls;
    cls.instanceType = instance;
    cls.refType = ref;
    Symbol* sym = declare(cls.name, SymKind::Type);
    if (sym == nullptr)
        return nullptr;
    sym->type = instance;
    return &cls;
}

const Member* DeclarationSet::addMethod(ClassInfo* cls, std::string_view heading, Binding binding)
{
    std::string_view stored = keep(heading);
    Diagnostics diag;
    diag.setModule(module_);
    std::vector<Token> tokens = tokenize(stored, arena_, diag);
    ast::RoutineDecl* decl = diag.errorCount() == 0 ? parseRoutineHeading(tokens, arena_, diag) : nullptr;
    std::string what = std::string(cls->name) + "." + std::string(heading);
    if (decl == nullptr) {
        report(diag, what);
        return nullptr;
    }
    bool isConstructor = decl->kind == ast::RoutineKind::Constructor;
    if (decl->kind == ast::RoutineKind::Destructor) {
        errors_.push_back(module_ + ": " + what
                          + ": destructors are not declared; Free calls the class's destroy function");
        return nullptr;
    }
    Environment env = environment();
    const Signature* parsed = resolveSignature(*decl, !isConstructor, env, arena_, diag);
    if (parsed == nullptr) {
        report(diag, what);
        return nullptr;
    }
    const Signature* sig = parsed;
    if (isConstructor) {
        // A constructor returns the new object.
        auto* withResult = arena_.make<Signature>();
        withResult->result = cls->instanceType;
        std::vector<Param> params(parsed->params.begin(), parsed->params.end());
        layoutSignature(*withResult, arena_.copy(params), false);
        sig = withResult;
    }
    Member& m = members_.emplace_back();
    m.kind = isConstructor ? MemberKind::Constructor : MemberKind::Method;
    m.name = decl->name.name;
    m.owner = cls;
    m.sig = sig;
    m.call = binding;
    if (cls->members.insert(&m) != nullptr) {
        errors_.push_back(module_ + ": " + what + ": member declared twice");
        return nullptr;
    }
    return &m;
}

const Member* DeclarationSet::addProperty(ClassInfo* cls, std::string_view name, std::string_view params,
                                          std::string_view type, bool writable, Binding getter, Binding setter,
                                          bool isDefault)
{
    std::string what = std::string(cls->name) + "." + std::string(name);
    const Type* t = resolveType(type);
    if (t == nullptr)
        return nullptr;
    std::vector<Param> indices;
    if (!params.empty()) {
        std::string_view stored = keep(params);
        Diagnostics diag;
        diag.setModule(module_);
        std::vector<Token> tokens = tokenize(stored, arena_, diag);
        std::span<ast::ParamGroup> groups;
        if (diag.errorCount() != 0 || !parseParameterText(tokens, arena_, diag, groups)) {
            report(diag, what);
            return nullptr;
        }
        for (const ast::ParamGroup& g : groups) {
            const Type* pt = nullptr;
            if (g.type != nullptr) {
                Environment env = environment();
                pt = resolveTypeText(*g.type, {}, env, arena_, diag);
            }
            if (pt == nullptr) {
                report(diag, what);
                return nullptr;
            }
            for (const ast::Ident& id : g.names) {
                Param p;
                p.name = id.name;
                p.type = pt;
                p.mode = g.mode;
                indices.push_back(p);
            }
        }
    }
    Member& m = members_.emplace_back();
    m.kind = MemberKind::Property;
    m.name = keep(name);
    m.owner = cls;
    m.propType = t;
    m.isDefault = isDefault;
    std::span<const Param> idx = arena_.copy(indices);
    if (getter.fn != nullptr) {
        m.getSig = propertySignature(idx, t, false, arena_);
        m.getter = getter;
    }
    if (writable && setter.fn != nullptr) {
        m.setSig = propertySignature(idx, t, true, arena_);
        m.setter = setter;
    }
    if (cls->members.insert(&m) != nullptr) {
        errors_.push_back(module_ + ": " + what + ": member declared twice");
        return nullptr;
    }
    if (isDefault)
        cls->defaultProperty = &m;
    return &m;
}

const Symbol* DeclarationSet::addRoutine(std::string_view heading, Binding binding)
{
    std::string_view stored = keep(heading);
    Diagnostics diag;
    diag.setModule(module_);
    std::vector<Token> tokens = tokenize(stored, arena_, diag);
    ast::RoutineDecl* decl = diag.errorCount() == 0 ? parseRoutineHeading(tokens, arena_, diag) : nullptr;
    if (decl == nullptr || decl->kind == ast::RoutineKind::Constructor || decl->kind == ast::RoutineKind::Destructor) {
        report(diag, heading);
        return nullptr;
    }
    Environment env = environment();
    const Signature* sig = resolveSignature(*decl, false, env, arena_, diag);
    if (sig == nullptr) {
        report(diag, heading);
        return nullptr;
    }
    Symbol* sym = declare(decl->name.name, SymKind::Native);
    if (sym == nullptr)
        return nullptr;
    sym->sig = sig;
    sym->binding = binding;
    sym->type = sig->result;
    return sym;
}

HostBinding& DeclarationSet::newHostBinding() { return hostBindings_.emplace_back(); }

namespace {
void callDestroyer(void* object, const void* data) { (*static_cast<const std::function<void(void*)>*>(data))(object); }
}  // namespace

std::pair<DestroyFn, const void*> DeclarationSet::keepDestroyer(std::function<void(void*)> destroy)
{
    if (!destroy)
        return {nullptr, nullptr};
    std::function<void(void*)>& stored = destroyers_.emplace_back(std::move(destroy));
    return {callDestroyer, &stored};
}

}  // namespace shutterhand::pascal
