#pragma once

#include "imaging/imaging_result.h"
#include "imaging/rgb_image.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace shutterhand::imaging {

// The size of a JPEG picture, read from its header alone.
struct JpegHeader {
    int width = 0;
    int height = 0;
    // A sequential Huffman-coded three-component YCbCr picture, the kind every Motion-JPEG player reads.
    bool plainYCbCr = false;
};

struct DecodeOptions {
    // The size the caller will scale to. The decoder picks the smallest DCT scaling factor (of 1/8 ...
    // 8/8) that keeps the decoded picture at least this large; 0 × 0 decodes at full size.
    int minWidth = 0;
    int minHeight = 0;
    // Upper bound for the decoder's own memory and, separately, for the decoded picture; larger
    // pictures fail instead of exhausting memory.
    std::size_t maxMemory = std::size_t{1} << 30;
};

// Reads the picture's size without decoding it.
Result<JpegHeader> ReadJpegHeader(std::span<const std::uint8_t> data);

// The numerator N of the scaling factor N/8 that DecodeJpeg uses for a picture of `width` × `height`.
int ChooseScaleNumerator(int width, int height, int minWidth, int minHeight);

// Decodes to RGB. Grey, YCbCr, RGB, CMYK and YCCK pictures are handled; corrupt or truncated data
// gives an error.
Result<RgbImage> DecodeJpeg(std::span<const std::uint8_t> data, const DecodeOptions& options = {});

// What to decode of a picture, chosen from its size once the header is read.
struct DecodeTarget {
    bool decode = true;  // false: stop after the header, the image stays empty
    int minWidth = 0;
    int minHeight = 0;
};
using DecodeChooser = std::function<DecodeTarget(const JpegHeader& picture)>;

struct DecodedJpeg {
    JpegHeader header;  // the picture's own size
    RgbImage image;     // as decoded; empty when the chooser declined
};

// Decodes a JPEG file read in small chunks, so the compressed data is never held whole in memory and
// large segments (ICC profiles, EXIF thumbnails) are skipped without reading them.
Result<DecodedJpeg> DecodeJpegFile(const std::string& path, const DecodeChooser& choose,
                                   std::size_t maxMemory = std::size_t{1} << 30);

}  // namespace shutterhand::imaging
