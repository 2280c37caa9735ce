#include "series/avi_container.h"

#include "series/avi_palette.h"

#include <algorithm>
#include <cerrno>
#include <sys/uio.h>
#include <unistd.h>

namespace shutterhand {

namespace {

constexpr std::uint32_t AviIfKeyFrame = 0x10;
constexpr std::uint32_t AvifHasIndex = 0x10;
constexpr std::size_t MainHeaderSize = 56;
constexpr std::size_t StreamHeaderSize = 56;
constexpr std::size_t DmlhSize = 248;
constexpr std::size_t SuperIndexHeaderSize = 24;
constexpr std::size_t StdIndexHeaderSize = 24;

// Little-endian fields appended to a byte vector.
struct Bytes {
    std::vector<std::uint8_t> data;

    Bytes& u8(std::uint8_t v)
    {
        data.push_back(v);
        return *this;
    }
    Bytes& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    Bytes& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Bytes& u64(std::uint64_t v) { return u32(std::uint32_t(v)).u32(std::uint32_t(v >> 32)); }
    Bytes& fourcc(const char* code) { return u8(code[0]).u8(code[1]).u8(code[2]).u8(code[3]); }
    Bytes& zeros(std::size_t count)
    {
        data.insert(data.end(), count, 0);
        return *this;
    }
    Bytes& chunk(const char* code, const Bytes& body)
    {
        return fourcc(code).u32(std::uint32_t(body.data.size())).append(body);
    }
    Bytes& append(const Bytes& other)
    {
        data.insert(data.end(), other.data.begin(), other.data.end());
        return *this;
    }
};

const char* chunkId(AviCodec codec) { return codec == AviCodec::Mjpg ? "00dc" : "00db"; }

std::size_t superIndexChunkSize(std::size_t entries) { return 8 + SuperIndexHeaderSize + 16 * entries; }

// The odml list as it is finally written: LIST, size, 'odml', then the dmlh chunk.
constexpr std::size_t OdmlListSize = 12 + 8 + DmlhSize;

}  // namespace

AviContainerWriter::AviContainerWriter(int fd, const AviStreamFormat& format, std::size_t frameCount,
                                       std::uint64_t segmentLimit)
    : m_fd(fd)
    , m_format(format)
    , m_segmentLimit(segmentLimit)
{
    // A RIFF list holds at least one frame, so there are never more segments than frames; a generous
    // estimate of the frame size keeps the reserved space small for ordinary films.
    const std::uint64_t pixels = std::uint64_t(format.width) * format.height;
    const std::uint64_t frameBytes = format.codec == AviCodec::Dib8 ? pixels + 8 : pixels * 3 + 65536;
    const std::uint64_t usable = std::max<std::uint64_t>(segmentLimit / 2, 1);
    const std::uint64_t estimate = frameCount * frameBytes / usable + 2;
    m_superIndexEntries
        = static_cast<std::size_t>(std::min<std::uint64_t>(std::max<std::size_t>(frameCount, 1), estimate));
    m_frames.reserve(frameCount);
}

bool AviContainerWriter::write(const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = ::write(m_fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
        m_position += static_cast<std::uint64_t>(written);
    }
    return true;
}

bool AviContainerWriter::writeAt(std::uint64_t position, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done, off_t(position + done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

std::vector<std::uint8_t> AviContainerWriter::mainHeader(std::uint32_t firstRiffFrames) const
{
    const std::uint32_t frameTime = std::uint32_t(m_format.frameTimeMs);
    Bytes b;
    b.u32(
         std::uint32_t(std::min<std::uint64_t>(std::uint64_t(frameTime) * 1000, 0xFFFFFFFF)))  // microseconds per frame
        .u32(std::uint32_t(std::uint64_t(m_largestFrame) * 1000 / frameTime))                  // max bytes per second
        .u32(0)                                                                                // padding granularity
        .u32(AvifHasIndex)
        .u32(firstRiffFrames)
        .u32(0)  // initial frames
        .u32(1)  // streams
        .u32(m_largestFrame + 8)
        .u32(std::uint32_t(m_format.width))
        .u32(std::uint32_t(m_format.height))
        .zeros(16);
    return b.data;
}

std::vector<std::uint8_t> AviContainerWriter::streamHeader() const
{
    Bytes b;
    b.fourcc("vids");
    if (m_format.codec == AviCodec::Mjpg)
        b.fourcc("MJPG");
    else
        b.u32(0);
    b.u32(0)     // flags
        .u16(0)  // priority
        .u16(0)  // language
        .u32(0)  // initial frames
        .u32(std::uint32_t(m_format.frameTimeMs))
        .u32(1000)
        .u32(0)  // start
        .u32(std::uint32_t(m_frames.size()))
        .u32(m_largestFrame)
        .u32(0)  // quality
        .u32(0)  // sample size: frames vary in size
        .u16(0)
        .u16(0)
        .u16(std::uint16_t(m_format.width))
        .u16(std::uint16_t(m_format.height));
    return b.data;
}

std::vector<std::uint8_t> AviContainerWriter::superIndex() const
{
    Bytes body;
    body.u16(4)  // longs per entry
        .u8(0)   // sub-type
        .u8(0)   // AVI_INDEX_OF_INDEXES
        .u32(std::uint32_t(m_segments.size()))
        .fourcc(chunkId(m_format.codec))
        .zeros(12);
    for (std::size_t i = 0; i < m_segments.size(); ++i) {
        const std::size_t end = i + 1 < m_segments.size() ? m_segments[i + 1].firstFrame : m_frames.size();
        body.u64(m_segments[i].indexPosition)
            .u32(m_segments[i].indexSize)
            .u32(std::uint32_t(end - m_segments[i].firstFrame));
    }
    body.zeros(16 * (m_superIndexEntries - m_segments.size()));
    Bytes chunk;
    chunk.chunk("indx", body);
    return chunk.data;
}

bool AviContainerWriter::begin()
{
    Bytes format;
    const bool dib = m_format.codec == AviCodec::Dib8;
    const std::uint32_t imageSize = std::uint32_t(m_format.width) * std::uint32_t(m_format.height) * (dib ? 1 : 3);
    format.u32(40)
        .u32(std::uint32_t(m_format.width))
        .u32(std::uint32_t(m_format.height))  // positive: rows bottom-up
        .u16(1)
        .u16(dib ? 8 : 24);
    if (dib)
        format.u32(0);  // BI_RGB
    else
        format.fourcc("MJPG");
    format.u32(imageSize).u32(0).u32(0).u32(dib ? 256 : 0).u32(0);
    if (dib) {
        for (const AviColour& c : AviPalette())
            format.u8(c.blue).u8(c.green).u8(c.red).u8(0);
    }

    Bytes strl;
    strl.fourcc("strl").chunk("strh", Bytes{streamHeader()}).chunk("strf", format);
    // After RIFF and hdrl headers, the avih chunk and the strl list header come the strl list's contents.
    m_superIndexPosition = 12 + 12 + 8 + MainHeaderSize + 8 + strl.data.size();
    // Reserved for the super index: a JUNK chunk of the same size, replaced only when the film grows
    // beyond its first RIFF list.
    strl.chunk("JUNK", Bytes{std::vector<std::uint8_t>(superIndexChunkSize(m_superIndexEntries) - 8)});

    Bytes hdrl;
    hdrl.fourcc("hdrl").chunk("avih", Bytes{mainHeader(0)}).chunk("LIST", strl);
    m_odmlPosition = 12 + 8 + hdrl.data.size();
    hdrl.chunk("JUNK", Bytes{std::vector<std::uint8_t>(OdmlListSize - 8)});

    Bytes head;
    head.fourcc("RIFF").u32(0).fourcc("AVI ").chunk("LIST", hdrl);
    m_mainHeaderPosition = 12 + 12 + 8;
    m_streamHeaderPosition = 12 + 12 + 8 + MainHeaderSize + 12 + 8;
    if (!write(head.data.data(), head.data.size()))
        return false;
    m_segments.push_back({0, 0, 0});
    Bytes movi;
    movi.fourcc("LIST").u32(0).fourcc("movi");
    m_segments.back().moviPosition = m_position + 8;
    return write(movi.data.data(), movi.data.size());
}

std::uint64_t AviContainerWriter::closingBytes(std::size_t frames) const
{
    // The standard index of the segment, and for the first one also its idx1 index.
    const std::uint64_t standardIndex = 8 + StdIndexHeaderSize + 8 * std::uint64_t(frames);
    return m_segments.size() == 1 ? standardIndex + 8 + 16 * std::uint64_t(frames) : standardIndex;
}

bool AviContainerWriter::addFrame(const std::uint8_t* data, std::size_t size)
{
    const std::uint64_t chunkBytes = 8 + size + (size & 1);
    if (size > 0x7FFFFFFF || chunkBytes + closingBytes(1) + 512 > m_segmentLimit)
        return false;  // a single frame larger than a RIFF list
    const Segment& current = m_segments.back();
    const std::size_t framesInSegment = m_frames.size() - current.firstFrame;
    if (framesInSegment > 0
        && m_position + chunkBytes + closingBytes(framesInSegment + 1) - current.riffPosition > m_segmentLimit) {
        if (m_segments.size() >= m_superIndexEntries || !endSegment(false) || !startSegment())
            return false;
    }

    std::uint8_t header[8] = {};
    const char* id = chunkId(m_format.codec);
    std::copy(id, id + 4, header);
    const std::uint32_t length = std::uint32_t(size);
    for (int i = 0; i < 4; ++i)
        header[4 + i] = std::uint8_t(length >> (8 * i));
    const std::uint8_t pad = 0;
    iovec parts[3]
        = {{header, 8}, {const_cast<std::uint8_t*>(data), size}, {const_cast<std::uint8_t*>(&pad), size & 1}};
    m_frames.push_back({m_position, length});
    m_largestFrame = std::max(m_largestFrame, length);
    std::size_t remaining = std::size_t(chunkBytes);
    int first = 0;
    while (remaining > 0) {
        const ssize_t written = ::writev(m_fd, parts + first, 3 - first);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        m_position += std::uint64_t(written);
        remaining -= std::size_t(written);
        std::size_t done = std::size_t(written);
        while (first < 3 && done >= parts[first].iov_len) {
            done -= parts[first].iov_len;
            ++first;
        }
        if (first < 3) {
            parts[first].iov_base = static_cast<std::uint8_t*>(parts[first].iov_base) + done;
            parts[first].iov_len -= done;
        }
    }
    return true;
}

bool AviContainerWriter::startSegment()
{
    Bytes b;
    b.fourcc("RIFF").u32(0).fourcc("AVIX").fourcc("LIST").u32(0).fourcc("movi");
    m_segments.push_back({m_position, m_position + 20, m_frames.size()});
    return write(b.data.data(), b.data.size());
}

bool AviContainerWriter::endSegment(bool last)
{
    Segment& segment = m_segments.back();
    const bool openDml = !last || m_segments.size() > 1;
    if (openDml) {
        // Standard index: offsets of the frame data (after each chunk header) from the 'movi' type.
        Bytes body;
        const std::size_t frames = m_frames.size() - segment.firstFrame;
        body.u16(2)
            .u8(0)
            .u8(1)
            .u32(std::uint32_t(frames))
            .fourcc(chunkId(m_format.codec))
            .u64(segment.moviPosition)
            .u32(0);
        for (std::size_t i = segment.firstFrame; i < m_frames.size(); ++i)
            body.u32(std::uint32_t(m_frames[i].position + 8 - segment.moviPosition)).u32(m_frames[i].size);
        Bytes chunk;
        chunk.chunk("ix00", body);
        segment.indexPosition = m_position;
        segment.indexSize = std::uint32_t(chunk.data.size());
        if (!write(chunk.data.data(), chunk.data.size()))
            return false;
    }
    // Close the movi list.
    const std::uint64_t moviList = segment.moviPosition - 8;
    if (!writeAt(moviList + 4, Bytes{}.u32(std::uint32_t(m_position - moviList - 8)).data))
        return false;
    if (m_segments.size() == 1) {
        Bytes idx1;
        for (std::size_t i = 0; i < m_frames.size(); ++i) {
            idx1.fourcc(chunkId(m_format.codec))
                .u32(AviIfKeyFrame)
                .u32(std::uint32_t(m_frames[i].position - segment.moviPosition))
                .u32(m_frames[i].size);
        }
        Bytes chunk;
        chunk.chunk("idx1", idx1);
        if (!write(chunk.data.data(), chunk.data.size()))
            return false;
    }
    return writeAt(segment.riffPosition + 4, Bytes{}.u32(std::uint32_t(m_position - segment.riffPosition - 8)).data);
}

bool AviContainerWriter::finish()
{
    if (!endSegment(true))
        return false;
    const std::size_t firstRiffFrames = m_segments.size() > 1 ? m_segments[1].firstFrame : m_frames.size();
    if (!writeAt(m_mainHeaderPosition, mainHeader(std::uint32_t(firstRiffFrames)))
        || !writeAt(m_streamHeaderPosition, streamHeader()))
        return false;
    if (m_segments.size() > 1) {
        Bytes odml;
        odml.fourcc("LIST").u32(std::uint32_t(OdmlListSize - 8)).fourcc("odml").fourcc("dmlh").u32(DmlhSize);
        odml.u32(std::uint32_t(m_frames.size())).zeros(DmlhSize - 4);
        if (!writeAt(m_superIndexPosition, superIndex()) || !writeAt(m_odmlPosition, odml.data))
            return false;
    }
    return true;
}

}  // namespace shutterhand
