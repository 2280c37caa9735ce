#include "pascal/opcodes.h"

namespace shutterhand::pascal {

namespace {

const char* const kNames[] = {
#define OP(name, operands) #name,
#include "pascal/opcodes.def"
#undef OP
};

const char* const kOperands[] = {
#define OP(name, operands) operands,
#include "pascal/opcodes.def"
#undef OP
};

}  // namespace

const char* opName(OpCode op) { return kNames[static_cast<int>(op)]; }

const char* opOperands(OpCode op) { return kOperands[static_cast<int>(op)]; }

}  // namespace shutterhand::pascal
