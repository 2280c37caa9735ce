#include "pascal/host_call.h"

#include "pascal/declaration_set.h"
#include "pascal/heap.h"
#include "pascal/vm.h"

#include <chrono>
#include <stdexcept>
#include <string>

namespace shutterhand::pascal {

namespace {

[[noreturn]] void misuse(const HostBinding& b, const std::string& what)
{
    throw std::logic_error("host routine " + std::string(b.name) + ": " + what);
}

const Param& paramAt(const HostBinding& b, int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= b.sig->params.size())
        misuse(b, "no argument " + std::to_string(index));
    return b.sig->params[static_cast<std::size_t>(index)];
}

// The slot of an argument's value: through the pointer for var and out parameters.
Slot* valueSlot(Slot* args, const Param& p)
{
    Slot* s = args + p.offset;
    return p.byRef() ? s->ref : s;
}

const Field* findField(const HostBinding& b, const Type* t, std::string_view name)
{
    if (t == nullptr || t->kind != TypeKind::Record)
        misuse(b, "not a record");
    for (const Field& f : t->record->fields) {
        if (identEqual(f.name, name))
            return &f;
    }
    misuse(b, "no field " + std::string(name));
}

}  // namespace

void hostTrampoline(Vm& vm, Slot* args, const void* data)
{
    const auto& binding = *static_cast<const HostBinding*>(data);
    const Signature* sig = binding.sig;
    for (int i = 0; i < sig->resultSlots; ++i)
        args[i].u = 0;
    HostCall call(vm, args, binding);
    // Time spent in the host does not count towards the script's time limit.
    bool timed = vm.timed();
    auto start = timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    auto finish = [&](bool failed) {
        if (timed)
            vm.excludeTime(std::chrono::steady_clock::now() - start);
        // A failed host routine leaves no half-made result behind.
        if (failed && sig->result != nullptr && sig->result->managed)
            vm.heap().finalize(sig->result, args);
    };
    try {
        binding.function(call);
    } catch (const std::exception&) {
        finish(true);
        throw;
    } catch (const ScriptThrow&) {
        finish(true);
        throw;
    } catch (...) {
        finish(true);
        throw std::runtime_error("unknown error in host routine " + std::string(binding.name));
    }
    finish(false);
}

int HostCall::argCount() const { return static_cast<int>(binding_.sig->params.size()); }

int64_t HostCall::integer(int index) const
{
    const Param& p = paramAt(binding_, index);
    if (p.type->kind != TypeKind::Ordinal)
        misuse(binding_, "argument " + std::to_string(index) + " is not an ordinal");
    return valueSlot(args_, p)->i;
}

double HostCall::real(int index) const
{
    const Param& p = paramAt(binding_, index);
    if (p.type->kind == TypeKind::Float)
        return valueSlot(args_, p)->f;
    if (isInteger(p.type))
        return static_cast<double>(valueSlot(args_, p)->i);
    misuse(binding_, "argument " + std::to_string(index) + " is not a number");
}

std::string_view HostCall::string(int index) const
{
    const Param& p = paramAt(binding_, index);
    if (isChar(p.type))
        return std::string_view(reinterpret_cast<const char*>(&valueSlot(args_, p)->i), 1);
    if (p.type->kind != TypeKind::String)
        misuse(binding_, "argument " + std::to_string(index) + " is not a string");
    return strView(valueSlot(args_, p)->s);
}

void* HostCall::object(int index) const
{
    const Param& p = paramAt(binding_, index);
    if (p.type->kind != TypeKind::Class)
        misuse(binding_, "argument " + std::to_string(index) + " is not an object");
    ObjectHandle h = valueSlot(args_, p)->u;
    if (h == 0)
        return nullptr;
    return vm_.object(h).ptr;
}

std::string_view HostCall::stringField(int index, std::string_view field) const
{
    const Param& p = paramAt(binding_, index);
    const Field* f = findField(binding_, p.type, field);
    if (f->type->kind != TypeKind::String)
        misuse(binding_, "field " + std::string(field) + " is not a string");
    return strView(valueSlot(args_, p)[f->offset].s);
}

int64_t HostCall::integerField(int index, std::string_view field) const
{
    const Param& p = paramAt(binding_, index);
    const Field* f = findField(binding_, p.type, field);
    if (f->type->kind != TypeKind::Ordinal)
        misuse(binding_, "field " + std::string(field) + " is not an ordinal");
    return valueSlot(args_, p)[f->offset].i;
}

