#include "series/avi_writer.h"

#include "series/avi_frames.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shutterhand {

namespace {

constexpr std::int64_t MaxFramePixels = std::int64_t{1} << 28;

// The film's work file beside the target. It is removed on every way out unless it was renamed over
// the target.
class WorkFile {
public:
    explicit WorkFile(const QString& target)
        : m_target(QFile::encodeName(QFileInfo(target).absoluteFilePath()))
        , m_name(m_target + ".XXXXXX")
    {
        m_fd = ::mkostemp(m_name.data(), O_CLOEXEC);
    }
    ~WorkFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (!m_committed && m_fd != -1)
            ::unlink(m_name.constData());
    }
    WorkFile(const WorkFile&) = delete;
    WorkFile& operator=(const WorkFile&) = delete;

    int fd() const { return m_fd; }

    // Makes the film durable and puts it in the target's place.
    bool commit()
    {
        const bool written = ::fchmod(m_fd, 0644) == 0 && ::fsync(m_fd) == 0;
        const bool closed = ::close(m_fd) == 0;
        m_fd = -2;  // closed, but the file is still there to remove on failure
        if (!written || !closed || ::rename(m_name.constData(), m_target.constData()) != 0)
            return false;
        m_committed = true;
        return true;
    }

private:
    QByteArray m_target;
    QByteArray m_name;
    int m_fd = -1;
    bool m_committed = false;
};

}  // namespace

std::optional<AviCodec> AviCodecFromName(const QString& name)
{
    if (name.compare(QLatin1String("DIB8"), Qt::CaseInsensitive) == 0)
        return AviCodec::Dib8;
    if (name.compare(QLatin1String("MJPG"), Qt::CaseInsensitive) == 0)
        return AviCodec::Mjpg;
    return std::nullopt;
}

void TAviWriter_2::setWidth(int width) { m_width = width > 0 ? width / 16 * 16 : 0; }

void TAviWriter_2::setHeight(int height) { m_height = height > 0 ? height / 16 * 16 : 0; }

FileResult TAviWriter_2::Write(const Progress& progress)
{
    if (Bitmaps.isEmpty())
        return FileResult::failure(QStringLiteral("No bitmaps on the Bitmaps list"));
    for (qsizetype i = 0; i < Bitmaps.size(); ++i) {
        if (Bitmaps[i].isNull())
            return FileResult::failure(QStringLiteral("Bitmaps[%1] is not a TBitmap").arg(i));
    }
    if (filename.isEmpty())
        return FileResult::failure(QStringLiteral("Unable to write output file"));

    WorkFile work(filename);
    if (work.fd() < 0)
        return FileResult::failure(QStringLiteral("Failed to create AVI video work file"));
    // A frame needs pixels; one beyond 256 megapixels could neither be held in memory three times over
    // (picture, frame, conversion) nor fit into a RIFF list.
    if (m_width <= 0 || m_height <= 0 || std::int64_t(m_width) * m_height > MaxFramePixels)
        return FileResult::failure(QStringLiteral("Invalid bitmap"));

    const int total = int(Bitmaps.size());
    AviContainerWriter container(work.fd(), {m_width, m_height, std::max(1, FrameTime), Codec}, std::size_t(total));
    if (!container.begin())
        return FileResult::failure(QStringLiteral("Failed to create AVI video stream"));
    AviFramePipeline frames(Bitmaps, {m_width, m_height, Codec, Stretch}, Threads);
    for (int i = 0; i < total; ++i) {
        const auto frame = frames.next();
        if (!frame)
            return FileResult::failure(QString::fromStdString(frame.error()));
        if (!container.addFrame(frame.value().data(), frame.value().size()))
            return FileResult::failure(QStringLiteral("Failed to add frame to AVI."));
        if (progress)
            progress(i + 1, total);
    }
    if (!container.finish() || !work.commit())
        return FileResult::failure(QStringLiteral("Unable to write output file"));
    return FileResult::success();
}

}  // namespace shutterhand
