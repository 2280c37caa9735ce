#include "app/core/program_info.h"
#include "tool/tool_command.h"

#include <cstdio>

namespace shutterhand {

int runVersionCommand(int, char**)
{
    std::printf("%s\n", qPrintable(GetFileVersionString()));
    return 0;
}

}  // namespace shutterhand
