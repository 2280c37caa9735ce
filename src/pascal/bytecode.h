#pragma once

// The compiled form of a program: one code block per routine plus shared constant tables.

#include "pascal/opcodes.h"
#include "pascal/source_pos.h"
#include "pascal/symbols.h"
#include "pascal/value.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace shutterhand::pascal {

struct Instr {
    OpCode op;
    uint16_t x;
    int32_t a;
    int32_t b;
    int32_t c;
};
static_assert(sizeof(Instr) == 16);

struct Function {
    std::string_view name;
    int32_t level = 0;
    int32_t frameSlots = 0;  // every slot the routine uses, temporaries included
    int32_t argSlots = 0;    // result and parameter slots, written by the caller
    int32_t resultSlots = 0;
    int32_t clearFrom = 0;  // slots [clearFrom, clearTo) are cleared on entry
    int32_t clearTo = 0;
    std::vector<ManagedSlot> release;             // released when the routine ends, normally or not
    std::vector<ManagedSlot> resultSlotsManaged;  // released only when an exception ends the routine
    std::vector<Instr> code;
    std::vector<SourcePos> positions;  // one per instruction
};

struct NativeCall {
    Binding binding;
    const Signature* sig = nullptr;
    std::string_view name;
};

struct ArrayDesc {
    int64_t low;
    int64_t count;
    int32_t elemSlots;
};

struct StrRep;

struct Module {
    std::vector<Function> functions;  // the program's routines, then the main block last
    int32_t mainIndex = 0;
    int32_t globalSlots = 0;
    std::vector<Slot> constants;
    std::vector<StrRep*> strings;  // immortal string constants, owned by the module
    std::vector<std::array<uint64_t, 4>> sets;
    std::vector<ArrayDesc> arrays;
    std::vector<NativeCall> natives;
    std::vector<const Type*> types;
    std::vector<const ClassInfo*> classes;

    Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;
    ~Module();
};

// Writes a readable listing of a routine's code (for debugging and tests).
std::string disassemble(const Module& module, const Function& function);

}  // namespace shutterhand::pascal
