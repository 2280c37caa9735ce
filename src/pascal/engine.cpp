#include "pascal/engine.h"

#include "pascal/compiler.h"
#include "pascal/declaration_set.h"
#include "pascal/lexer.h"
#include "pascal/parser.h"
#include "pascal/stdlib.h"
#include "pascal/vm.h"

#include <deque>

namespace shutterhand::pascal {

class EngineState {
public:
    std::vector<std::shared_ptr<const ImportSet>> sets;
    std::string script;
    std::string compiledSource;
    std::function<void(CompileContext&)> compileHook;
    std::function<void(ExecuteContext&)> executeHook;
    Diagnostics diagnostics;
    Arena arena;
    std::unique_ptr<Module> module;
    std::unique_ptr<Scope> hostScope;
    std::deque<HostBinding> hostBindings;
    int32_t hostSlots = 0;
    std::vector<ManagedSlot> hostManaged;
    bool hookFailed = false;
    RunLimits limits;
    void* userData = nullptr;
    std::string errorText;
    Vm* vm = nullptr;
    std::string bindError;

    Environment environment() const
    {
        Environment env;
        env.scopes.push_back(hostScope.get());
        for (auto it = sets.rbegin(); it != sets.rend(); ++it)
            env.scopes.push_back(&(*it)->declarations().scope());
        env.scopes.push_back(&standardScope());
        env.hostGlobalSlots = hostSlots;
        env.hostManaged = hostManaged;
        return env;
    }

    const Symbol* findOuter(std::string_view name) const
    {
        uint32_t hash = identHash(name);
        if (const Symbol* sym = hostScope->names.find(name, hash))
            return sym;
        for (auto it = sets.rbegin(); it != sets.rend(); ++it) {
            if (const Symbol* sym = (*it)->declarations().scope().names.find(name, hash))
                return sym;
        }
        return standardScope().names.find(name, hash);
    }

    Symbol* declareHost(std::string_view name, SymKind kind)
    {
        Symbol* sym = arena.make<Symbol>();
        sym->kind = kind;
        sym->name = arena.copy(name);
        if (hostScope->names.insert(sym) != nullptr) {
            hookFailed = true;
            diagnostics.error({}, "Identifier redeclared by the host: " + quoted(name));
            return nullptr;
        }
        return sym;
    }

