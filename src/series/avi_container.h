#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace shutterhand {

enum class AviCodec {
    Dib8,  // uncompressed 8-bit bottom-up DIB frames with the fixed colour table
    Mjpg,  // Motion-JPEG: every frame a complete JPEG picture
};

struct AviStreamFormat {
    int width = 0;
    int height = 0;
    int frameTimeMs = 1000;  // scale of the stream; its rate is 1000
    AviCodec codec = AviCodec::Dib8;
};

// Writes an AVI (RIFF) file with one video stream of key frames to an open file descriptor.
//
// A film stays a plain AVI 1.0 file (one RIFF 'AVI ' list with an idx1 index) while it is below 1 GiB.
// Larger films continue in RIFF 'AVIX' lists of at most 1 GiB each, following the OpenDML extension:
// each RIFF list carries a standard index ('ix00') of its frames, the stream header's reserved space
// becomes a super index ('indx') of those, and an 'odml' list states the total frame count. The first
// RIFF list keeps its idx1 index for players that know only AVI 1.0.
class AviContainerWriter {
public:
    // `frameCount` is the number of frames that will be added; it sizes the space reserved for the super
    // index. `segmentLimit` is for tests, which cannot write gigabytes.
    AviContainerWriter(int fd, const AviStreamFormat& format, std::size_t frameCount,
                       std::uint64_t segmentLimit = std::uint64_t{1} << 30);

    // Writes the headers; then frames are appended in order; finish() writes the indexes and fills in
    // the sizes and counts. Each returns false when the file cannot be written.
    bool begin();
    bool addFrame(const std::uint8_t* data, std::size_t size);
    bool finish();

    std::size_t framesWritten() const { return m_frames.size(); }

private:
    struct Frame {
        std::uint64_t position;  // of the chunk header
        std::uint32_t size;      // of the data
    };
    struct Segment {
        std::uint64_t riffPosition;
        std::uint64_t moviPosition;  // of the 'movi' list type, the base of the offsets in the indexes
        std::size_t firstFrame;
        std::uint64_t indexPosition = 0;  // of its 'ix00' chunk
        std::uint32_t indexSize = 0;
    };

    bool write(const void* data, std::size_t size);
    bool writeAt(std::uint64_t position, const std::vector<std::uint8_t>& bytes);
    bool startSegment();
    bool endSegment(bool last);
    std::uint64_t closingBytes(std::size_t frames) const;
    std::vector<std::uint8_t> mainHeader(std::uint32_t firstRiffFrames) const;
    std::vector<std::uint8_t> streamHeader() const;
    std::vector<std::uint8_t> superIndex() const;

    int m_fd;
    AviStreamFormat m_format;
    std::uint64_t m_segmentLimit;
    std::size_t m_superIndexEntries;
    std::uint64_t m_position = 0;
    std::uint64_t m_mainHeaderPosition = 0;
    std::uint64_t m_streamHeaderPosition = 0;
    std::uint64_t m_superIndexPosition = 0;
    std::uint64_t m_odmlPosition = 0;
    std::uint32_t m_largestFrame = 0;
    std::vector<Frame> m_frames;
    std::vector<Segment> m_segments;
};

}  // namespace shutterhand
