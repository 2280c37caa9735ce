#include "exif/exif_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace shutterhand {

bool MemoryExifSource::read(std::uint64_t offset, void* out, std::size_t count)
{
    if (offset > m_bytes.size() || count > m_bytes.size() - offset)
        return false;
    std::memcpy(out, m_bytes.data() + offset, count);
    return true;
}

const std::uint8_t* FileExifSource::block(std::uint64_t index)
{
    for (int i = 0; i < BlockCount; ++i) {
        if (m_valid[i] && m_index[i] == index)
            return m_blocks[i];
    }
    const int slot = m_next;
    m_next = (m_next + 1) % BlockCount;
    m_valid[slot] = false;
    const std::uint64_t start = index * BlockSize;
    const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(BlockSize, m_size - start));
    std::size_t got = 0;
    while (got < wanted) {
        const ssize_t n = ::pread(m_fd, m_blocks[slot] + got, wanted - got, static_cast<off_t>(start + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return nullptr;  // a read error, or the file shrank since its size was taken
        got += static_cast<std::size_t>(n);
    }
    m_index[slot] = index;
    m_valid[slot] = true;
    return m_blocks[slot];
}

bool FileExifSource::read(std::uint64_t offset, void* out, std::size_t count)
{
    if (offset > m_size || count > m_size - offset)
        return false;
    auto* target = static_cast<std::uint8_t*>(out);
    while (count > 0) {
        const std::uint64_t index = offset / BlockSize;
        const std::uint8_t* data = block(index);
        if (!data)
            return false;
        const std::size_t within = static_cast<std::size_t>(offset % BlockSize);
        const std::size_t take = std::min(count, BlockSize - within);
        std::memcpy(target, data + within, take);
        target += take;
        offset += take;
        count -= take;
    }
    return true;
}

}  // namespace shutterhand
