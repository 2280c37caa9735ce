#include "imaging/jpeg_errors.h"

#include <cstring>

#include <jerror.h>

namespace shutterhand::imaging {

namespace {

JpegErrorManager& managerOf(j_common_ptr info) { return *reinterpret_cast<JpegErrorManager*>(info->err); }

[[noreturn]] void jumpBack(j_common_ptr info) { std::longjmp(managerOf(info).jump, 1); }

[[noreturn]] void onError(j_common_ptr info)
{
    JpegErrorManager& manager = managerOf(info);
    (*info->err->format_message)(info, manager.message);
    jumpBack(info);
}

// Warnings are collected silently, except those that mean part of the picture is lost.
void onMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;  // trace messages
    JpegErrorManager& manager = managerOf(info);
    const int code = info->err->msg_code;
    const bool damaged = code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_HUFF_BAD_CODE;
    if (manager.failOnDamagedData && damaged) {
        (*info->err->format_message)(info, manager.message);
        jumpBack(info);
    }
    info->err->num_warnings++;
}

void onProgress(j_common_ptr info)
{
    if (!info->is_decompressor)
        return;
    JpegErrorManager& manager = managerOf(info);
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > manager.maxScans) {
        std::snprintf(manager.message, sizeof manager.message, "JPEG data has more than %d scans", manager.maxScans);
        jumpBack(info);
    }
}

}  // namespace

void InstallJpegErrorManager(j_common_ptr info, JpegErrorManager& manager, bool failOnDamagedData)
{
    info->err = jpeg_std_error(&manager.base);
    manager.base.error_exit = onError;
    manager.base.emit_message = onMessage;
    manager.message[0] = '\0';
    manager.failOnDamagedData = failOnDamagedData;
    manager.maxScans = 1000;
    std::memset(&manager.progress, 0, sizeof manager.progress);
    manager.progress.progress_monitor = onProgress;
}

}  // namespace shutterhand::imaging
