#include "jpeg_test_pictures.h"

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace shutterhand::test {

imaging::RgbImage gradientPicture(int width, int height)
{
    imaging::RgbImage image(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = image.row(y);
        for (int x = 0; x < width; ++x) {
            row[x * 3 + 0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
            row[x * 3 + 1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
            row[x * 3 + 2] = static_cast<std::uint8_t>(((x / 8 + y / 8) % 2) ? 200 : 60);
        }
    }
    return image;
}

namespace {

std::vector<std::uint8_t> encodeRaw(int width, int height, int components, J_COLOR_SPACE space,
                                    const std::uint8_t* pixel)
{
    jpeg_compress_struct info = {};
    jpeg_error_mgr errors = {};
    info.err = jpeg_std_error(&errors);  // test data only: the default handler may exit on failure
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (space == JCS_CMYK)
        info.write_Adobe_marker = TRUE;
    jpeg_start_compress(&info, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * components);
    for (int x = 0; x < width; ++x)
        for (int c = 0; c < components; ++c)
            row[static_cast<std::size_t>(x) * components + c] = pixel[c];
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> greyJpeg(int width, int height, std::uint8_t level)
{
    return encodeRaw(width, height, 1, JCS_GRAYSCALE, &level);
}

std::vector<std::uint8_t> cmykJpeg(int width, int height, const std::uint8_t cmyk[4])
{
    return encodeRaw(width, height, 4, JCS_CMYK, cmyk);
}

}  // namespace shutterhand::test