void* HostCall::self() const
{
    if (binding_.sig->selfOffset < 0)
        misuse(binding_, "not a method");
    return vm_.object(args_[binding_.sig->selfOffset].u).ptr;
}

void HostCall::setResult(int64_t value)
{
    const Type* t = binding_.sig->result;
    if (t == nullptr)
        misuse(binding_, "no result");
    if (t->kind == TypeKind::Ordinal)
        args_[0].i = truncateOrdinal(t->ord, value);
    else if (t->kind == TypeKind::Float)
        args_[0].f = t->single ? static_cast<float>(value) : static_cast<double>(value);
    else
        misuse(binding_, "the result is not a number");
}

void HostCall::setResult(double value)
{
    const Type* t = binding_.sig->result;
    if (t == nullptr || t->kind != TypeKind::Float)
        misuse(binding_, "the result is not a real");
    args_[0].f = t->single ? static_cast<float>(value) : value;
}

void HostCall::setResult(bool value)
{
    const Type* t = binding_.sig->result;
    if (t == nullptr || !isBoolean(t))
        misuse(binding_, "the result is not a Boolean");
    args_[0].i = value ? 1 : 0;
}

void HostCall::setResult(std::string_view value)
{
    const Type* t = binding_.sig->result;
    if (t == nullptr || t->kind != TypeKind::String)
        misuse(binding_, "the result is not a string");
    StrRep* s = vm_.heap().makeStr(value);
    vm_.heap().release(args_[0].s);
    args_[0].s = s;
}

void HostCall::setResultObject(void* object, Ownership ownership)
{
    const Type* t = binding_.sig->result;
    if (t == nullptr || t->kind != TypeKind::Class)
        misuse(binding_, "the result is not an object");
    bool owned = binding_.isConstructor || ownership == Ownership::Script;
    args_[0].u = vm_.objects().add(binding_.isConstructor ? binding_.cls : t->cls, object, owned);
}

void HostCall::setResultField(std::string_view field, std::string_view value)
{
    const Field* f = findField(binding_, binding_.sig->result, field);
    if (f->type->kind != TypeKind::String)
        misuse(binding_, "field " + std::string(field) + " is not a string");
    StrRep* s = vm_.heap().makeStr(value);
    vm_.heap().release(args_[f->offset].s);
    args_[f->offset].s = s;
}

void HostCall::setResultField(std::string_view field, int64_t value)
{
    const Field* f = findField(binding_, binding_.sig->result, field);
    if (f->type->kind != TypeKind::Ordinal)
        misuse(binding_, "field " + std::string(field) + " is not an ordinal");
    args_[f->offset].i = truncateOrdinal(f->type->ord, value);
}

void HostCall::setInteger(int index, int64_t value)
{
    const Param& p = paramAt(binding_, index);
    if (!p.byRef() || p.type->kind != TypeKind::Ordinal)
        misuse(binding_, "argument " + std::to_string(index) + " is not a var ordinal");
    args_[p.offset].ref->i = truncateOrdinal(p.type->ord, value);
}

void HostCall::setReal(int index, double value)
{
    const Param& p = paramAt(binding_, index);
    if (!p.byRef() || p.type->kind != TypeKind::Float)
        misuse(binding_, "argument " + std::to_string(index) + " is not a var real");
    args_[p.offset].ref->f = p.type->single ? static_cast<float>(value) : value;
}

void HostCall::setString(int index, std::string_view value)
{
    const Param& p = paramAt(binding_, index);
    if (!p.byRef() || p.type->kind != TypeKind::String)
        misuse(binding_, "argument " + std::to_string(index) + " is not a var string");
    StrRep* s = vm_.heap().makeStr(value);
    Slot* target = args_[p.offset].ref;
    vm_.heap().release(target->s);
    target->s = s;
}

void HostCall::takeOwnership(int index)
{
    const Param& p = paramAt(binding_, index);
    if (p.type->kind != TypeKind::Class)
        misuse(binding_, "argument " + std::to_string(index) + " is not an object");
    vm_.objects().disown(valueSlot(args_, p)->u);
}

void* HostCall::userData() const { return vm_.userData; }

}  // namespace shutterhand::pascal
