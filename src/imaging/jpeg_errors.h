#pragma once

// libjpeg reports errors through a callback that must not return; the default one calls exit(). Ours
// jumps back to the setjmp of the call that started the work, which then hands an error value up.
// Only plain C data lives between the setjmp and the jump (see the callers), so no C++ destructor is
// skipped.

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

namespace shutterhand::imaging {

struct JpegErrorManager {
    jpeg_error_mgr base;  // first member: libjpeg sees only this part
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    // Decoding gives up on data that is missing or garbled (a truncated file, a broken Huffman code)
    // instead of filling the rest of the picture with grey.
    bool failOnDamagedData;
    // Progressive files can hold thousands of tiny scans that take minutes to decode; more than this
    // many is treated as damaged data.
    int maxScans;
    jpeg_progress_mgr progress;
};

// Installs `manager` as the error handler of `info` (before jpeg_create_*), with the scan limit.
void InstallJpegErrorManager(j_common_ptr info, JpegErrorManager& manager, bool failOnDamagedData);

}  // namespace shutterhand::imaging
