// EXIF of a picture, the five fields the gallery shows (model, exposure time, flash, f-number, largest
// aperture): ours against libexif and libexiv2, averaged over the camera pictures given.
//
//   bench_exif PICTURE.jpg...

#include "bench_clock.h"
#include "exif/exif_reader.h"

#include <QString>

#include <cstring>

#ifdef HAVE_LIBEXIF
#include <libexif/exif-data.h>
#endif
#ifdef HAVE_EXIV2
#include "exiv2_reader.h"
#endif

namespace {

constexpr int Rounds = 4000;
std::size_t sink = 0;

template <typename Read> double microsecondsPerPicture(int count, char** files, Read&& read)
{
    for (int f = 0; f < count; ++f)
        read(files[f]);  // warm the page cache
    const double ms = bench::medianMs(5, [&] {
        for (int round = 0; round < Rounds; ++round)
            for (int f = 0; f < count; ++f)
                read(files[f]);
    });
    return ms * 1000.0 / (double(Rounds) * count);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_exif PICTURE.jpg...\n");
        return 2;
    }
    bench::MachineLoad load;
    const int count = argc - 1;
    char** files = argv + 1;
    std::printf("EXIF of %d camera pictures, five gallery fields (median of 5 runs of %d rounds)\n", count, Rounds);

    shutterhand::TExif exif;  // the gallery reuses one object for a page
    const double ours = microsecondsPerPicture(count, files, [&](const char* file) {
        exif.LoadExif(QString::fromLocal8Bit(file));
        sink += std::size_t(exif.Model.size() + exif.ExposureTime.size() + exif.Flash + exif.FlashText.size()
                            + exif.FNumber.size() + exif.MaxApertureValue.size());
    });
    bench::line("Shutterhand TExif::LoadExif", ours, "us");

#ifdef HAVE_LIBEXIF
    const double libexif = microsecondsPerPicture(count, files, [&](const char* file) {
        ExifData* data = exif_data_new_from_file(file);
        if (!data)
            return;
        char value[256];
        const ExifTag tags[]
            = {EXIF_TAG_MODEL, EXIF_TAG_EXPOSURE_TIME, EXIF_TAG_FLASH, EXIF_TAG_FNUMBER, EXIF_TAG_MAX_APERTURE_VALUE};
        for (ExifTag tag : tags) {
            if (ExifEntry* entry = exif_data_get_entry(data, tag))
                sink += std::strlen(exif_entry_get_value(entry, value, sizeof value));
        }
        exif_data_unref(data);
    });
    char ratio[64];
    std::snprintf(ratio, sizeof ratio, "this / ours = %.2f  (target >= 2)", libexif / ours);
    bench::line("libexif (exif_data_new_from_file, entry values)", libexif, "us", ratio);
#else
    std::printf("  libexif: not installed, left out\n");
#endif
#ifdef HAVE_EXIV2
    const double exiv2
        = microsecondsPerPicture(count, files, [&](const char* file) { sink += ReadWithExiv2(file).size(); });
    char ratio2[64];
    std::snprintf(ratio2, sizeof ratio2, "this / ours = %.2f  (for information)", exiv2 / ours);
    bench::line("libexiv2 (open, readMetadata, five keys)", exiv2, "us", ratio2);
#else
    std::printf("  libexiv2: not installed, left out\n");
#endif
    load.print();
    return sink == 0 ? 1 : 0;
}
