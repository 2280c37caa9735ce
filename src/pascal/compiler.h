#pragma once

#include "pascal/bytecode.h"
#include "pascal/checker.h"
#include "pascal/diagnostics.h"

#include <memory>

namespace shutterhand::pascal {

// Translates a checked program into bytecode. Returns null after reporting an error (a routine too
// large for the instruction format, for example).
std::unique_ptr<Module> compileModule(const CheckedProgram& program, Diagnostics& diagnostics);

}  // namespace shutterhand::pascal
