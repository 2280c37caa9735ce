#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace shutterhand {

// Random access to the bytes of a picture. Every read is checked against the size: a read that would
// pass the end fails and returns false.
class ExifSource {
public:
    virtual ~ExifSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual bool read(std::uint64_t offset, void* out, std::size_t count) = 0;
};

class MemoryExifSource final : public ExifSource {
public:
    explicit MemoryExifSource(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    { }
    std::uint64_t size() const override { return m_bytes.size(); }
    bool read(std::uint64_t offset, void* out, std::size_t count) override;

private:
    std::span<const std::uint8_t> m_bytes;
};

// Reads an open file in aligned blocks of 4 KiB and keeps the last few, so that the handful of small
// reads of a directory walk cost one or two system calls and the rest of the picture is never read.
class FileExifSource final : public ExifSource {
public:
    FileExifSource(int fd, std::uint64_t size)
        : m_fd(fd)
        , m_size(size)
    { }
    std::uint64_t size() const override { return m_size; }
    bool read(std::uint64_t offset, void* out, std::size_t count) override;

private:
    static constexpr std::size_t BlockSize = 4096;
    static constexpr int BlockCount = 4;
    const std::uint8_t* block(std::uint64_t index);

    int m_fd;
    std::uint64_t m_size;
    std::uint64_t m_index[BlockCount] = {};
    bool m_valid[BlockCount] = {};
    int m_next = 0;
    std::uint8_t m_blocks[BlockCount][BlockSize];
};

}  // namespace shutterhand
