// Any bytes as a picture file for the EXIF reader. Each input is read twice, from memory and through
// a real file descriptor (memfd), and both readings must agree: the two byte sources differ only in
// how they fetch bytes.

#include "exif/exif_fields.h"
#include "exif/exif_reader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    shutterhand::TExif fromMemory;
    fromMemory.LoadExifFromBytes(std::span(data, size));

    const int fd = ::memfd_create("exif", MFD_CLOEXEC);
    if (fd < 0)
        return 0;
    if (::write(fd, data, size) == static_cast<ssize_t>(size)) {
        char path[64];
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
        shutterhand::TExif fromFile;
        fromFile.LoadExif(QString::fromLatin1(path));
        if (shutterhand::ExifFieldList(fromFile) != shutterhand::ExifFieldList(fromMemory))
            std::abort();
    }
    ::close(fd);
    return 0;
}
