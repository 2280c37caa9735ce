#include "imaging/jpeg_decoder.h"

#include "imaging/jpeg_errors.h"

#include <algorithm>
#include <vector>

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

// libjpeg-turbo rounds scaled sizes up: ceil(size * N / 8).
long scaledSize(long size, int numerator)
{
    return (size * numerator + 7) / 8;
}

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

bool decode(Decompressor& d, std::span<const std::uint8_t> data, const DecodeOptions& options, RgbImage& image,
    std::vector<JSAMPLE>& cmykRow)
{
    if (setjmp(d.errors.jump))
        return false;
    jpeg_mem_src(&d.info, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d.info, TRUE);
    d.info.mem->max_memory_to_use = static_cast<long>(options.maxMemory);

    const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
    d.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    d.info.scale_num = static_cast<unsigned>(ChooseScaleNumerator(static_cast<int>(d.info.image_width),
        static_cast<int>(d.info.image_height), options.minWidth, options.minHeight));
    d.info.scale_denom = 8;
    jpeg_calc_output_dimensions(&d.info);
    const std::size_t outputBytes = std::size_t{d.info.output_width} * d.info.output_height * 3;
    if (outputBytes > options.maxMemory) {
        std::snprintf(d.errors.message, sizeof d.errors.message, "picture of %u x %u pixels is too large",
            d.info.image_width, d.info.image_height);
        return false;
    }

    jpeg_start_decompress(&d.info);
    image = RgbImage(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height));
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

} // namespace

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
    return JpegHeader{static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height)};
}

Result<RgbImage> DecodeJpeg(std::span<const std::uint8_t> data, const DecodeOptions& options)
{
    Decompressor d;
    if (data.empty())
        return Result<RgbImage>::failure("empty JPEG data");
    RgbImage image;
    std::vector<JSAMPLE> cmykRow;
    if (!decode(d, data, options, image, cmykRow))
        return Result<RgbImage>::failure(d.errors.message);
    return image;
}

} // namespace shutterhand::imaging
