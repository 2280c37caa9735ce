// Any bytes as a JPEG picture: the header reader, the decoder at a scale chosen from the input, the
// resampler and the encoder must give a picture or an error, never a crash, a hang or a leak. The
// same bytes read as a file in chunks must give the same picture.

#include "imaging/jpeg_decoder.h"
#include "imaging/jpeg_encoder.h"
#include "imaging/resample.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

using namespace shutterhand::imaging;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const auto header = ReadJpegHeader(bytes);
    // A target size from the last bytes, so that every scaling factor is tried.
    DecodeOptions options;
    if (size >= 2) {
        options.minWidth = data[size - 1] % 64;
        options.minHeight = data[size - 2] % 64;
    }
    // Small enough that huge declared sizes fail fast instead of decoding for minutes.
    options.maxMemory = std::size_t{48} << 20;
    const auto decoded = DecodeJpeg(bytes, options);

    // The same bytes as a file, read in chunks: the outcome must be the same.
    const int fd = ::memfd_create("jpeg", MFD_CLOEXEC);
    if (fd >= 0 && ::write(fd, data, size) == static_cast<ssize_t>(size) && ::lseek(fd, 0, SEEK_SET) == 0) {
        const std::string path = "/proc/self/fd/" + std::to_string(fd);
        const auto fromFile = DecodeJpegFile(
            path,
            [&](const JpegHeader&) {
                return DecodeTarget{true, options.minWidth, options.minHeight};
            },
            options.maxMemory);
        // Whether a broken Huffman code is noticed depends on where the data's buffer ends (libjpeg-turbo's
        // fast path, used only with enough bytes at hand, does not report it), so the two may disagree
        // about damaged data; what both decode must be the same picture.
        if (fromFile.ok() && decoded.ok() && fromFile.value().image.pixels != decoded.value().pixels)
            std::abort();
    }
    if (fd >= 0)
        ::close(fd);
    if (!decoded)
        return 0;
    const RgbImage& image = decoded.value();
    if (!header || image.empty() || image.width > header.value().width || image.height > header.value().height)
        std::abort();  // a decoded picture is never larger than its header says
    const RgbImage small = Resample(image, 1 + image.width % 97, 1 + image.height % 89);
    const auto encoded = EncodeJpeg(small, 85);
    if (!encoded || !DecodeJpeg(encoded.value()))
        std::abort();  // our own output must always decode again
    return 0;
}
