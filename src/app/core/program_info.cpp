#include "app/core/program_info.h"

namespace shutterhand {

QString GetFileVersionString() { return QStringLiteral(SHUTTERHAND_VERSION); }

}  // namespace shutterhand
