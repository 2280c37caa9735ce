// The picture commands of shutterhand-tool: exif, thumbnail and film.

#include "exif/exif_fields.h"
#include "exif/exif_reader.h"
#include "series/avi_writer.h"
#include "tool/tool_command.h"
#include "web/thumbnail_batch.h"

#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <optional>

namespace shutterhand {

namespace {

QString argument(char* text) { return QString::fromLocal8Bit(text); }

void printError(const QString& message) { std::fprintf(stderr, "shutterhand-tool: %s\n", qPrintable(message)); }

// A whole decimal number, or nothing.
std::optional<int> parseInteger(const char* text)
{
    bool ok = false;
    const int value = QByteArray(text).toInt(&ok, 10);
    return ok ? std::optional<int>(value) : std::nullopt;
}

bool isFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

}  // namespace

int runExifCommand(int argc, char** argv)
{
    if (argc < 1) {
        std::fprintf(stderr, "usage: shutterhand-tool exif FILE...\n");
        return 2;
    }
    int status = 0;
    bool first = true;
    for (int i = 0; i < argc; ++i) {
        const QString file = argument(argv[i]);
        if (!isFile(file)) {
            printError(file + ": no such file");
            status = 1;
            continue;
        }
        TExif exif;
        exif.LoadExif(file);
        if (!first)
            std::fputc('\n', stdout);
        first = false;
        for (const auto& [name, value] : ExifFieldList(exif)) {
            // Texts go out as the bytes taken from the file.
            std::fputs(name, stdout);
            std::fputc('=', stdout);
            std::fwrite(value.constData(), 1, size_t(value.size()), stdout);
            std::fputc('\n', stdout);
        }
    }
    return status;
}

int runThumbnailCommand(int argc, char** argv)
{
    bool force = false;
    QStringList files;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--force") == 0 && files.isEmpty())
            force = true;
        else
            files << argument(argv[i]);
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: shutterhand-tool thumbnail [--force] FILE...\n");
        return 2;
    }
    int status = 0;
    const QList<ThumbnailResult> results = MakeThumbnails(files, force);
    for (qsizetype i = 0; i < results.size(); ++i) {
        const QString& file = files[i];
        switch (results[i].outcome) {
        case ThumbnailOutcome::Written:
            std::printf("%s\n", qPrintable(results[i].target));
            break;
        case ThumbnailOutcome::Present:
            std::printf("%s: thumbnail present, kept (use --force to remake it)\n", qPrintable(file));
            break;
        case ThumbnailOutcome::TooSmall:
            std::printf("%s: fits into %d x %d already, no thumbnail\n", qPrintable(file), ThumbnailBoxWidth,
                        ThumbnailBoxHeight);
            break;
        case ThumbnailOutcome::OwnName:
            std::printf("%s: not a .jpg or .jpeg name, no thumbnail\n", qPrintable(file));
            break;
        case ThumbnailOutcome::Failed:
            printError(results[i].error);
            status = 1;
            break;
        }
    }
    return status;
}

int runFilmCommand(int argc, char** argv)
{
    const char* usage = "usage: shutterhand-tool film [--width W] [--height H] [--frame-time MS] "
                        "[--codec DIB8|MJPG] OUT.avi PICTURE...\n";
    TAviWriter_2 writer;
    int width = 640;
    int height = 480;
    int i = 0;
    for (; i < argc && std::strncmp(argv[i], "--", 2) == 0; i += 2) {
        const char* option = argv[i];
        if (i + 1 >= argc) {
            std::fputs(usage, stderr);
            return 2;
        }
        const char* value = argv[i + 1];
        std::optional<int> number = parseInteger(value);
        if (std::strcmp(option, "--codec") == 0) {
            const auto codec = AviCodecFromName(QString::fromLatin1(value));
            if (!codec) {
                printError(QStringLiteral("unknown codec '%1' (DIB8 or MJPG)").arg(value));
                return 2;
            }
            writer.Codec = *codec;
        } else if (!number || (std::strcmp(option, "--frame-time") == 0 && *number < 1)) {
            printError(QStringLiteral("%1 needs a whole number%2")
                           .arg(option, std::strcmp(option, "--frame-time") == 0 ? " of at least 1" : ""));
            return 2;
        } else if (std::strcmp(option, "--width") == 0) {
            width = *number;
        } else if (std::strcmp(option, "--height") == 0) {
            height = *number;
        } else if (std::strcmp(option, "--frame-time") == 0) {
            writer.FrameTime = *number;
        } else {
            std::fputs(usage, stderr);
            return 2;
        }
    }
    if (argc - i < 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    writer.filename = QFileInfo(argument(argv[i])).absoluteFilePath();
    writer.setWidth(width);
    writer.setHeight(height);
    // As when a series is turned into a film: a picture that is gone is skipped, a twice-listed one
    // gives two frames.
    for (int p = i + 1; p < argc; ++p) {
        const QString picture = argument(argv[p]);
        if (isFile(picture))
            writer.Bitmaps << AviBitmap::fromFile(picture);
    }
    const FileResult result = writer.Write();
    if (!result.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(result.error));
        return 1;
    }
    std::printf("%s: %d frames of %d x %d\n", qPrintable(writer.filename), int(writer.Bitmaps.size()), writer.Width(),
                writer.Height());
    return 0;
}

}  // namespace shutterhand
