// A film of 100 pictures of 3008 x 2000 into 640 x 480 8-bit frames: ours against ffmpeg.
//
//   bench_film PICTURE_FOLDER WORK_FOLDER    (pictures named pic_000.jpg ... pic_099.jpg)

#include "bench_clock.h"
#include "series/avi_writer.h"

#include <QDir>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_film PICTURE_FOLDER WORK_FOLDER\n");
        return 2;
    }
    bench::MachineLoad load;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString work = QString::fromLocal8Bit(argv[2]);
    QStringList pictures = QDir(folder).entryList({"pic_*.jpg"}, QDir::Files, QDir::Name);
    std::printf("Film of %lld pictures into 640 x 480 8-bit frames (median of 3 runs)\n",
                static_cast<long long>(pictures.size()));

    const double oursMs = bench::medianMs(3, [&] {
        shutterhand::TAviWriter_2 writer;
        writer.setWidth(640);
        writer.setHeight(480);
        writer.filename = work + "/ours.avi";
        for (const QString& name : pictures)
            writer.Bitmaps << shutterhand::AviBitmap::fromFile(folder + "/" + name);
        const shutterhand::FileResult result = writer.Write();
        if (!result.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(result.error));
            std::abort();
        }
    });
    bench::line("Shutterhand TAviWriter_2 (DIB8)", oursMs, "ms");

    const double ffmpegMs = bench::commandMs(3,
                                             "ffmpeg -v error -y -framerate 1 -i '" + folder.toStdString()
                                                 + "/pic_%03d.jpg' -vf scale=640:480 -pix_fmt pal8 -c:v rawvideo '"
                                                 + work.toStdString() + "/ffmpeg.avi'");
    char ratio[64];
    std::snprintf(ratio, sizeof ratio, "this / ours = %.2f  (target >= 3)", ffmpegMs / oursMs);
    bench::line("ffmpeg -vf scale=640:480 -pix_fmt pal8 -c:v rawvideo", ffmpegMs, "ms", ratio);
    load.print();
    return 0;
}
