#include "pascal/compiler_impl.h"

#include "pascal/heap.h"
#include "pascal/vm.h"

#include <cstring>

namespace shutterhand::pascal {

// ---------------- module tables ----------------

int32_t ModuleBuilder::constant(Slot value)
{
    if (m_.constants.size() <= kLinear) {
        for (std::size_t i = 0; i < m_.constants.size(); ++i) {
            if (m_.constants[i].u == value.u)
                return static_cast<int32_t>(i);
        }
    } else {
        if (constants_.empty()) {
            for (std::size_t i = 0; i < m_.constants.size(); ++i)
                constants_.emplace(m_.constants[i].u, static_cast<int32_t>(i));
        }
        auto found = constants_.find(value.u);
        if (found != constants_.end())
            return found->second;
    }
    auto index = static_cast<int32_t>(m_.constants.size());
    m_.constants.push_back(value);
    if (!constants_.empty())
        constants_.emplace(value.u, index);
    return index;
}

int32_t ModuleBuilder::string(std::string_view text)
{
    if (m_.strings.size() <= kLinear) {
        for (std::size_t i = 0; i < m_.strings.size(); ++i) {
            if (strView(m_.strings[i]) == text)
                return static_cast<int32_t>(i);
        }
    } else {
        if (strings_.empty()) {
            for (std::size_t i = 0; i < m_.strings.size(); ++i)
                strings_.emplace(strView(m_.strings[i]), static_cast<int32_t>(i));
        }
        auto found = strings_.find(text);
        if (found != strings_.end())
            return found->second;
    }
    auto index = static_cast<int32_t>(m_.strings.size());
    StrRep* s = makeConstString(text);
    m_.strings.push_back(s);
    if (!strings_.empty())
        strings_.emplace(strView(s), index);
    return index;
}

int32_t ModuleBuilder::set(const uint64_t* bits)
{
    std::array<uint64_t, 4> value{bits[0], bits[1], bits[2], bits[3]};
    for (std::size_t i = 0; i < m_.sets.size(); ++i) {
        if (m_.sets[i] == value)
            return static_cast<int32_t>(i);
    }
    m_.sets.push_back(value);
    return static_cast<int32_t>(m_.sets.size() - 1);
}

int32_t ModuleBuilder::array(int64_t low, int64_t count, int32_t elemSlots)
{
    for (std::size_t i = 0; i < m_.arrays.size(); ++i) {
        const ArrayDesc& d = m_.arrays[i];
        if (d.low == low && d.count == count && d.elemSlots == elemSlots)
            return static_cast<int32_t>(i);
    }
    m_.arrays.push_back(ArrayDesc{low, count, elemSlots});
    return static_cast<int32_t>(m_.arrays.size() - 1);
}

int32_t ModuleBuilder::native(Binding binding, const Signature* sig, std::string_view name)
{
    for (std::size_t i = 0; i < m_.natives.size(); ++i) {
        const NativeCall& n = m_.natives[i];
        if (n.binding.fn == binding.fn && n.binding.data == binding.data && n.sig == sig)
            return static_cast<int32_t>(i);
    }
    m_.natives.push_back(NativeCall{binding, sig, name});
    return static_cast<int32_t>(m_.natives.size() - 1);
}

namespace {

// Index of `item` in `table`, adding it when new; a hash map speeds up large tables.
template <typename T>
int32_t indexOf(std::vector<T>& table, std::unordered_map<const void*, int32_t>& map, T item, std::size_t linear)
{
    if (table.size() <= linear) {
        for (std::size_t i = 0; i < table.size(); ++i) {
            if (table[i] == item)
                return static_cast<int32_t>(i);
        }
    } else {
        if (map.empty()) {
            for (std::size_t i = 0; i < table.size(); ++i)
                map.emplace(table[i], static_cast<int32_t>(i));
        }
        auto found = map.find(item);
        if (found != map.end())
            return found->second;
    }
    auto index = static_cast<int32_t>(table.size());
    table.push_back(item);
    if (!map.empty())
        map.emplace(item, index);
    return index;
}

}  // namespace

int32_t ModuleBuilder::type(const Type* t) { return indexOf(m_.types, types_, t, kLinear); }

int32_t ModuleBuilder::klass(const ClassInfo* c) { return indexOf(m_.classes, classes_, c, kLinear); }

// ---------------- function compiler ----------------

FunctionCompiler::FunctionCompiler(ModuleBuilder& mb, Function& fn, const RoutineInfo& routine, Diagnostics& diag)
    : mb_(mb)
    , fn_(fn)
    , routine_(routine)
    , diag_(diag)
    , bt_(builtinTypes())
    , level_(routine.level)
    , fixed_(routine.frameSlots)
{ }

void FunctionCompiler::fail(SourcePos p, const std::string& text)
{
    if (!failed_)
        diag_.error(p, text);
    failed_ = true;
}

int32_t FunctionCompiler::emit(OpCode op, int32_t a, int32_t b, int32_t c, int32_t x)
{
    if (x < 0 || x > 0xFFFF) {
        fail(pos_, "Statement too complex");
        x = 0;
    }
    fn_.code.push_back(Instr{op, static_cast<uint16_t>(x), a, b, c});
    fn_.positions.push_back(pos_);
    return static_cast<int32_t>(fn_.code.size() - 1);
}

int FunctionCompiler::newLabel()
{
    labels_.push_back(-1);
    return static_cast<int>(labels_.size() - 1);
}

void FunctionCompiler::bind(int label)
{
    labels_[static_cast<std::size_t>(label)] = static_cast<int32_t>(fn_.code.size());
}

void FunctionCompiler::emitJump(OpCode op, int32_t a, int32_t b, int label)
{
    int32_t at = emit(op, a, b, 0);
    fixups_.push_back(Fixup{at, label});
}

int32_t FunctionCompiler::raw(int32_t count)
{
    int32_t r = kRawBase + rawTop_;
    rawTop_ += count;
    if (rawTop_ > rawMax_)
        rawMax_ = rawTop_;
    return r;
}

int32_t FunctionCompiler::managedTemp(const Type* t)
{
    // Temporaries are pooled by type, since the slot's type decides how it is released.
    for (std::size_t i = 0; i < mtemps_.size(); ++i) {
        MTemp& m = mtemps_[i];
        bool sameKind = m.type == t || (m.type->kind == TypeKind::String && t->kind == TypeKind::String)
            || (m.type->kind == TypeKind::DynArray && t->kind == TypeKind::DynArray);
        if (!m.inUse && sameKind) {
            m.inUse = true;
            managedUsed_.push_back(i);
            return m.slot;
        }
    }
    MTemp m{fixed_ + managedSlots_, t, true};
    managedSlots_ += t->slots;
    mtemps_.push_back(m);
    managedUsed_.push_back(mtemps_.size() - 1);
    return m.slot;
}

int32_t FunctionCompiler::resultTemp(const Type* t)
{
    if (t->managed)
        return managedTemp(t);
    return raw(t->slots);
}

void FunctionCompiler::release(TempMark m)
{
    // Managed temporaries give up their values at the end of the statement that used them, so that no
    // stale reference keeps a string shared (which would stop appending in place).
    while (managedUsed_.size() > m.managed) {
        MTemp& t = mtemps_[managedUsed_.back()];
        managedUsed_.pop_back();
        t.inUse = false;
        switch (t.type->kind) {
        case TypeKind::String:
            emit(OpCode::StrRelease, t.slot);
            break;
        case TypeKind::DynArray:
            emit(OpCode::ArrRelease, t.slot);
            break;
        default:
            emit(OpCode::MRelease, t.slot, mb_.type(t.type));
            break;
        }
    }
    rawTop_ = m.raw;
}

int32_t FunctionCompiler::constReg(int64_t value)
{
    int32_t r = raw();
    if (value >= INT32_MIN && value <= INT32_MAX) {
        emit(OpCode::LoadInt, r, static_cast<int32_t>(value));
    } else {
        Slot s;
        s.i = value;
        emit(OpCode::LoadConst, r, mb_.constant(s));
    }
    return r;
}

int32_t FunctionCompiler::floatReg(double value)
{
    int32_t r = raw();
    Slot s;
    s.f = value;
    emit(OpCode::LoadConst, r, mb_.constant(s));
    return r;
}

bool FunctionCompiler::compile()
{
    fn_.name = routine_.name;
    fn_.level = level_;
    fn_.argSlots = routine_.sig.argSlots;
    fn_.resultSlots = routine_.sig.resultSlots;
    exitLabel_ = newLabel();
    if (routine_.body != nullptr) {
        setPos(routine_.body->pos);
        stmts(routine_.body->body);
    }
    bind(exitLabel_);
    emit(OpCode::Return);
    if (failed_)
        return false;

    for (const Fixup& f : fixups_)
        fn_.code[static_cast<std::size_t>(f.instr)].c = labels_[static_cast<std::size_t>(f.label)];
    // Leave records two targets: b is the finally block, c where to go on.
    for (Instr& in : fn_.code) {
        if (in.op == OpCode::Leave)
            in.b = labels_[static_cast<std::size_t>(in.b)];
    }

    // Raw temporaries go behind the managed ones.
    int32_t rawStart = fixed_ + managedSlots_;
    for (Instr& in : fn_.code) {
        const char* ops = opOperands(in.op);
        if (ops[0] == 'R' && in.a >= kRawBase)
            in.a = in.a - kRawBase + rawStart;
        if (ops[1] == 'R' && in.b >= kRawBase)
            in.b = in.b - kRawBase + rawStart;
        if (ops[2] == 'R' && in.c >= kRawBase)
            in.c = in.c - kRawBase + rawStart;
    }
    fn_.frameSlots = rawStart + rawMax_ + 1;
    fn_.clearFrom = fn_.argSlots;
    fn_.clearTo = rawStart;

    for (const ManagedSlot& m : routine_.managed)
        fn_.release.push_back(m);
    for (const MTemp& t : mtemps_)
        fn_.release.push_back(ManagedSlot{t.slot, t.type});
    if (routine_.sig.result != nullptr && routine_.sig.result->managed)
        fn_.resultSlotsManaged.push_back(ManagedSlot{0, routine_.sig.result});
    return true;
}

// ---------------- the program ----------------

std::unique_ptr<Module> compileModule(const CheckedProgram& program, Diagnostics& diagnostics)
{
    auto module = std::make_unique<Module>();
    ModuleBuilder mb(*module);
    module->functions.resize(program.routines.size() + 1);
    bool ok = true;
    for (const RoutineInfo* r : program.routines) {
        FunctionCompiler fc(mb, module->functions[static_cast<std::size_t>(r->index)], *r, diagnostics);
        ok = fc.compile() && ok;
    }
    module->mainIndex = static_cast<int32_t>(program.routines.size());
    FunctionCompiler mainCompiler(mb, module->functions.back(), *program.main, diagnostics);
    ok = mainCompiler.compile() && ok;
    module->globalSlots = program.globalSlots;
    if (!ok)
        return nullptr;
    return module;
}

// ---------------- natives for compiler-implemented routines ----------------

const Type* constArrayElementType()
{
    static const struct Storage {
        Field fields[3];
        RecordInfo info;
        Type type;
        Storage()
        {
            const BuiltinTypes& bt = builtinTypes();
            fields[0] = Field{"VType", bt.int64Type, 0};
            fields[1] = Field{"VValue", bt.int64Type, 1};
            fields[2] = Field{"VString", bt.stringType, 2};
            info.fields = std::span<const Field>(fields, 3);
            type.kind = TypeKind::Record;
            type.name = "TVarRec";
            type.slots = 3;
            type.managed = true;
            type.record = &info;
        }
    } storage;
    return &storage.type;
}

const Type* constArrayDynType()
{
    static const Type type = [] {
        Type t;
        t.kind = TypeKind::DynArray;
        t.name = "array of const";
        t.slots = 1;
        t.managed = true;
        t.elem = constArrayElementType();
        return t;
    }();
    return &type;
}

namespace intrinsics {

void setLengthString(Vm& vm, Slot* args, const void*) { vm.heap().setLength(args[0].ref->s, args[1].i); }

namespace {

void setLengthDims(Vm& vm, ArrRep*& a, const Type* arrayType, const Slot* dims, int64_t count)
{
    vm.heap().setLength(a, arrayType->elem, dims[0].i);
    if (count > 1 && a != nullptr) {
        for (int64_t i = 0; i < a->length; ++i)
            setLengthDims(vm, a->data()[i].a, arrayType->elem, dims + 1, count - 1);
    }
}

}  // namespace

void setLengthArray(Vm& vm, Slot* args, const void* data)
{
    const auto* arrayType = static_cast<const Type*>(data);
    setLengthDims(vm, args[0].ref->a, arrayType, args + 2, args[1].i);
}

void copyString(Vm& vm, Slot* args, const void*)
{
    std::string_view s = strView(args[1].s);
    int64_t index = args[2].i;
    int64_t count = args[3].i;
    if (index < 1)
        index = 1;
    auto len = static_cast<int64_t>(s.size());
    if (index > len || count <= 0) {
        args[0].s = nullptr;
        return;
    }
    if (count > len - index + 1)
        count = len - index + 1;
    args[0].s = vm.heap().makeStr(s.substr(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count)));
}

void copyArray(Vm& vm, Slot* args, const void* data)
{
    const auto* arrayType = static_cast<const Type*>(data);
    args[0].a = vm.heap().copyRange(args[1].a, arrayType->elem, args[2].i, args[3].i);
}

namespace {
// Delphi's generator: a linear congruential sequence that starts from 0 until Randomize is called.
thread_local uint32_t randSeed = 0;
uint32_t nextRandom()
{
    randSeed = randSeed * 134775813u + 1u;
    return randSeed;
}
}  // namespace

void randomReal(Vm&, Slot* args, const void*) { args[0].f = static_cast<double>(nextRandom()) / 4294967296.0; }

void randomInt(Vm&, Slot* args, const void*)
{
    int64_t range = args[1].i;
    if (range <= 0) {
        args[0].i = 0;
        return;
    }
    if (range <= 0xFFFFFFFFLL) {
        args[0].i = static_cast<int64_t>((static_cast<uint64_t>(nextRandom()) * static_cast<uint64_t>(range)) >> 32);
        return;
    }
    uint64_t wide = (static_cast<uint64_t>(nextRandom()) << 32) | nextRandom();
    args[0].i = static_cast<int64_t>(wide % static_cast<uint64_t>(range));
}

void seedRandom(uint32_t seed) { randSeed = seed; }

}  // namespace intrinsics

}  // namespace shutterhand::pascal
