// Thumbnails: names, sizes and placement in the box, the file written, forcing and the event.

#include "imaging/file_bytes.h"
#include "imaging/jpeg_decoder.h"
#include "imaging/jpeg_encoder.h"
#include "support/program_folder.h"
#include "web/thumbnail.h"
#include "web/thumbnail_batch.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QtTest>

using namespace shutterhand;

namespace {

constexpr std::uint8_t Red[3] = {200, 30, 40};

// A JPEG file of one colour.
void writePicture(const QString& path, int width, int height)
{
    imaging::RgbImage image(width, height);
    for (std::size_t i = 0; i < image.pixels.size(); i += 3)
        std::copy(Red, Red + 3, image.pixels.begin() + static_cast<std::ptrdiff_t>(i));
    const auto bytes = imaging::EncodeJpeg(image, 90);
    QVERIFY(bytes.ok());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.value().data()), static_cast<qint64>(bytes.value().size()));
}

imaging::RgbImage decodeFile(const QString& path)
{
    const auto bytes = imaging::ReadFileBytes(QFile::encodeName(path).toStdString());
    if (!bytes)
        return {};
    auto image = imaging::DecodeJpeg(bytes.value());
    return image ? std::move(image).value() : imaging::RgbImage{};
}

bool near(const std::uint8_t* pixel, int r, int g, int b)
{
    return std::abs(pixel[0] - r) <= 8 && std::abs(pixel[1] - g) <= 8 && std::abs(pixel[2] - b) <= 8;
}

QStringList filesIn(const QString& folder) { return QDir(folder).entryList(QDir::Files, QDir::Name); }

}  // namespace

