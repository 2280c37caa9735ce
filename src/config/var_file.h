#pragma once

#include "common/atomic_file.h"
#include "config/system_config.h"

namespace shutterhand {

// The separator between name, type and value on each line of var.dat.
inline const QString kVarSeparator = QStringLiteral("/:/");

// WorkDir + "data/var.dat": the file follows the program folder, not the named directory Data.
QString varFilePath(const TSystemConfig& config);

// Splits one line: the name before the first separator, the type up to the second, the value is
// the rest (further separators included). A line with fewer separators gives empty later fields.
TVar parseVarLine(const QString& line);

// The whole file's bytes: one line per variable in order, UTF-8, CR LF.
QByteArray formatVarFile(const TVarContainer& vars);

// Reads var.dat into Vars, storing each line with InitValueByName. A missing file is no error.
FileResult LoadSystemVars(TSystemConfig& config);

// Replaces var.dat atomically with Vars (mode 0600: the file holds passwords). A missing data folder
// fails; on any failure the old file stays whole.
FileResult WriteSystemVars(const TSystemConfig& config);

// Replaces every "%WORKDIR%" (exactly this case) with the current named directory WorkDir.
QString ExpandWorkDir(const TSystemConfig& config, const QString& text);

// Turns every variable of type "Directory" into a named directory, in the order of Vars.
void ApplyDirectoryVars(TSystemConfig& config);

}  // namespace shutterhand
