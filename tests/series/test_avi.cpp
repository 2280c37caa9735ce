// The AVI film writer: frame sizes, the colour table, the films as ffprobe and ffmpeg read them, the
// OpenDML segments of large films, and the messages of every failure.

#include "imaging/jpeg_encoder.h"
#include "series/avi_container.h"
#include "series/avi_palette.h"
#include "series/avi_writer.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

using namespace shutterhand;

namespace {

struct Rgb {
    int r, g, b;
};

// A picture whose top half is `top` and bottom half `bottom`, to see that frames are not upside down.
imaging::RgbImage halves(int width, int height, Rgb top, Rgb bottom)
{
    imaging::RgbImage image(width, height);
    for (int y = 0; y < height; ++y) {
        const Rgb c = y < height / 2 ? top : bottom;
        for (int x = 0; x < width; ++x) {
            image.row(y)[x * 3] = std::uint8_t(c.r);
            image.row(y)[x * 3 + 1] = std::uint8_t(c.g);
            image.row(y)[x * 3 + 2] = std::uint8_t(c.b);
        }
    }
    return image;
}

void writeJpeg(const QString& path, const imaging::RgbImage& image)
{
    const auto bytes = imaging::EncodeJpeg(image, 92);
    QFile file(path);
    QVERIFY(bytes.ok() && file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.value().data()), qint64(bytes.value().size()));
}

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "failed: " + QString::fromLocal8Bit(process.readAllStandardError());
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// What ffprobe sees in the film's video stream, as "key=value" lines.
QString probe(const QString& film)
{
    return run("ffprobe",
               {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                "stream=codec_name,width,height,r_frame_rate,pix_fmt,nb_read_frames:format=duration", "-of",
                "default=noprint_wrappers=1", film});
}

// The packet flags of every frame ("K_" for a key frame).
QStringList packetFlags(const QString& film)
{
    QStringList flags;
    const QString out = run("ffprobe",
                            {"-v", "error", "-select_streams", "v:0", "-show_entries", "packet=flags", "-of",
                             "default=noprint_wrappers=1", film});
    for (const QString& line : out.split('\n')) {
        if (line.startsWith("flags="))
            flags << line.mid(6);
    }
    return flags;
}

