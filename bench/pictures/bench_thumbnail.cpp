// Thumbnail of one 24-megapixel picture: ours against a minimal libjpeg-turbo program (decode at 1/8,
// nearest-neighbour into the box, encode), libvips in-process and ImageMagick; and the throughput of a
// batch on one core against all cores.
//
//   bench_thumbnail PICTURE.jpg BATCH_FOLDER WORK_FOLDER

#include "bench_clock.h"
#include "web/thumbnail.h"
#include "web/thumbnail_batch.h"

#include <QDir>
#include <QString>

#include <cstdio>
#include <jpeglib.h>
#include <vector>

#ifdef HAVE_VIPS
#include <vips/vips.h>
#endif

namespace {

// The smallest program that makes the same thumbnail with libjpeg-turbo: no checks, no filtering.
void minimalLibjpegThumbnail(const char* source, const char* target)
{
    FILE* input = std::fopen(source, "rb");
    jpeg_decompress_struct in = {};
    jpeg_error_mgr errors = {};
    in.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&in);
    jpeg_stdio_src(&in, input);
    jpeg_read_header(&in, TRUE);
    in.scale_num = 1;
    in.scale_denom = 8;
    in.out_color_space = JCS_RGB;
    jpeg_start_decompress(&in);
    const int w = int(in.output_width), h = int(in.output_height);
    std::vector<unsigned char> picture(std::size_t(w) * h * 3);
    while (in.output_scanline < in.output_height) {
        JSAMPROW row = picture.data() + std::size_t(in.output_scanline) * w * 3;
        jpeg_read_scanlines(&in, &row, 1);
    }
    jpeg_finish_decompress(&in);
    jpeg_destroy_decompress(&in);
    std::fclose(input);

    const int tw = 250, th = w >= h ? h * 250 / w : 250;
    const int sw = w >= h ? 250 : w * 250 / h;
    std::vector<unsigned char> box(250 * 250 * 3, 255);
    for (int y = 0; y < th; ++y)
        for (int x = 0; x < sw; ++x)
            for (int c = 0; c < 3; ++c)
                box[(std::size_t(y + (250 - th) / 2) * 250 + x + (250 - sw) / 2) * 3 + c]
                    = picture[(std::size_t(y * h / th) * w + x * w / sw) * 3 + c];
    (void)tw;

    jpeg_compress_struct out = {};
    out.err = jpeg_std_error(&errors);
    jpeg_create_compress(&out);
    unsigned char* encoded = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&out, &encoded, &size);
    out.image_width = 250;
    out.image_height = 250;
    out.input_components = 3;
    out.in_color_space = JCS_RGB;
    jpeg_set_defaults(&out);
    jpeg_set_quality(&out, 85, TRUE);
    jpeg_start_compress(&out, TRUE);
    while (out.next_scanline < 250) {
        JSAMPROW row = box.data() + std::size_t(out.next_scanline) * 250 * 3;
        jpeg_write_scanlines(&out, &row, 1);
    }
    jpeg_finish_compress(&out);
    jpeg_destroy_compress(&out);
    FILE* file = std::fopen(target, "wb");
    std::fwrite(encoded, 1, size, file);
    std::fclose(file);
    std::free(encoded);
}

char ratio[64];
const char* ratioText(double ours, double other, const char* target)
{
    std::snprintf(ratio, sizeof ratio, "ours / this = %.2f  (%s)", ours / other, target);
    return ratio;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_thumbnail PICTURE.jpg BATCH_FOLDER WORK_FOLDER\n");
        return 2;
    }
    bench::MachineLoad load;
    const QString picture = QString::fromLocal8Bit(argv[1]);
    const QString work = QString::fromLocal8Bit(argv[3]);
    const QString ours = work + "/ours_thumb.jpg";
    const int runs = 21;

    std::printf("Thumbnail of %s (median of %d runs, taken in turns)\n", argv[1], runs);
    const std::string minimalTarget = (work + "/minimal_thumb.jpg").toStdString();
    std::vector<std::function<void()>> works = {
        [&] {
            if (shutterhand::CreateThumbnailImage(picture, ours, 250, 250, shutterhand::ThumbnailBackground).outcome
                != shutterhand::ThumbnailOutcome::Written)
                std::abort();
        },
        [&] { minimalLibjpegThumbnail(argv[1], minimalTarget.c_str()); },
    };
#ifdef HAVE_VIPS
    const std::string vipsTarget = (work + "/vips_thumb.jpg").toStdString();
    const bool haveVips = VIPS_INIT(argv[0]) == 0;
    if (haveVips) {
        vips_concurrency_set(1);
        works.push_back([&] {
            VipsImage* image = nullptr;
            if (vips_thumbnail(argv[1], &image, 250, "height", 250, nullptr) != 0
                || vips_jpegsave(image, vipsTarget.c_str(), "Q", 85, nullptr) != 0)
                std::abort();
            g_object_unref(image);
        });
    }
#endif
    for (auto& work : works)
        work();  // warm the page cache and the libraries
    const std::vector<double> ms = bench::interleavedMediansMs(runs, works);
    const double oursMs = ms[0];
    bench::line("Shutterhand CreateThumbnailImage", oursMs, "ms");
    bench::line("minimal libjpeg-turbo program (1/8 decode, encode)", ms[1], "ms",
                ratioText(oursMs, ms[1], "target <= 1.10"));
#ifdef HAVE_VIPS
    if (haveVips)
        bench::line("libvips in-process (vips_thumbnail, one thread)", ms[2], "ms",
                    ratioText(oursMs, ms[2], "target < 1"));
#else
    std::printf("  libvips: not installed, left out\n");
#endif

    const double magickMs = bench::commandMs(
        5, "/usr/bin/convert '" + picture.toStdString() + "' -thumbnail 250x250 '" + work.toStdString() + "/im.jpg'");
    if (magickMs > 0)
        bench::line("ImageMagick convert -thumbnail 250x250", magickMs, "ms",
                    ratioText(oursMs, magickMs, "for information"));
    else
        std::printf("  ImageMagick: /usr/bin/convert failed or missing, left out\n");

    load.print();

    bench::MachineLoad batchLoad;
    QStringList batch;
    for (const QString& name : QDir(QString::fromLocal8Bit(argv[2])).entryList({"*.jpg"}, QDir::Files, QDir::Name)) {
        if (!name.contains("_thumb"))
            batch << QString::fromLocal8Bit(argv[2]) + "/" + name;
    }
    const std::vector<double> batchMs
        = bench::interleavedMediansMs(5,
                                      {[&] { shutterhand::MakeThumbnails(batch, true, {}, 1); },
                                       [&] { shutterhand::MakeThumbnails(batch, true, {}, 0); }});
    const double oneCore = batchMs[0], allCores = batchMs[1];
    std::printf("Thumbnails of %lld pictures (MakeThumbnails, median of 5 runs, taken in turns)\n",
                static_cast<long long>(batch.size()));
    bench::line("one thread", oneCore, "ms");
    char speedup[64];
    std::snprintf(speedup, sizeof speedup, "speed-up %.2f  (target >= 1.7)", oneCore / allCores);
    bench::line("one thread per core", allCores, "ms", speedup);
    batchLoad.print();
    return 0;
}
