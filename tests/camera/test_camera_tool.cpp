// shutterhand-tool's camera commands against the PTP/IP camera emulator and the simulated camera:
// listing, properties, a picture stored byte for byte, and the failures that end with exit code 1.

#include "imaging/jpeg_encoder.h"
#include "ptpip_emulator.h"
#include "tool/camera_commands.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

struct Run {
    int exitCode = -1;
    QString output;
};

// Runs a command with its standard output caught in a file.
Run runCommand(int (*command)(int, char**), const QStringList& arguments)
{
    QList<QByteArray> storage;
    std::vector<char*> argv;
    for (const QString& argument : arguments)
        storage.append(argument.toLocal8Bit());
    for (QByteArray& bytes : storage)
        argv.push_back(bytes.data());
    QTemporaryFile capture;
    if (!capture.open())
        qFatal("no capture file");
    std::fflush(stdout);
    const int saved = ::dup(1);
    ::dup2(capture.handle(), 1);
    Run run;
    run.exitCode = command(static_cast<int>(argv.size()), argv.data());
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    capture.seek(0);
    run.output = QString::fromLocal8Bit(capture.readAll());
    return run;
}

// A small gradient picture as the emulator serves it.
QByteArray gradientJpeg()
{
    imaging::RgbImage image(300, 200);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            std::uint8_t* pixel = image.row(y) + x * 3;
            pixel[0] = static_cast<std::uint8_t>(x);
            pixel[1] = static_cast<std::uint8_t>(y);
            pixel[2] = 128;
        }
    const auto encoded = imaging::EncodeJpeg(image, 85);
    return QByteArray(reinterpret_cast<const char*>(encoded.value().data()),
                      static_cast<qsizetype>(encoded.value().size()));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class CameraToolTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useThrowAwayHome(); }

    void listsAndDescribesCameras()
    {
        PtpipEmulator emulator;
        QVERIFY(emulator.start({"--battery", "64"}));
        const Run cameras = runCommand(runCamerasCommand, {"--simulated", "--no-usb", "--port", emulator.portPath()});
        QCOMPARE(cameras.exitCode, 0);
        QCOMPARE(cameras.output,
                 QStringLiteral("Shutterhand Simulator\tsimulated:0001\nSimulated Camera\tgphoto2:SIM0001\n"));

        const Run properties = runCommand(runPropertiesCommand, {"--no-usb", "--port", emulator.portPath()});
        QCOMPARE(properties.exitCode, 0);
        const QStringList lines = properties.output.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("Name\tSimulated Camera\tread-only"));
        QVERIFY(lines.contains("Battery Status\t64\tread-only"));
        QVERIFY(lines.contains("Exposure Index\t400\twritable"));
    }

    void captureStoresTheCamerasPictureUnchanged()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("pictures");
        const QByteArray served = gradientJpeg();
        QFile picture(dir.filePath("pictures/a.jpg"));
        QVERIFY(picture.open(QIODevice::WriteOnly) && picture.write(served) == served.size());
        picture.close();
        PtpipEmulator emulator;
        QVERIFY(emulator.start({"--images", dir.filePath("pictures"), "--name", "Studio Body"}));
        const QString target = dir.filePath("out.jpg");
        const Run run
            = runCommand(runCaptureCommand,
                         {"--no-usb", "--port", emulator.portPath(), "--camera", "Studio Body", "--output", target});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.output.trimmed(), target);
        QCOMPARE(readAll(target), served);

        // Into a folder, the picture keeps the camera's file name.
        const Run intoFolder
            = runCommand(runCaptureCommand, {"--no-usb", "--port", emulator.portPath(), "--output", dir.path()});
        QCOMPARE(intoFolder.exitCode, 0);
        QCOMPARE(intoFolder.output.trimmed(), dir.filePath("IMG_0003.JPG"));
        QCOMPARE(readAll(dir.filePath("IMG_0003.JPG")), served);
    }

    void captureWithTheSimulatedCamera()
    {
        QTemporaryDir dir;
        const Run run = runCommand(runCaptureCommand, {"--simulated", "--no-usb", "--output", dir.filePath("sim.jpg")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(readAll(dir.filePath("sim.jpg")).startsWith("\xFF\xD8"));
    }

    void failuresEndWithExitCodeOne_data()
    {
        QTest::addColumn<QStringList>("emulatorOptions");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no camera") << QStringList() << QStringList{"--no-usb"} << 1;
        QTest::newRow("unknown name") << QStringList{""} << QStringList{"--camera", "Other"} << 1;
        QTest::newRow("release refused") << QStringList{"--fail-capture"} << QStringList() << 1;
        QTest::newRow("bad port") << QStringList() << QStringList{"--port", "usb:001,002"} << 2;
        QTest::newRow("bad option") << QStringList() << QStringList{"--frobnicate"} << 2;
    }

    void failuresEndWithExitCodeOne()
    {
        QFETCH(QStringList, emulatorOptions);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        PtpipEmulator emulator;
        QStringList all = arguments;
        if (!emulatorOptions.isEmpty()) {
            emulatorOptions.removeAll(QString());
            QVERIFY(emulator.start(emulatorOptions));
            all += {"--no-usb", "--port", emulator.portPath()};
        }
        all += {"--output", dir.filePath("never.jpg")};
        const Run run = runCommand(runCaptureCommand, all);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(!QFile::exists(dir.filePath("never.jpg")));
    }
};

QTEST_GUILESS_MAIN(CameraToolTest)
#include "test_camera_tool.moc"
