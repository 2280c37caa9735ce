#include "pascal/bytecode.h"
#include "pascal/heap.h"

#include <cstdio>

namespace shutterhand::pascal {

std::string disassemble(const Module& module, const Function& function)
{
    std::string out = std::string(function.name) + " (frame " + std::to_string(function.frameSlots) + " slots, args "
        + std::to_string(function.argSlots) + ")\n";
    char line[256];
    for (std::size_t i = 0; i < function.code.size(); ++i) {
        const Instr& in = function.code[i];
        const char* ops = opOperands(in.op);
        std::string operands;
        const int32_t fields[3] = {in.a, in.b, in.c};
        for (int k = 0; k < 3; ++k) {
            if (ops[k] == '-')
                continue;
            if (!operands.empty())
                operands += ", ";
            switch (ops[k]) {
            case 'R':
                operands += 'r';
                operands += std::to_string(fields[k]);
                break;
            case 'J':
                operands += '@';
                operands += std::to_string(fields[k]);
                break;
            case 'S': {
                auto index = static_cast<std::size_t>(fields[k]);
                if (index < module.strings.size()) {
                    operands += '\'';
                    operands += strView(module.strings[index]);
                    operands += '\'';
                } else {
                    operands += "s?";
                }
                break;
            }
            case 'F': {
                auto index = static_cast<std::size_t>(fields[k]);
                operands += index < module.functions.size() ? std::string(module.functions[index].name) : "f?";
                break;
            }
            case 'N': {
                auto index = static_cast<std::size_t>(fields[k]);
                operands += index < module.natives.size() ? std::string(module.natives[index].name) : "n?";
                break;
            }
            case 'K': {
                auto index = static_cast<std::size_t>(fields[k]);
                if (index < module.constants.size()) {
                    operands += '#';
                    operands += std::to_string(module.constants[index].i);
                } else {
                    operands += "k?";
                }
                break;
            }
            default:
                operands += std::to_string(fields[k]);
                break;
            }
        }
        if (in.x != 0)
            operands += " x=" + std::to_string(in.x);
        SourcePos pos = i < function.positions.size() ? function.positions[i] : SourcePos{};
        std::snprintf(line, sizeof line, "%4zu  %4d:%-3d %-14s %s\n", i, pos.row, pos.col, opName(in.op),
                      operands.c_str());
        out += line;
    }
    return out;
}

}  // namespace shutterhand::pascal
