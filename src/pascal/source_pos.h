#pragma once

#include <cstdint>

namespace shutterhand::pascal {

// A place in a source text: row and column count from 1; column counts characters, not bytes.
struct SourcePos {
    int32_t row = 0;
    int32_t col = 0;
};

}  // namespace shutterhand::pascal
