#include "imaging/jpeg_encoder.h"

#include "imaging/jpeg_errors.h"

#include <algorithm>

namespace shutterhand::imaging {

namespace {

// A destination manager that appends to a vector, so the encoded bytes need no second copy.
struct VectorDestination {
    jpeg_destination_mgr base;  // first member: libjpeg sees only this part
    std::vector<std::uint8_t>* bytes;
    static constexpr std::size_t Chunk = 64 * 1024;

    static void init(j_compress_ptr info)
    {
        auto* self = reinterpret_cast<VectorDestination*>(info->dest);
        self->bytes->resize(Chunk);
        self->base.next_output_byte = self->bytes->data();
        self->base.free_in_buffer = self->bytes->size();
    }
    static boolean grow(j_compress_ptr info)
    {
        auto* self = reinterpret_cast<VectorDestination*>(info->dest);
        const std::size_t used = self->bytes->size();
        self->bytes->resize(used * 2);
        self->base.next_output_byte = self->bytes->data() + used;
        self->base.free_in_buffer = self->bytes->size() - used;
        return TRUE;
    }
    static void term(j_compress_ptr info)
    {
        auto* self = reinterpret_cast<VectorDestination*>(info->dest);
        self->bytes->resize(self->bytes->size() - self->base.free_in_buffer);
    }
};

class Compressor {
public:
    Compressor()
    {
        InstallJpegErrorManager(reinterpret_cast<j_common_ptr>(&info), errors, false);
        jpeg_create_compress(&info);
    }
    ~Compressor() { jpeg_destroy_compress(&info); }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    jpeg_compress_struct info = {};
    JpegErrorManager errors = {};
};

// Only plain data between the setjmp and a possible jump back (see jpeg_errors.h).
bool encode(Compressor& c, const RgbImage& image, int quality, VectorDestination& destination)
{
    if (setjmp(c.errors.jump))
        return false;
    destination.base.init_destination = VectorDestination::init;
    destination.base.empty_output_buffer = VectorDestination::grow;
    destination.base.term_destination = VectorDestination::term;
    c.info.dest = &destination.base;
    c.info.image_width = static_cast<JDIMENSION>(image.width);
    c.info.image_height = static_cast<JDIMENSION>(image.height);
    c.info.input_components = 3;
    c.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&c.info, TRUE);
    while (c.info.next_scanline < c.info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.row(static_cast<int>(c.info.next_scanline)));
        jpeg_write_scanlines(&c.info, &row, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

}  // namespace

Result<std::vector<std::uint8_t>> EncodeJpeg(const RgbImage& image, int quality)
{
    using R = Result<std::vector<std::uint8_t>>;
    if (image.empty() || image.pixels.size() != image.stride() * static_cast<std::size_t>(image.height))
        return R::failure("no picture to encode");
    std::vector<std::uint8_t> bytes;
    Compressor c;
    VectorDestination destination = {};
    destination.bytes = &bytes;
    if (!encode(c, image, quality, destination))
        return R::failure(c.errors.message);
    return bytes;
}

}  // namespace shutterhand::imaging
