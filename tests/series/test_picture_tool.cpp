// shutterhand-tool exif, thumbnail and film, as a user runs them.

#include "support/program_folder.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace shutterhand;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out, err;
};

Run tool(const QStringList& arguments, const QString& folder = {})
{
    QProcess process;
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(SHUTTERHAND_TOOL, arguments);
    Run run;
    if (process.waitForFinished(120000)) {
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
    }
    return run;
}

QString sample(const QString& name) { return test::sourceDir() + "/tests/exif/data/" + name; }

QString probe(const QString& film)
{
    QProcess process;
    process.start("ffprobe",
                  {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                   "stream=codec_name,width,height,r_frame_rate,nb_read_frames", "-of", "csv=p=0", film});
    process.waitForFinished(60000);
    return QString::fromLatin1(process.readAllStandardOutput()).trimmed();
}

}  // namespace

class PictureToolTest : public QObject {
    Q_OBJECT

private slots:
    void exifPrintsEveryFieldPerFile()
    {
        const Run run = tool({"exif", sample("Pentax_K10D.jpg"), sample("Fujifilm_FinePix_E500.jpg")});
        QCOMPARE(run.exitCode, 0);
        const QList<QByteArray> blocks = run.out.split('\n');
        // 32 lines, one empty line, 32 lines, and the final line end.
        QCOMPARE(blocks.size(), 32 + 1 + 32 + 1);
        QCOMPARE(blocks[0], QByteArray("ImageDescription="));
        QCOMPARE(blocks[5], QByteArray("RightsNotice=Laitche (This file is in the public domain.)"));
        QCOMPARE(blocks[6], QByteArray("HasExif=1"));
        QCOMPARE(blocks[31], QByteArray("CompressedBitsPerPixel="));
        QCOMPARE(blocks[32], QByteArray());
        QCOMPARE(blocks[33 + 2], QByteArray("Model=FinePix E500"));
        QCOMPARE(blocks[33 + 31], QByteArray("CompressedBitsPerPixel=4.0"));

        const Run missing = tool({"exif", "/nonexistent/picture.jpg"});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.out.isEmpty());
        QVERIFY(missing.err.contains("picture.jpg"));
    }

    void thumbnailMakesKeepsAndForces()
    {
        test::ProgramFolder folder;
        QVERIFY(QFile::copy(sample("olympus-c960.jpg"), folder.filePath("www/DSC_0001.JPG")));
        QVERIFY(QFile::copy(sample("Canon_40D.jpg"), folder.filePath("www/small.jpg")));
        const QString picture = folder.filePath("www/DSC_0001.JPG");
        const QString thumb = folder.filePath("www/DSC_0001_thumb.jpg");

        Run run = tool({"thumbnail", picture, folder.filePath("www/small.jpg")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith(thumb.toLocal8Bit() + "\n"));
        QVERIFY(run.out.contains("small.jpg: fits into 250 x 250"));
        QVERIFY(QFile::exists(thumb));
        QVERIFY(!QFile::exists(folder.filePath("www/small_thumb.jpg")));

        folder.writeFile("www/DSC_0001_thumb.jpg", "kept");
        run = tool({"thumbnail", picture});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(folder.readFile("www/DSC_0001_thumb.jpg"), QByteArray("kept"));
        run = tool({"thumbnail", "--force", picture});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(folder.readFile("www/DSC_0001_thumb.jpg").startsWith("\xFF\xD8"));

        folder.writeFile("www/broken.jpg", "no picture");
        run = tool({"thumbnail", folder.filePath("www/broken.jpg")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.err.contains("broken.jpg"));
    }

    void filmSkipsMissingPicturesAndReportsFailures()
    {
        test::ProgramFolder folder;
        QVERIFY(QFile::copy(sample("landscape_3.jpg"), folder.filePath("www/Serie_1.jpg")));
        QVERIFY(QFile::copy(sample("olympus-c960.jpg"), folder.filePath("www/Serie_2.jpg")));
        const QString one = folder.filePath("www/Serie_1.jpg"), two = folder.filePath("www/Serie_2.jpg");

        Run run = tool({"film", "--width", "1000", "--height", "600", "film.avi", one,
                        folder.filePath("www/Serie_3.jpg"), two, one},
                       folder.filePath("tmp"));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(probe(folder.filePath("tmp/film.avi")), "rawvideo,992,592,1/1,3");

        run = tool({"film", "--codec", "mjpg", "--frame-time", "40", folder.filePath("tmp/m.avi"), two});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(probe(folder.filePath("tmp/m.avi")), "mjpeg,640,480,25/1,1");

        run = tool({"film", folder.filePath("tmp/none.avi"), folder.filePath("www/gone.jpg")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray("No bitmaps on the Bitmaps list\n"));
        QVERIFY(!QFile::exists(folder.filePath("tmp/none.avi")));

        run = tool({"film", "--width", "8", folder.filePath("tmp/narrow.avi"), one});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray("Invalid bitmap\n"));

        for (const QStringList& wrong :
             {QStringList{"film", "out.avi"}, QStringList{"film", "--codec", "XVID", "o.avi", one},
              QStringList{"film", "--width", "wide", "o.avi", one}}) {
            QCOMPARE(tool(wrong, folder.filePath("tmp")).exitCode, 2);
        }
    }
};

QTEST_GUILESS_MAIN(PictureToolTest)
#include "test_picture_tool.moc"
