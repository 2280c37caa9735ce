#pragma once

// Run-time representation of values: one 8-byte slot per scalar, with reference-counted strings and
// dynamic arrays.

#include <cstdint>

namespace shutterhand::pascal {

struct StrRep;
struct ArrRep;

union Slot {
    int64_t i;
    uint64_t u;
    double f;
    void* p;
    StrRep* s;
    ArrRep* a;
    Slot* ref;
};
static_assert(sizeof(Slot) == 8);

class Vm;

// A routine implemented in C++: `args` points at the call's slots (the result slots first, then the
// object for a method, then the parameters); `data` is the binding's own pointer.
using NativeFn = void (*)(Vm& vm, Slot* args, const void* data);

struct Binding {
    NativeFn fn = nullptr;
    const void* data = nullptr;
};

// Object handles: 0 is nil; otherwise the low 32 bits index the run's object table and the high
// 32 bits carry the entry's generation, so that a handle to a freed object is recognised.
using ObjectHandle = uint64_t;

}  // namespace shutterhand::pascal
