#pragma once

#include <QString>

namespace shutterhand {

// `shutterhand-tool script check|run` for an action file (".evn"): its code is compiled against the
// program's script objects, with the settings of the program folder, and run without windows or
// camera. Returns the command's exit code (0, 1 for compile errors, 2 for a run-time error or a file
// that cannot be read).
int runActionFile(const QString& path, bool run);

}  // namespace shutterhand
