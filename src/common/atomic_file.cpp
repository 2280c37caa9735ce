#include "common/atomic_file.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shutterhand {

namespace {

QString describeErrno(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// Writes everything, retrying short writes and interrupted calls.
bool writeAll(int fd, const char* data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

FileResult writeFileAtomically(const QString& path, const QByteArray& data, unsigned mode)
{
    const QFileInfo target(path);
    const QByteArray finalName = QFile::encodeName(target.absoluteFilePath());
    QByteArray tempName = finalName + ".XXXXXX";
    auto failure = [&](int code) {
        return FileResult::failure(
            QStringLiteral("Die Datei %1 kann nicht geschrieben werden: %2").arg(path, describeErrno(code)));
    };

    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return failure(errno);

    bool written = ::fchmod(fd, static_cast<mode_t>(mode)) == 0 && writeAll(fd, data.constData(), data.size())
        && ::fsync(fd) == 0;
    int code = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        code = errno;
    }
    if (written && ::rename(tempName.constData(), finalName.constData()) != 0) {
        written = false;
        code = errno;
    }
    if (!written) {
        ::unlink(tempName.constData());
        return failure(code);
    }

    // Make the rename itself durable; a failure here does not undo the write, so it is not reported.
    const int dirFd = ::open(QFile::encodeName(target.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return FileResult::success();
}

}  // namespace shutterhand
