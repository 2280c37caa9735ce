#pragma once

#include "imaging/imaging_result.h"

#include <cstdint>
#include <string>
#include <vector>

namespace shutterhand::imaging {

// Reads a whole regular file into memory; the file is closed again before this returns.
Result<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path);

}  // namespace shutterhand::imaging