// The frames as ffmpeg decodes them, in RGB.
QByteArray decodedFrames(const QString& film)
{
    QProcess process;
    process.start("ffmpeg", {"-v", "error", "-i", film, "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

bool pixelNear(const QByteArray& frames, qsizetype at, Rgb c, int tolerance)
{
    return std::abs(quint8(frames[at]) - c.r) <= tolerance && std::abs(quint8(frames[at + 1]) - c.g) <= tolerance
        && std::abs(quint8(frames[at + 2]) - c.b) <= tolerance;
}

QStringList entries(const QString& folder) { return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

}  // namespace

class AviTest : public QObject {
    Q_OBJECT

private slots:
    void roundsFrameSizesDownToMultiplesOf16()
    {
        TAviWriter_2 writer;
        const std::pair<int, int> cases[] = {{1000, 992}, {600, 592}, {15, 0}, {16, 16}, {640, 640}, {-20, 0}};
        for (auto [given, kept] : cases) {
            writer.setWidth(given);
            writer.setHeight(given);
            QCOMPARE(writer.Width(), kept);
            QCOMPARE(writer.Height(), kept);
        }
        QCOMPARE(TAviWriter_2().FrameTime, 1000);
        QVERIFY(TAviWriter_2().Stretch);
    }

    void paletteConversionFindsTheNearestColour()
    {
        const auto& palette = AviPalette();
        QSet<quint32> distinct;
        for (const AviColour& c : palette)
            distinct.insert(quint32(c.red) << 16 | c.green << 8 | c.blue);
        QCOMPARE(distinct.size(), 256);
        auto distance = [](const AviColour& c, int r, int g, int b) {
            return (c.red - r) * (c.red - r) + (c.green - g) * (c.green - g) + (c.blue - b) * (c.blue - b);
        };
        QRandomGenerator random(4711);
        for (int i = 0; i < 20000; ++i) {
            const int r = random.bounded(256), g = random.bounded(256), b = random.bounded(256);
            const int grey = random.bounded(256);
            for (auto [cr, cg, cb] : {std::tuple{r, g, b}, std::tuple{grey, grey, grey}, std::tuple{grey, grey, b}}) {
                int best = INT_MAX;
                for (const AviColour& c : palette)
                    best = std::min(best, distance(c, cr, cg, cb));
                const AviColour& chosen = palette[NearestAviColour(quint8(cr), quint8(cg), quint8(cb))];
                QCOMPARE(distance(chosen, cr, cg, cb), best);
            }
        }
    }

    void filmsPlayWithTheRightFramesSizeAndRate_data()
    {
        QTest::addColumn<int>("codec");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("frameTime");
        QTest::addColumn<int>("frames");
        QTest::addColumn<QString>("expected");
        QTest::newRow("8-bit, one per second")
            << int(AviCodec::Dib8) << 640 << 480 << 1000 << 5
            << "codec_name=rawvideo\nwidth=640\nheight=480\npix_fmt=pal8\nr_frame_rate=1/1\nnb_read_frames=5\n"
               "duration=5.000000";
        QTest::newRow("8-bit, 1000 x 600 asked")
            << int(AviCodec::Dib8) << 1000 << 600 << 40 << 3
            << "codec_name=rawvideo\nwidth=992\nheight=592\npix_fmt=pal8\nr_frame_rate=25/1\nnb_read_frames=3\n"
               "duration=0.120000";
        QTest::newRow("Motion-JPEG")
            << int(AviCodec::Mjpg) << 320 << 240 << 500 << 4
            << "codec_name=mjpeg\nwidth=320\nheight=240\npix_fmt=yuvj420p\nr_frame_rate=2/1\nnb_read_frames=4\n"
               "duration=2.000000";
    }
    void filmsPlayWithTheRightFramesSizeAndRate()
    {
        QFETCH(int, codec);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, frameTime);
        QFETCH(int, frames);
        QFETCH(QString, expected);
        test::ProgramFolder folder;
        const QString film = folder.filePath("tmp/film.avi");
        TAviWriter_2 writer;
        writer.setWidth(width);
        writer.setHeight(height);
        writer.FrameTime = frameTime;
        writer.Codec = AviCodec(codec);
        writer.filename = film;
        const Rgb colours[] = {{255, 0, 0}, {0, 0, 255}, {255, 255, 255}};
        for (int i = 0; i < frames; ++i) {
            // Pictures of other sizes and proportions than the frame, from files and from memory.
            const imaging::RgbImage picture = halves(300 + 37 * i, 200 + 11 * i, colours[i % 3], {0, 255, 0});
            if (i % 2) {
                writer.Bitmaps << AviBitmap::fromImage(picture);
            } else {
                const QString path = folder.filePath(QString("www/Serie_%1.jpg").arg(i));
                writeJpeg(path, picture);
                writer.Bitmaps << AviBitmap::fromFile(path);
            }
        }
        QList<int> progress;
        const FileResult result = writer.Write([&](int written, int total) {
            QCOMPARE(total, frames);
            progress << written;
        });
        QVERIFY2(result.ok(), qPrintable(result.error));
        QCOMPARE(progress.size(), frames);
        QCOMPARE(progress.last(), frames);
        QCOMPARE(probe(film), expected);
        QCOMPARE(packetFlags(film), QStringList(frames, "K_"));
        QCOMPARE(entries(folder.filePath("tmp")), QStringList{"film.avi"});

        // Every picture is stretched over the whole frame, the right way up.
        const QByteArray decoded = decodedFrames(film);
        const int w = writer.Width(), h = writer.Height();
        QCOMPARE(decoded.size(), qsizetype(w) * h * 3 * frames);
        for (int i = 0; i < frames; ++i) {
            const qsizetype frame = qsizetype(w) * h * 3 * i;
            QVERIFY(pixelNear(decoded, frame, colours[i % 3], 12));
            QVERIFY(pixelNear(decoded, frame + (qsizetype(w) * (h / 2 - 4) - 1) * 3, colours[i % 3], 12));
            QVERIFY(pixelNear(decoded, frame + (qsizetype(w) * (h / 2 + 4)) * 3, {0, 255, 0}, 12));
            QVERIFY(pixelNear(decoded, frame + (qsizetype(w) * h - 1) * 3, {0, 255, 0}, 12));
        }
    }

    void withoutStretchPicturesKeepTheirProportions()
    {
        test::ProgramFolder folder;
        TAviWriter_2 writer;
        writer.setWidth(64);
        writer.setHeight(64);
        writer.Stretch = false;
        writer.filename = folder.filePath("tmp/film.avi");
        writer.Bitmaps << AviBitmap::fromImage(halves(200, 100, {255, 255, 255}, {255, 255, 255}));
        QVERIFY(writer.Write().ok());
        const QByteArray decoded = decodedFrames(writer.filename);
        QCOMPARE(decoded.size(), 64 * 64 * 3);
        QVERIFY(pixelNear(decoded, (64 * 4 + 32) * 3, {0, 0, 0}, 0));        // bar above
        QVERIFY(pixelNear(decoded, (64 * 32 + 1) * 3, {255, 255, 255}, 0));  // picture
        QVERIFY(pixelNear(decoded, (64 * 60 + 32) * 3, {0, 0, 0}, 0));       // bar below
    }

    void motionJpegTakesAFrameSizedPictureUnchanged()
    {
        test::ProgramFolder folder;
        const QString picture = folder.filePath("www/exact.jpg");
        writeJpeg(picture, halves(320, 240, {10, 20, 30}, {200, 100, 0}));
        TAviWriter_2 writer;
        writer.setWidth(320);
        writer.setHeight(240);
        writer.Codec = AviCodec::Mjpg;
        writer.filename = folder.filePath("tmp/film.avi");
        writer.Bitmaps << AviBitmap::fromFile(picture);
        QVERIFY(writer.Write().ok());
        QVERIFY(folder.readFile("tmp/film.avi").contains(folder.readFile("www/exact.jpg")));
    }

    void failuresGiveTheirMessagesAndLeaveNothingBehind_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << "empty"
                                    << "No bitmaps on the Bitmaps list";
        QTest::newRow("empty entry") << "null"
                                     << "Bitmaps[1] is not a TBitmap";
        QTest::newRow("no film path") << "no path"
                                      << "Unable to write output file";
        QTest::newRow("folder missing") << "no folder"
                                        << "Failed to create AVI video work file";
        QTest::newRow("frame width 0") << "width 15"
                                       << "Invalid bitmap";
        QTest::newRow("target is a folder") << "folder"
                                            << "Unable to write output file";
        QTest::newRow("undecodable picture") << "broken"
                                             << "broken.jpg: ";
        QTest::newRow("missing picture") << "missing"
                                         << "gone.jpg: No such file or directory";
    }
    void failuresGiveTheirMessagesAndLeaveNothingBehind()
    {
        QFETCH(QString, situation);
        QFETCH(QString, message);
        test::ProgramFolder folder;
        folder.writeFile("tmp/film.avi", "the old film");
        folder.writeFile("tmp/broken.jpg", QByteArray("\xFF\xD8\xFF\xDB\x00\x43", 6) + QByteArray(80, '\x01'));
        TAviWriter_2 writer;
        writer.setWidth(situation == "width 15" ? 15 : 64);
        writer.setHeight(situation == "huge" ? 40000 : 48);
        if (situation == "huge")
            writer.setWidth(40000);
        writer.filename = folder.filePath("tmp/film.avi");
        const AviBitmap good = AviBitmap::fromImage(halves(10, 10, {1, 2, 3}, {4, 5, 6}));
        if (situation != "empty")
            writer.Bitmaps << good << good;
        if (situation == "null")
            writer.Bitmaps[1] = AviBitmap();
        if (situation == "no path")
            writer.filename.clear();
        if (situation == "no folder")
            writer.filename = folder.filePath("nowhere/film.avi");
        if (situation == "folder")
            writer.filename = folder.filePath("tmp");
        if (situation == "broken")
            writer.Bitmaps << AviBitmap::fromFile(folder.filePath("tmp/broken.jpg"));
        if (situation == "missing")
            writer.Bitmaps << AviBitmap::fromFile(folder.filePath("tmp/gone.jpg"));

        const FileResult result = writer.Write();
        QVERIFY(!result.ok());
        if (message.endsWith(": "))
            QVERIFY2(result.error.contains(message), qPrintable(result.error));
        else if (message.contains(".jpg"))
            QVERIFY2(result.error.endsWith(message), qPrintable(result.error));
        else
            QCOMPARE(result.error, message);
        QCOMPARE(entries(folder.filePath("tmp")), (QStringList{"broken.jpg", "film.avi"}));
        QCOMPARE(folder.readFile("tmp/film.avi"), QByteArray("the old film"));
    }

    void anExistingFilmIsReplaced()
    {
        test::ProgramFolder folder;
        folder.writeFile("tmp/film.avi", "the old film");
        TAviWriter_2 writer;
        writer.setWidth(32);
        writer.setHeight(32);
        writer.filename = folder.filePath("tmp/film.avi");
        writer.Bitmaps << AviBitmap::fromImage(halves(8, 8, {9, 9, 9}, {9, 9, 9}));
        QVERIFY(writer.Write().ok());
        QVERIFY(folder.readFile("tmp/film.avi").startsWith("RIFF"));
        QCOMPARE(entries(folder.filePath("tmp")), QStringList{"film.avi"});
    }

    // Films beyond the first RIFF list continue in AVIX lists with OpenDML indexes. The limit of a list
    // is 1 GiB in films; here it is made small so that the test writes kilobytes, not gigabytes.
    void largeFilmsContinueInOpenDmlSegments()
    {
        test::ProgramFolder folder;
        const QString film = folder.filePath("tmp/large.avi");
        const int fd = ::open(QFile::encodeName(film).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        const int frames = 300;
        const std::uint64_t limit = 64 * 1024;
        AviContainerWriter container(fd, {32, 32, 40, AviCodec::Dib8}, frames, limit);
        QVERIFY(container.begin());
        std::vector<std::uint8_t> frame(32 * 32);
        for (int i = 0; i < frames; ++i) {
            std::fill(frame.begin(), frame.end(), std::uint8_t(i));
            QVERIFY(container.addFrame(frame.data(), frame.size()));
        }
        QVERIFY(container.finish());
        ::close(fd);

        // The top-level lists: RIFF 'AVI ' then RIFF 'AVIX', each within the limit, together the file.
        const QByteArray bytes = folder.readFile("tmp/large.avi");
        QStringList lists;
        qsizetype at = 0;
        while (at + 12 <= bytes.size()) {
            QCOMPARE(bytes.mid(at, 4), QByteArray("RIFF"));
            const quint32 size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
            QVERIFY(size + 8 <= limit);
            lists << QString::fromLatin1(bytes.mid(at + 8, 4));
            at += 8 + size;
        }
        QCOMPARE(at, bytes.size());
        QVERIFY(lists.size() >= 5);
        QCOMPARE(lists.first(), "AVI ");
        QCOMPARE(lists.count("AVIX"), lists.size() - 1);
        QVERIFY(bytes.contains("indx") && bytes.contains("ix00") && bytes.contains("dmlh"));

        const QString probed = probe(film);
        QVERIFY2(probed.contains("nb_read_frames=300"), qPrintable(probed));
        QVERIFY2(probed.contains("duration=12.000000"), qPrintable(probed));
        // The last frame is found through the indexes and holds its own content.
        const QByteArray decoded = decodedFrames(film);
        QCOMPARE(decoded.size(), 300 * 32 * 32 * 3);
        const AviColour last = AviPalette()[299 % 256];
        QVERIFY(pixelNear(decoded, 299 * 32 * 32 * 3, {last.red, last.green, last.blue}, 0));
    }
};

QTEST_GUILESS_MAIN(AviTest)
#include "test_avi.moc"