class ThumbnailTest : public QObject {
    Q_OBJECT

private slots:
    void namesThumbnails_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("thumbnail");
        QTest::newRow("stored picture") << "12_Image.jpg"
                                        << "12_Image_thumb.jpg";
        QTest::newRow(".jpg twice") << "a.jpg.jpg"
                                    << "a_thumb.jpg_thumb.jpg";
        QTest::newRow(".jpg inside") << "x.jpg.png"
                                     << "x_thumb.jpg.png";
        QTest::newRow("camera name") << "DSC_0001.JPG"
                                     << "DSC_0001_thumb.jpg";
        QTest::newRow("mixed case") << "Ferien.Jpg"
                                    << "Ferien_thumb.jpg";
        QTest::newRow("long extension") << "scan.jpeg"
                                        << "scan_thumb.jpg";
        QTest::newRow("long capital extension") << "SCAN.JPEG"
                                                << "SCAN_thumb.jpg";
        QTest::newRow("another type") << "plan.png"
                                      << "plan.png";
        QTest::newRow("extension only") << ".JPG"
                                        << ".JPG";
    }
    void namesThumbnails()
    {
        QFETCH(QString, picture);
        QFETCH(QString, thumbnail);
        QCOMPARE(ThumbnailName(picture), thumbnail);
        QCOMPARE(ThumbnailPath("/pictures/" + picture), "/pictures/" + thumbnail);
    }

    void laysOutThePictureInTheBox_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::newRow("2048 x 1536") << 2048 << 1536 << 250 << 188 << 0 << 31;  // 187.5: even neighbour
        QTest::newRow("1536 x 2048") << 1536 << 2048 << 188 << 250 << 31 << 0;
        QTest::newRow("3008 x 2000") << 3008 << 2000 << 250 << 166 << 0 << 42;
        QTest::newRow("4000 x 500") << 4000 << 500 << 250 << 31 << 0 << 110;
        QTest::newRow("1000 x 1000") << 1000 << 1000 << 250 << 250 << 0 << 0;
        QTest::newRow("one side in the box") << 100 << 300 << 83 << 250 << 84 << 0;
        QTest::newRow("187.5 up to even") << 4000 << 3000 << 250 << 188 << 0 << 31;
        QTest::newRow("188.5 down to even") << 1000 << 754 << 250 << 188 << 0 << 31;
        QTest::newRow("a line stays visible") << 65000 << 10 << 250 << 1 << 0 << 125;
    }
    void laysOutThePictureInTheBox()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(int, x);
        QFETCH(int, y);
        const auto layout = ThumbnailLayoutFor(width, height, 250, 250);
        QVERIFY(layout.has_value());
        QCOMPARE(*layout, (ThumbnailLayout{w, h, x, y}));
    }

    void picturesThatFitGetNoLayout()
    {
        for (auto [w, h] : {std::pair{250, 250}, {1, 1}, {250, 10}, {0, 0}})
            QVERIFY(!ThumbnailLayoutFor(w, h, 250, 250).has_value());
    }

    void writesTheScaledPictureCentredOnWhite_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("2048 x 1536") << 2048 << 1536;
        QTest::newRow("1536 x 2048") << 1536 << 2048;
        QTest::newRow("4000 x 500") << 4000 << 500;
        QTest::newRow("1000 x 1000") << 1000 << 1000;
    }
    void writesTheScaledPictureCentredOnWhite()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        test::ProgramFolder folder;
        const QString picture = folder.filePath("www/1_Image.jpg");
        writePicture(picture, width, height);
        const ThumbnailResult result = MakeThumbnail(picture, false);
        QCOMPARE(result.outcome, ThumbnailOutcome::Written);
        QCOMPARE(result.target, folder.filePath("www/1_Image_thumb.jpg"));
        QCOMPARE(filesIn(folder.filePath("www")), (QStringList{"1_Image.jpg", "1_Image_thumb.jpg"}));

        const imaging::RgbImage thumb = decodeFile(result.target);
        QCOMPARE(thumb.width, 250);
        QCOMPARE(thumb.height, 250);
        const ThumbnailLayout layout = *ThumbnailLayoutFor(width, height, 250, 250);
        // Inside the picture, a few pixels away from its edges (JPEG blurs them a little), and on the bars.
        const int insideX = layout.x + layout.width / 2, insideY = layout.y + layout.height / 2;
        QVERIFY(near(thumb.row(insideY) + insideX * 3, Red[0], Red[1], Red[2]));
        QVERIFY(near(thumb.row(layout.y + 3) + (layout.x + 3) * 3, Red[0], Red[1], Red[2]));
        QVERIFY(
            near(thumb.row(layout.y + layout.height - 4) + (layout.x + layout.width - 4) * 3, Red[0], Red[1], Red[2]));
        if (layout.y >= 4) {
            QVERIFY(near(thumb.row(layout.y - 4) + 125 * 3, 255, 255, 255));
            QVERIFY(near(thumb.row(layout.y + layout.height + 3) + 125 * 3, 255, 255, 255));
        }
        if (layout.x >= 4) {
            QVERIFY(near(thumb.row(125) + (layout.x - 4) * 3, 255, 255, 255));
            QVERIFY(near(thumb.row(125) + (layout.x + layout.width + 3) * 3, 255, 255, 255));
        }
    }

    void thumbnailIsABaselineJpegOfQuality85()
    {
        test::ProgramFolder folder;
        writePicture(folder.filePath("www/a.jpg"), 600, 400);
        QCOMPARE(MakeThumbnail(folder.filePath("www/a.jpg"), true).outcome, ThumbnailOutcome::Written);
        const QByteArray bytes = folder.readFile("www/a_thumb.jpg");
        QVERIFY(bytes.contains(QByteArray("\xFF\xC0", 2)));   // baseline frame
        QVERIFY(!bytes.contains(QByteArray("\xFF\xC2", 2)));  // not progressive
        // The first luminance quantiser of quality 85 is 16 × 30 % = 5 (quality 75 would give 8).
        const qsizetype table = bytes.indexOf(QByteArray("\xFF\xDB", 2));
        QVERIFY(table > 0);
        QCOMPARE(int(quint8(bytes[table + 5])), 5);
    }

    void forcingEventsAndPresentThumbnails()
    {
        test::ProgramFolder folder;
        const QString picture = folder.filePath("www/7_Image.jpg");
        writePicture(picture, 400, 300);
        QStringList events;
        const ThumbnailEvent onCreate = [&](const QString& file) {
            events << file;
            // The action runs before the thumbnail is made.
            QVERIFY(!QFile::exists(folder.filePath("www/7_Image_thumb.jpg")) || events.size() > 1);
        };
        QCOMPARE(MakeThumbnail(picture, false, onCreate).outcome, ThumbnailOutcome::Written);
        QCOMPARE(events, QStringList{picture});

        folder.writeFile("www/7_Image_thumb.jpg", "older thumbnail");
        QCOMPARE(MakeThumbnail(picture, false, onCreate).outcome, ThumbnailOutcome::Present);
        QCOMPARE(events.size(), 1);  // no event when nothing is made
        QCOMPARE(folder.readFile("www/7_Image_thumb.jpg"), QByteArray("older thumbnail"));

        QCOMPARE(MakeThumbnail(picture, true, onCreate).outcome, ThumbnailOutcome::Written);
        QCOMPARE(events.size(), 2);
        QCOMPARE(decodeFile(folder.filePath("www/7_Image_thumb.jpg")).width, 250);

        // An empty thumbnail (what a power failure right after the rename can leave) is made anew.
        folder.writeFile("www/7_Image_thumb.jpg", QByteArray());
        QCOMPARE(MakeThumbnail(picture, false, onCreate).outcome, ThumbnailOutcome::Written);
        QCOMPARE(events.size(), 3);
    }

    void smallBrokenAndOwnNamedPicturesMakeNoThumbnail()
    {
        test::ProgramFolder folder;
        writePicture(folder.filePath("www/small.jpg"), 250, 200);
        folder.writeFile("www/broken.jpg", QByteArray("\xFF\xD8\xFF\xE0 not really a picture", 26));
        writePicture(folder.filePath("www/plan.png"), 600, 400);
        const QByteArray plan = folder.readFile("www/plan.png");
        int events = 0;
        const ThumbnailEvent count = [&](const QString&) { ++events; };

        QCOMPARE(MakeThumbnail(folder.filePath("www/small.jpg"), false, count).outcome, ThumbnailOutcome::TooSmall);
        QCOMPARE(events, 1);  // the event ran; the decoder then found nothing to do
        const ThumbnailResult broken = MakeThumbnail(folder.filePath("www/broken.jpg"), true);
        QCOMPARE(broken.outcome, ThumbnailOutcome::Failed);
        QVERIFY(broken.error.contains("broken.jpg"));
        QCOMPARE(MakeThumbnail(folder.filePath("www/missing.jpg"), true).outcome, ThumbnailOutcome::Failed);
        QCOMPARE(MakeThumbnail(folder.filePath("www/plan.png"), true, count).outcome, ThumbnailOutcome::OwnName);
        QCOMPARE(events, 1);
        QCOMPARE(folder.readFile("www/plan.png"), plan);  // never written over its own picture
        QCOMPARE(filesIn(folder.filePath("www")), (QStringList{"broken.jpg", "plan.png", "small.jpg"}));
    }

    void cameraNamedPictureGetsAThumbnail()
    {
        test::ProgramFolder folder;
        writePicture(folder.filePath("www/DSC_0001.JPG"), 640, 480);
        QCOMPARE(MakeThumbnail(folder.filePath("www/DSC_0001.JPG"), false).outcome, ThumbnailOutcome::Written);
        QVERIFY(QFile::exists(folder.filePath("www/DSC_0001_thumb.jpg")));
    }

    void batchMakesAllAndRaisesEventsInOrderOnTheCallingThread()
    {
        test::ProgramFolder folder;
        QStringList pictures;
        for (int i = 0; i < 6; ++i) {
            pictures << folder.filePath(QString("www/%1_Image.jpg").arg(i));
            writePicture(pictures.last(), 300 + 40 * i, 280);
        }
        pictures << folder.filePath("www/missing.jpg") << folder.filePath("www/plan.png");
        folder.writeFile("www/2_Image_thumb.jpg", "kept");
        QStringList events;
        const ThumbnailEvent onCreate = [&](const QString& file) {
            QCOMPARE(QThread::currentThread(), qApp->thread());
            events << file;
        };
        const QList<ThumbnailResult> results = MakeThumbnails(pictures, false, onCreate, 2);
        QCOMPARE(results.size(), pictures.size());
        QCOMPARE(events, (QStringList{pictures[0], pictures[1], pictures[3], pictures[4], pictures[5], pictures[6]}));
        const QList<ThumbnailOutcome> expected = {
            ThumbnailOutcome::Written, ThumbnailOutcome::Written, ThumbnailOutcome::Present, ThumbnailOutcome::Written,
            ThumbnailOutcome::Written, ThumbnailOutcome::Written, ThumbnailOutcome::Failed,  ThumbnailOutcome::OwnName};
        for (qsizetype i = 0; i < results.size(); ++i) {
            QCOMPARE(results[i].outcome, expected[i]);
            if (expected[i] == ThumbnailOutcome::Written)
                QCOMPARE(decodeFile(results[i].target).width, 250);
        }
        QCOMPARE(folder.readFile("www/2_Image_thumb.jpg"), QByteArray("kept"));
    }
};

QTEST_GUILESS_MAIN(ThumbnailTest)
#include "test_thumbnail.moc"
