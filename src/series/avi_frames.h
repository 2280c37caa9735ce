#pragma once

#include "imaging/imaging_result.h"
#include "series/avi_bitmap.h"
#include "series/avi_container.h"

#include <QList>

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace shutterhand {

struct AviFrameFormat {
    int width = 0;
    int height = 0;
    AviCodec codec = AviCodec::Dib8;
    bool stretch = true;  // fill the whole frame; otherwise keep the proportions, centred on black
};

inline constexpr int AviJpegQuality = 90;

// Renders one entry into the bytes of its frame: an 8-bit bottom-up DIB or a JPEG. A JPEG picture that
// already has the frame size goes into a Motion-JPEG film unchanged.
imaging::Result<std::vector<std::uint8_t>> RenderAviFrame(const AviBitmap& bitmap, const AviFrameFormat& format);

// Renders the frames of a list in order on worker threads, a few frames ahead of the writer, so that
// decoding runs on every core while memory holds only the frames in flight.
class AviFramePipeline {
public:
    AviFramePipeline(const QList<AviBitmap>& bitmaps, const AviFrameFormat& format, int threads = 0);
    ~AviFramePipeline();
    AviFramePipeline(const AviFramePipeline&) = delete;
    AviFramePipeline& operator=(const AviFramePipeline&) = delete;

    // The next frame in list order; waits for it.
    imaging::Result<std::vector<std::uint8_t>> next();

private:
    void work();

    const QList<AviBitmap> m_bitmaps;
    const AviFrameFormat m_format;
    std::size_t m_window = 4;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_claimed = 0;   // frames handed to workers
    std::size_t m_consumed = 0;  // frames taken by the writer
    bool m_stopping = false;
    std::map<std::size_t, imaging::Result<std::vector<std::uint8_t>>> m_done;
    std::vector<std::thread> m_workers;
};

}  // namespace shutterhand