    Symbol* findHostVariable(std::string_view name)
    {
        if (!hostScope)
            return nullptr;
        Symbol* sym = hostScope->names.find(name);
        return sym != nullptr && sym->kind == SymKind::Var ? sym : nullptr;
    }
};

// ---------------- compile hook ----------------

bool CompileContext::declareObject(std::string_view name, std::string_view className)
{
    const Symbol* type = state_.findOuter(className);
    if (type == nullptr || type->kind != SymKind::Type || type->type->kind != TypeKind::Class) {
        state_.hookFailed = true;
        state_.diagnostics.error({}, "Unknown class " + quoted(className) + " for host variable " + quoted(name));
        return false;
    }
    Symbol* sym = state_.declareHost(name, SymKind::Var);
    if (sym == nullptr)
        return false;
    sym->type = type->type;
    sym->storage = Storage::Global;
    sym->slot = state_.hostSlots++;
    sym->used = true;
    return true;
}

bool CompileContext::declareVariable(std::string_view name, std::string_view typeName)
{
    const Symbol* type = identEqual(typeName, "string") ? nullptr : state_.findOuter(typeName);
    const Type* t = identEqual(typeName, "string") ? builtinTypes().stringType : nullptr;
    if (t == nullptr && type != nullptr && type->kind == SymKind::Type)
        t = type->type;
    if (t == nullptr) {
        state_.hookFailed = true;
        state_.diagnostics.error({}, "Unknown type " + quoted(typeName) + " for host variable " + quoted(name));
        return false;
    }
    Symbol* sym = state_.declareHost(name, SymKind::Var);
    if (sym == nullptr)
        return false;
    sym->type = t;
    sym->storage = Storage::Global;
    sym->slot = state_.hostSlots;
    sym->used = true;
    state_.hostSlots += t->slots;
    if (t->managed)
        state_.hostManaged.push_back(ManagedSlot{sym->slot, t});
    return true;
}

bool CompileContext::declareRoutine(std::string_view heading, HostFunction function)
{
    std::string_view stored = state_.arena.copy(heading);
    Diagnostics diag;
    diag.setModule("host");
    std::vector<Token> tokens = tokenize(stored, state_.arena, diag);
    ast::RoutineDecl* decl = diag.errorCount() == 0 ? parseRoutineHeading(tokens, state_.arena, diag) : nullptr;
    const Signature* sig = nullptr;
    if (decl != nullptr && decl->kind != ast::RoutineKind::Constructor && decl->kind != ast::RoutineKind::Destructor) {
        Environment env = state_.environment();
        sig = resolveSignature(*decl, false, env, state_.arena, diag);
    }
    if (sig == nullptr || !function) {
        state_.hookFailed = true;
        state_.diagnostics.error({}, "Invalid host routine declaration: " + std::string(heading));
        return false;
    }
    HostBinding& hb = state_.hostBindings.emplace_back();
    hb.function = std::move(function);
    hb.sig = sig;
    hb.name = decl->name.name;
    Symbol* sym = state_.declareHost(decl->name.name, SymKind::Native);
    if (sym == nullptr)
        return false;
    sym->sig = sig;
    sym->binding = Binding{hostTrampoline, &hb};
    sym->type = sig->result;
    return true;
}

// ---------------- execute hook ----------------

namespace {

Symbol* variableFor(EngineState& state, std::string_view name)
{
    Symbol* sym = state.findHostVariable(name);
    if (sym == nullptr && state.bindError.empty())
        state.bindError = "Unable to find variable " + quoted(name);
    return sym;
}

bool mismatch(EngineState& state, std::string_view name)
{
    if (state.bindError.empty())
        state.bindError = "Type mismatch for variable " + quoted(name);
    return false;
}

}  // namespace

bool ExecuteContext::bindObject(std::string_view name, void* object)
{
    Symbol* sym = variableFor(state_, name);
    if (sym == nullptr)
        return false;
    if (sym->type->kind != TypeKind::Class)
        return mismatch(state_, name);
    state_.vm->globals()[sym->slot].u = state_.vm->objects().add(sym->type->cls, object, false);
    return true;
}

bool ExecuteContext::setString(std::string_view name, std::string_view value)
{
    Symbol* sym = variableFor(state_, name);
    if (sym == nullptr)
        return false;
    if (sym->type->kind != TypeKind::String)
        return mismatch(state_, name);
    Slot& slot = state_.vm->globals()[sym->slot];
    StrRep* s = state_.vm->heap().makeStr(value);
    state_.vm->heap().release(slot.s);
    slot.s = s;
    return true;
}

bool ExecuteContext::setInteger(std::string_view name, int64_t value)
{
    Symbol* sym = variableFor(state_, name);
    if (sym == nullptr)
        return false;
    if (!isInteger(sym->type))
        return mismatch(state_, name);
    state_.vm->globals()[sym->slot].i = truncateOrdinal(sym->type->ord, value);
    return true;
}

bool ExecuteContext::setReal(std::string_view name, double value)
{
    Symbol* sym = variableFor(state_, name);
    if (sym == nullptr)
        return false;
    if (!isFloat(sym->type))
        return mismatch(state_, name);
    state_.vm->globals()[sym->slot].f = sym->type->single ? static_cast<float>(value) : value;
    return true;
}

bool ExecuteContext::setBoolean(std::string_view name, bool value)
{
    Symbol* sym = variableFor(state_, name);
    if (sym == nullptr)
        return false;
    if (!isBoolean(sym->type))
        return mismatch(state_, name);
    state_.vm->globals()[sym->slot].i = value ? 1 : 0;
    return true;
}

// ---------------- engine ----------------

Engine::Engine()
    : state_(std::make_unique<EngineState>())
{ }

Engine::~Engine() = default;

bool Engine::addImportSet(std::shared_ptr<const ImportSet> set)
{
    if (!set)
        return false;
    for (const auto& used : set->uses()) {
        bool present = false;
        for (const auto& have : state_->sets)
            present = present || have == used;
        if (!present)
            return false;
    }
    state_->sets.push_back(std::move(set));
    return true;
}

void Engine::setScript(std::string text) { state_->script = std::move(text); }

void Engine::setCompileHook(std::function<void(CompileContext&)> hook) { state_->compileHook = std::move(hook); }

void Engine::setExecuteHook(std::function<void(ExecuteContext&)> hook) { state_->executeHook = std::move(hook); }

bool Engine::compile()
{
    EngineState& s = *state_;
    s.module.reset();
    s.diagnostics.clear();
    s.arena.reset();
    s.hostBindings.clear();
    s.hostScope = std::make_unique<Scope>();
    s.hostSlots = 0;
    s.hostManaged.clear();
    s.hookFailed = false;
    s.compiledSource = s.script;
    if (s.compileHook) {
        CompileContext ctx(s);
        s.compileHook(ctx);
    }
    if (s.hookFailed)
        return false;
    std::vector<Token> tokens = tokenize(s.compiledSource, s.arena, s.diagnostics);
    ast::Program* program = parseProgram(tokens, s.arena, s.diagnostics);
    // The checker runs after syntax errors too: the parser resynchronised at statement ends, so the
    // rest of the program still deserves its messages.
    bool syntaxOk = s.diagnostics.errorCount() == 0;
    Environment env = s.environment();
    CheckedProgram checked;
    bool checkedOk = !s.diagnostics.full() && checkProgram(*program, env, s.arena, s.diagnostics, checked);
    if (!syntaxOk || !checkedOk) {
        s.diagnostics.sortByPosition();
        return false;
    }
    s.module = compileModule(checked, s.diagnostics);
    return s.module != nullptr && s.diagnostics.errorCount() == 0;
}

const std::vector<Diagnostic>& Engine::messages() const { return state_->diagnostics.all(); }

bool Engine::execute()
{
    EngineState& s = *state_;
    s.errorText.clear();
    if (!s.module) {
        s.errorText = "The script has not been compiled";
        return false;
    }
    Vm vm(*s.module, s.limits);
    vm.userData = s.userData;
    vm.engine = this;
    vm.prepare();
    s.vm = &vm;
    s.bindError.clear();
    bool ok = true;
    try {
        if (s.executeHook) {
            ExecuteContext ctx(s);
            s.executeHook(ctx);
        }
        if (!s.bindError.empty()) {
            s.errorText = s.bindError;
            ok = false;
        } else {
            ok = vm.run();
            if (!ok)
                s.errorText = vm.errorText();
        }
    } catch (const std::exception& e) {
        s.errorText = std::string("Exception: ") + e.what();
        ok = false;
    }
    vm.finish();
    s.vm = nullptr;
    return ok;
}

const std::string& Engine::errorText() const { return state_->errorText; }

void Engine::setTimeLimit(std::chrono::milliseconds limit) { state_->limits.timeLimit = limit; }

void Engine::setMaxCallDepth(int depth) { state_->limits.maxCallDepth = depth > 0 ? depth : 1; }

void Engine::setMemoryLimit(std::size_t bytes) { state_->limits.memoryLimit = bytes; }

void Engine::setUserData(void* data) { state_->userData = data; }

std::string Engine::disassembly() const
{
    if (!state_->module)
        return {};
    std::string out;
    for (const Function& f : state_->module->functions)
        out += disassemble(*state_->module, f);
    return out;
}

}  // namespace shutterhand::pascal
