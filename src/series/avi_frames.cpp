#include "series/avi_frames.h"

#include "imaging/file_bytes.h"
#include "imaging/jpeg_decoder.h"
#include "imaging/jpeg_encoder.h"
#include "imaging/resample.h"
#include "series/avi_palette.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace shutterhand {

namespace {

using FrameResult = imaging::Result<std::vector<std::uint8_t>>;

// The size of the picture inside the frame: the whole frame when stretched, else the largest size of
// the picture's proportions that fits.
std::pair<int, int> fittedSize(int width, int height, const AviFrameFormat& format)
{
    if (format.stretch || width <= 0 || height <= 0)
        return {format.width, format.height};
    const double scale = std::min(double(format.width) / width, double(format.height) / height);
    return {std::clamp(int(std::lround(width * scale)), 1, format.width),
            std::clamp(int(std::lround(height * scale)), 1, format.height)};
}

FrameResult finish(const imaging::RgbImage& picture, const AviFrameFormat& format)
{
    const auto [w, h] = fittedSize(picture.width, picture.height, format);
    imaging::RgbImage frame = imaging::Resample(picture, w, h);
    if (w != format.width || h != format.height) {
        imaging::RgbImage canvas(format.width, format.height);  // black
        imaging::Blit(frame, canvas, (format.width - w) / 2, (format.height - h) / 2);
        frame = std::move(canvas);
    }
    if (format.codec == AviCodec::Mjpg)
        return imaging::EncodeJpeg(frame, AviJpegQuality);
    std::vector<std::uint8_t> bytes(std::size_t(format.width) * format.height);
    ConvertToAviFrame(frame, bytes.data());
    return bytes;
}

}  // namespace

FrameResult RenderAviFrame(const AviBitmap& bitmap, const AviFrameFormat& format)
{
    if (const imaging::RgbImage* image = bitmap.image()) {
        if (image->empty())
            return FrameResult::failure("Invalid bitmap");
        return finish(*image, format);
    }
    const std::string path = QFile::encodeName(bitmap.path()).toStdString();
    bool unchanged = false;
    const auto decoded = imaging::DecodeJpegFile(path, [&](const imaging::JpegHeader& picture) {
        // A Motion-JPEG film takes a plain picture of the frame size as it is.
        unchanged = format.codec == AviCodec::Mjpg && picture.plainYCbCr && picture.width == format.width
            && picture.height == format.height;
        const auto [w, h] = fittedSize(picture.width, picture.height, format);
        return imaging::DecodeTarget{!unchanged, w, h};
    });
    if (!decoded)
        return FrameResult::failure(decoded.error());
    if (unchanged)
        return imaging::ReadFileBytes(path);
    return finish(decoded.value().image, format);
}

AviFramePipeline::AviFramePipeline(const QList<AviBitmap>& bitmaps, const AviFrameFormat& format, int threads)
    : m_bitmaps(bitmaps)
    , m_format(format)
{
    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::max(1, std::min<int>(threads, int(bitmaps.size())));
    m_window = std::size_t(threads) * 2;
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back([this] { work(); });
}

AviFramePipeline::~AviFramePipeline()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

void AviFramePipeline::work()
{
    const std::size_t count = std::size_t(m_bitmaps.size());
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stopping || m_claimed >= count || m_claimed < m_consumed + m_window; });
        if (m_stopping || m_claimed >= count)
            return;
        const std::size_t index = m_claimed++;
        lock.unlock();
        FrameResult frame = RenderAviFrame(m_bitmaps[qsizetype(index)], m_format);
        lock.lock();
        m_done.emplace(index, std::move(frame));
        m_changed.notify_all();
    }
}

FrameResult AviFramePipeline::next()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_done.count(m_consumed) > 0; });
    auto node = m_done.extract(m_consumed);
    ++m_consumed;
    lock.unlock();
    m_changed.notify_all();
    return std::move(node.mapped());
}

}  // namespace shutterhand
