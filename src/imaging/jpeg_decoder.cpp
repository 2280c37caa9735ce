#include "imaging/jpeg_decoder.h"

#include "imaging/jpeg_errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <jerror.h>

namespace shutterhand::imaging {

namespace {

// Owns a decompressor and its error handler; the destructor releases everything libjpeg allocated.
class Decompressor {
public:
    Decompressor()
    {
        InstallJpegErrorManager(reinterpret_cast<j_common_ptr>(&info), errors, true);
        jpeg_create_decompress(&info);
        info.progress = &errors.progress;
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    jpeg_decompress_struct info = {};
    JpegErrorManager errors = {};
};

JpegHeader headerOf(const jpeg_decompress_struct& info)
{
    return {static_cast<int>(info.image_width), static_cast<int>(info.image_height),
            info.num_components == 3 && info.jpeg_color_space == JCS_YCbCr && !info.progressive_mode
                && !info.arith_code};
}

// libjpeg-turbo rounds scaled sizes up: ceil(size * N / 8).
long scaledSize(long size, int numerator) { return (size * numerator + 7) / 8; }

// Everything after the setjmp touches only plain data and objects reached through pointers, so the
// jump back on an error skips no destructor.
bool readHeader(Decompressor& d, std::span<const std::uint8_t> data)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_mem_src(&d.info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d.info, TRUE);
    return true;
}

// Adobe's CMYK JPEGs store the inks inverted; plain ones do not.
void cmykToRgb(const JSAMPLE* in, std::uint8_t* out, unsigned width, bool inverted)
{
    for (unsigned x = 0; x < width; ++x, in += 4, out += 3) {
        unsigned c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = static_cast<std::uint8_t>((c * k + 127) / 255);
        out[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        out[2] = static_cast<std::uint8_t>((y * k + 127) / 255);
    }
}

// Reads the compressed data from a file descriptor through a small buffer; skips use lseek.
struct FileSource {
    jpeg_source_mgr base;  // first member: libjpeg sees only this part
    int fd;
    bool started;
    JOCTET buffer[64 * 1024];

    static FileSource& of(j_decompress_ptr info) { return *reinterpret_cast<FileSource*>(info->src); }
    static void init(j_decompress_ptr) { }
    static boolean fill(j_decompress_ptr info)
    {
        FileSource& self = of(info);
        ssize_t got;
        do {
            got = ::read(self.fd, self.buffer, sizeof self.buffer);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) {
            if (!self.started)
                ERREXIT(info, JERR_INPUT_EMPTY);
            // As libjpeg's own sources do: warn (which our handler turns into an error while decoding)
            // and hand over an end-of-image marker.
            WARNMS(info, JWRN_JPEG_EOF);
            self.buffer[0] = 0xFF;
            self.buffer[1] = JPEG_EOI;
            got = 2;
        }
        self.started = true;
        self.base.next_input_byte = self.buffer;
        self.base.bytes_in_buffer = static_cast<std::size_t>(got);
        return TRUE;
    }
    static void skip(j_decompress_ptr info, long count)
    {
        FileSource& self = of(info);
        if (count <= 0)
            return;
        if (static_cast<std::size_t>(count) <= self.base.bytes_in_buffer) {
            self.base.next_input_byte += count;
            self.base.bytes_in_buffer -= static_cast<std::size_t>(count);
            return;
        }
        const off_t beyond = static_cast<off_t>(static_cast<std::size_t>(count) - self.base.bytes_in_buffer);
        self.base.bytes_in_buffer = 0;
        if (::lseek(self.fd, beyond, SEEK_CUR) < 0)
            ERREXIT(info, JERR_FILE_READ);
    }
    static void term(j_decompress_ptr) { }

    void attach(j_decompress_ptr info)
    {
        base.init_source = init;
        base.fill_input_buffer = fill;
        base.skip_input_data = skip;
        base.resync_to_restart = jpeg_resync_to_restart;
        base.term_source = term;
        base.next_input_byte = nullptr;
        base.bytes_in_buffer = 0;
        started = false;
        info->src = &base;
    }
};

// Decodes from the source already attached; `choose` (may be empty) picks the target after the header.
// Only plain data and objects reached through references live between the setjmp and a jump back.
bool decode(Decompressor& d, const DecodeChooser& choose, const DecodeOptions& fixed, DecodedJpeg& out,
            std::vector<JSAMPLE>& cmykRow)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_read_header(&d.info, TRUE);
    out.header = headerOf(d.info);
    const DecodeTarget target = choose ? choose(out.header) : DecodeTarget{true, fixed.minWidth, fixed.minHeight};
    if (!target.decode)
        return true;
    d.info.mem->max_memory_to_use = static_cast<long>(fixed.maxMemory);

    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    d.info.scale_num = static_cast<unsigned>(
        ChooseScaleNumerator(out.header.width, out.header.height, target.minWidth, target.minHeight));
    d.info.scale_denom = 8;
    jpeg_calc_output_dimensions(&d.info);
    const std::size_t outputBytes = std::size_t{d.info.output_width} * d.info.output_height * 3;
    if (outputBytes > fixed.maxMemory) {
        std::snprintf(d.errors.message, sizeof d.errors.message, "picture of %u x %u pixels is too large",
                      d.info.image_width, d.info.image_height);
        return false;
    }

    jpeg_start_decompress(&d.info);
    out.image = RgbImage(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height));
    RgbImage& image = out.image;
    if (cmyk)
        cmykRow.resize(std::size_t{d.info.output_width} * 4);
    while (d.info.output_scanline < d.info.output_height) {
        const int y = static_cast<int>(d.info.output_scanline);
        if (cmyk) {
            JSAMPROW row = cmykRow.data();
            if (jpeg_read_scanlines(&d.info, &row, 1) == 1)
                cmykToRgb(row, image.row(y), d.info.output_width, d.info.saw_Adobe_marker);
            continue;
        }
        // Several rows per call let libjpeg hand over a whole block row at once.
        JSAMPROW rows[16];
        const int count = std::min<int>(16, static_cast<int>(d.info.output_height) - y);
        for (int i = 0; i < count; ++i)
            rows[i] = image.row(y + i);
        jpeg_read_scanlines(&d.info, rows, static_cast<JDIMENSION>(count));
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

}  // namespace

int ChooseScaleNumerator(int width, int height, int minWidth, int minHeight)
{
    if (minWidth <= 0 && minHeight <= 0)
        return 8;
    for (int numerator = 1; numerator < 8; ++numerator) {
        if (scaledSize(width, numerator) >= minWidth && scaledSize(height, numerator) >= minHeight)
            return numerator;
    }
    return 8;
}

Result<JpegHeader> ReadJpegHeader(std::span<const std::uint8_t> data)
{
    Decompressor d;
    if (data.empty())
        return Result<JpegHeader>::failure("empty JPEG data");
    if (!readHeader(d, data))
        return Result<JpegHeader>::failure(d.errors.message);
    return headerOf(d.info);
}

Result<RgbImage> DecodeJpeg(std::span<const std::uint8_t> data, const DecodeOptions& options)
{
    Decompressor d;
    if (data.empty())
        return Result<RgbImage>::failure("empty JPEG data");
    DecodedJpeg decoded;
    std::vector<JSAMPLE> cmykRow;
    jpeg_mem_src(&d.info, data.data(), static_cast<unsigned long>(data.size()));
    if (!decode(d, {}, options, decoded, cmykRow))
        return Result<RgbImage>::failure(d.errors.message);
    return std::move(decoded.image);
}

Result<DecodedJpeg> DecodeJpegFile(const std::string& path, const DecodeChooser& choose, std::size_t maxMemory)
{
    // O_NONBLOCK keeps a FIFO given by mistake from blocking the open; regular files ignore it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return Result<DecodedJpeg>::failure(path + ": " + std::strerror(errno));
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return Result<DecodedJpeg>::failure(path + ": not a regular file");
    }
    Decompressor d;
    auto source = std::make_unique<FileSource>();
    source->fd = fd;
    source->attach(&d.info);
    DecodedJpeg decoded;
    std::vector<JSAMPLE> cmykRow;
    DecodeOptions options;
    options.maxMemory = maxMemory;
    const bool ok = decode(d, choose, options, decoded, cmykRow);
    ::close(fd);
    if (!ok)
        return Result<DecodedJpeg>::failure(path + ": " + d.errors.message);
    return decoded;
}

}  // namespace shutterhand::imaging
