#pragma once

#include <cstdint>

namespace shutterhand::pascal {

enum class OpCode : uint16_t {
#define OP(name, operands) name,
#include "pascal/opcodes.def"
#undef OP
    Count_
};

constexpr int kOpCount = static_cast<int>(OpCode::Count_);

// The operand layout of an instruction (see opcodes.def), for the disassembler and register fix-ups.
const char* opOperands(OpCode op);
// The instruction's name.
const char* opName(OpCode op);

}  // namespace shutterhand::pascal
