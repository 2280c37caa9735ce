#include "imaging/file_bytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shutterhand::imaging {

namespace {

// Closes the descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd)
        : m_fd(fd)
    { }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

std::string describe(const std::string& path, int code) { return path + ": " + std::strerror(code); }

}  // namespace

Result<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path)
{
    // O_NONBLOCK keeps a FIFO given by mistake from blocking the open; regular files ignore it.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0)
        return Result<std::vector<std::uint8_t>>::failure(describe(path, errno));
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        return Result<std::vector<std::uint8_t>>::failure(describe(path, errno));
    if (!S_ISREG(info.st_mode))
        return Result<std::vector<std::uint8_t>>::failure(path + ": not a regular file");

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Result<std::vector<std::uint8_t>>::failure(describe(path, errno));
        }
        if (got == 0)
            break;  // the file shrank while it was read: keep what is there
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace shutterhand::imaging
