// The EXIF reader: real camera pictures cross-checked against exiftool, and built files for the rules
// that no camera file shows.

#include "exif/exif_fields.h"
#include "exif/exif_format.h"
#include "exif/exif_reader.h"
#include "exif_builder.h"
#include "support/program_folder.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace shutterhand;
using test::ExifBuilder;

namespace {

QString samplePath(const QString& name) { return test::sourceDir() + "/tests/exif/data/" + name; }

QByteArray readSample(const QString& name)
{
    QFile file(samplePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// All fields as "Name=value" lines; fields not named in `expected` must be empty (or 0 for numbers).
QStringList dump(const TExif& exif)
{
    QStringList lines;
    for (const auto& [name, value] : ExifFieldList(exif))
        lines << QString::fromLatin1(name) + '=' + QString::fromLatin1(value);
    return lines;
}

QStringList expectedDump(const QStringList& expected)
{
    static const QStringList numbers
        = {"Orientation", "HasExif",      "ExposureProgram", "PixelXDimension", "PixelYDimension", "XResolution",
           "YResolution", "MeteringMode", "LightSource",     "Flash",           "ISOSpeedRatings"};
    TExif empty;
    QStringList lines;
    for (const auto& [name, value] : ExifFieldList(empty)) {
        const QString prefix = QString::fromLatin1(name) + '=';
        QString line = prefix + (numbers.contains(QLatin1String(name)) ? "0" : "");
        for (const QString& given : expected) {
            if (given.startsWith(prefix))
                line = given;
        }
        lines << line;
    }
    return lines;
}

TExif loadBytes(const QByteArray& bytes)
{
    TExif exif;
    exif.LoadExifFromBytes(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), bytes.size()));
    return exif;
}

int openDescriptors() { return QDir("/proc/self/fd").entryList(QDir::Files | QDir::System).size(); }

}  // namespace

class ExifTest : public QObject {
    Q_OBJECT

private slots:
    // The expected values were taken from `exiftool -v2` (version 12.57), which prints every entry of
    // the first directory and the EXIF sub-directory with its raw value (rationals as numerator and
    // denominator) and its byte count; the texts below apply this reader's conversions to those raw values.
    void readsCameraPictures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Canon, Intel order, APP0 first")
            << "Canon_40D.jpg"
            << QStringList{"Make=Canon", "Model=Canon EOS 40D", "Orientation=1", "OrientationText=Normal", "HasExif=1",
                           "DateTime=2008:07:31 10:38:11", "DateTimeOriginal=2008:05:30 15:56:01",
                           "DateTimeDigitized=2008:05:30 15:56:01", "ExposureTime=1/160 seconds", "FNumber=7.1",
                           // 483328/65536 = 7.375, 2^7.375 = 166.0; 368640/65536 = 5.625, a tie: even 5.62
                           "ShutterSpeed=1/166 seconds", "ApertureValue=5.62", "ExposureProgram=1",
                           "ExposureProgramText=Manual Control", "PixelXDimension=100", "PixelYDimension=68",
                           "XResolution=72", "YResolution=72", "MeteringMode=5", "MeteringModeText=Pattern", "Flash=9",
                           "FlashText=No Flash", "ISOSpeedRatings=100", "Software=GIMP 2.4.5"};
        QTest::newRow("Fujifilm, Motorola order") << "Fujifilm_FinePix_E500.jpg"
                                                  << QStringList{"Make=FUJIFILM",
                                                                 "Model=FinePix E500",
                                                                 "Orientation=1",
                                                                 "OrientationText=Normal",
                                                                 "HasExif=1",
                                                                 "DateTime=2008:07:31 16:49:10",
                                                                 "DateTimeOriginal=2006:08:17 09:24:48",
                                                                 "DateTimeDigitized=2006:08:17 09:24:48",
                                                                 "ExposureTime=10/800 seconds",
                                                                 "FNumber=2.9",
                                                                 "ShutterSpeed=1/79 seconds",
                                                                 "ApertureValue=3.1",
                                                                 "MaxApertureValue=3.1",
                                                                 "ExposureProgram=2",
                                                                 "ExposureProgramText=Normal Program",
                                                                 "PixelXDimension=59",
                                                                 "PixelYDimension=100",
                                                                 "XResolution=96",
                                                                 "YResolution=96",
                                                                 "MeteringMode=5",
                                                                 "MeteringModeText=Pattern",
                                                                 "LightSource=0",
                                                                 "LightSourceText=Unknown",
                                                                 "Flash=16",
                                                                 "FlashText=No Flash",
                                                                 "ISOSpeedRatings=100",
                                                                 "Software=GIMP 2.4.5",
                                                                 "CompressedBitsPerPixel=4.0"};
        QTest::newRow("Nikon, comment and XMP after EXIF") << "Nikon_D70.jpg"
                                                           << QStringList{"Make=NIKON CORPORATION",
                                                                          "Model=NIKON D70",
                                                                          "Orientation=1",
                                                                          "OrientationText=Normal",
                                                                          "HasExif=1",
                                                                          "DateTime=2008:07:31 10:03:44",
                                                                          "DateTimeOriginal=2008:03:15 09:52:01",
                                                                          "ExposureTime=1/200 seconds",
                                                                          "FNumber=9.0",
                                                                          "ShutterSpeed=1/200 seconds",
                                                                          "ApertureValue=6.34",
                                                                          "MaxApertureValue=3.3",
                                                                          "ExposureProgram=1",
                                                                          "ExposureProgramText=Manual Control",
                                                                          "PixelXDimension=100",
                                                                          "PixelYDimension=66",
                                                                          "XResolution=240",
                                                                          "YResolution=240",
                                                                          "MeteringMode=2",
                                                                          "MeteringModeText=Center Weighted Average",
                                                                          "Flash=0",
                                                                          "FlashText=No Flash",
                                                                          "ISOSpeedRatings=200",
                                                                          "Software=GIMP 2.4.5"};
        QTest::newRow("Pentax, trailing blanks, copyright")
            << "Pentax_K10D.jpg"
            << QStringList{"Make=PENTAX Corporation",
                           "Model=PENTAX K10D",
                           "Orientation=1",
                           "OrientationText=Normal",
                           "RightsNotice=Laitche (This file is in the public domain.)",
                           "HasExif=1",
                           "DateTime=2008:07:31 15:56:49",
                           "DateTimeOriginal=2008:05:04 16:47:24",
                           "DateTimeDigitized=2008:05:04 16:47:24",
                           "ExposureTime=1/180 seconds",
                           "FNumber=11.0",
                           "ExposureProgram=3",
                           "ExposureProgramText=Aperture Priority",
                           "PixelXDimension=100",
                           "PixelYDimension=72",
                           "XResolution=350",
                           "YResolution=350",
                           "MeteringMode=5",
                           "MeteringModeText=Pattern",
                           "Flash=16",
                           "FlashText=No Flash",
                           "ISOSpeedRatings=200",
                           "Software=GIMP 2.4.5"};
        QTest::newRow("Olympus, EXIF as the first segment") << "olympus-c960.jpg"
                                                            << QStringList{"ImageDescription=OLYMPUS DIGITAL CAMERA",
                                                                           "Make=OLYMPUS OPTICAL CO.,LTD",
                                                                           "Model=C960Z,D460Z",
                                                                           "Orientation=1",
                                                                           "OrientationText=Normal",
                                                                           "HasExif=1",
                                                                           "DateTime=2000:11:08 20:14:38",
                                                                           "DateTimeOriginal=2000:11:07 10:41:43",
                                                                           "DateTimeDigitized=2000:11:07 10:41:43",
                                                                           "ExposureTime=1/345 seconds",
                                                                           "FNumber=8.0",
                                                                           "MaxApertureValue=3.0",
                                                                           "ExposureProgram=2",
                                                                           "ExposureProgramText=Normal Program",
                                                                           "PixelXDimension=1280",
                                                                           "PixelYDimension=960",
                                                                           "XResolution=72",
                                                                           "YResolution=72",
                                                                           "MeteringMode=5",
                                                                           "MeteringModeText=Pattern",
                                                                           "LightSource=0",
                                                                           "LightSourceText=Unknown",
                                                                           "Flash=0",
                                                                           "FlashText=No Flash",
                                                                           "ISOSpeedRatings=125",
                                                                           "Software=OLYMPUS CAMEDIA Master",
                                                                           "CompressedBitsPerPixel=1.0"};
        QTest::newRow("ICC profile first, EXIF at an odd offset")
            << "landscape_3.jpg" << QStringList{"Orientation=3",       "OrientationText=Rotated 180", "HasExif=1",
                                                "PixelXDimension=600", "PixelYDimension=450",         "XResolution=72",
                                                "YResolution=72"};
        QTest::newRow("XMP only, no EXIF") << "image01551.jpg" << QStringList{};
    }
    void readsCameraPictures()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        const int descriptors = openDescriptors();
        TExif exif;
        exif.LoadExif(samplePath(file));
        QCOMPARE(dump(exif), expectedDump(expected));
        QCOMPARE(openDescriptors(), descriptors);  // the file is closed again
        // Reading from memory follows the same rules.
        QCOMPARE(dump(loadBytes(readSample(file))), expectedDump(expected));
    }

    void truncatedFileKeepsWhatWasReadBeforeTheBreak()
    {
        const QByteArray canon = readSample("Canon_40D.jpg");
        QVERIFY(!canon.isEmpty());
        // The entries of the EXIF sub-directory start after the first directory; cut inside them.
        const TExif whole = loadBytes(canon);
        const QByteArray at = QByteArray("\x9a\x82\x05\x00", 4);  // the exposure time entry, Intel order
        const qsizetype exposureEntry = canon.indexOf(at);
        QVERIFY(exposureEntry > 0);
        const TExif cut = loadBytes(canon.left(exposureEntry + 30));  // exposure time and f-number entries
        QCOMPARE(cut.Model, whole.Model);
        QCOMPARE(cut.Software, whole.Software);
        QVERIFY(cut.HasExif);
        // Their rationals lie in the data area further on, past the cut: the whole field stays empty.
        QCOMPARE(cut.ExposureTime, QByteArray());
        QCOMPARE(cut.FNumber, QByteArray());
        QCOMPARE(cut.Flash, quint8(0));
        QCOMPARE(cut.FlashText, QByteArray());

        for (int size : {0, 1, 2, 3, 11, 20, 40, 100, 500}) {
            const TExif part = loadBytes(canon.left(size));
            QVERIFY(part.Model.isEmpty() || part.Model == whole.Model);
        }
    }

    void sameFieldsInBothByteOrders()
    {
        auto build = [](bool big) {
            ExifBuilder b(big);
            b.text(0x010F, "Maker\0", false).text(0x0110, "Model X\0", false).shortValue(0x0112, 6, false);
            b.rational(0x829A, 1, 125).rational(0x829D, 28, 10).shortValue(0x8827, 400, true);
            b.shortValue(0xA002, 3008, true).shortValue(0xA003, 2000, true).shortValue(0x9209, 24, true);
            b.rational(0x9201, 7, 1).rational(0x9202, 29, 8).rational(0x9205, 4, 1).shortValue(0x9207, 7, true);
            b.rational(0x011A, 300, 1, false).longValue(0x8822, 4, true);
            return loadBytes(b.jpeg());
        };
        const TExif intel = build(false);
        const TExif motorola = build(true);
        QCOMPARE(dump(motorola), dump(intel));
        QCOMPARE(dump(intel),
                 expectedDump({"Make=Maker",
                               "Model=Model X",
                               "Orientation=6",
                               "OrientationText=Rotated 90 right",
                               "HasExif=1",
                               "ExposureTime=1/125 seconds",
                               "FNumber=2.8",
                               "ShutterSpeed=1/128 seconds",
                               "ApertureValue=3.62",
                               "MaxApertureValue=4.0",
                               "ExposureProgram=4",
                               "ExposureProgramText=Shutter Priority",
                               "PixelXDimension=3008",
                               "PixelYDimension=2000",
                               "XResolution=300",
                               "MeteringMode=7",
                               "MeteringModeText=Unknown",
                               "Flash=24",
                               "FlashText=No Flash",
                               "ISOSpeedRatings=400"}));
    }

    void findsOnlyARealExifSegment_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<bool>("exifSegment");
        QTest::addColumn<bool>("hasExif");
        const QByteArray xmp = test::jpegSegment(0xE1, QByteArray("http://ns.adobe.com/xap/1.0/\0<x:xmpmeta/>", 41));
        const QByteArray app0 = test::jpegSegment(0xE0, QByteArray("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
        QTest::newRow("first segment") << QByteArray() << true << true;
        QTest::newRow("after JFIF") << app0 << true << true;
        QTest::newRow("after XMP") << xmp << true << true;
        QTest::newRow("after an odd-sized segment") << test::jpegSegment(0xE2, "abc") << true << true;
        QTest::newRow("after fill bytes") << QByteArray("\xFF\xFF", 2) << true << true;
        QTest::newRow("XMP only") << app0 + xmp << false << false;
        QTest::newRow("EXIF after the start of scan") << test::jpegSegment(0xDA, "x") << true << false;
        QTest::newRow("Exif without its zero bytes") << test::jpegSegment(0xE1, "ExifMM") << false << false;
    }
    void findsOnlyARealExifSegment()
    {
        QFETCH(QByteArray, before);
        QFETCH(bool, exifSegment);
        QFETCH(bool, hasExif);
        ExifBuilder b(false);
        b.text(0x0110, "Cam\0", false);
        const QByteArray file = exifSegment ? b.jpeg(before) : QByteArray("\xFF\xD8", 2) + before + "\xFF\xD9";
        const TExif exif = loadBytes(file);
        QCOMPARE(exif.HasExif, hasExif);
        QCOMPARE(exif.Model, hasExif ? QByteArray("Cam") : QByteArray());
    }

    void readsTexts_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("only the closing zero") << QByteArray("\0", 1) << QByteArray();
        QTest::newRow("no bytes at all") << QByteArray() << QByteArray();
        QTest::newRow("in the value field") << QByteArray("ab\0", 3) << QByteArray("ab");
        QTest::newRow("four bytes, no zero") << QByteArray("abcd") << QByteArray("abcd");
        QTest::newRow("no closing zero") << QByteArray("EASTMAN KODAK COMPANY") << QByteArray("EASTMAN KODAK COMPANY");
        QTest::newRow("trailing blanks and controls") << QByteArray("Name \t\r\n  \0", 11) << QByteArray("Name");
        QTest::newRow("ends at the first zero") << QByteArray("Artist\0junk\0", 12) << QByteArray("Artist");
        QTest::newRow("bytes kept as they are") << QByteArray("Gr\xFC\xDF\0", 5) << QByteArray("Gr\xFC\xDF");
    }
    void readsTexts()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, text);
        ExifBuilder b(true);
        b.text(0x013B, stored, false);
        QCOMPARE(loadBytes(b.jpeg()).Artist, text);
    }

    void userCommentReadsUpToItsFirstZero()
    {
        ExifBuilder b(false);
        b.exif(0x9286, 7, 16, QByteArray("ASCII\0\0\0Hello!!!", 16));
        QCOMPARE(loadBytes(b.jpeg()).UserComment, QByteArray("ASCII"));
    }

    void formatsRationals_data()
    {
        QTest::addColumn<uint>("numerator");
        QTest::addColumn<uint>("denominator");
        QTest::addColumn<QByteArray>("fraction");
        QTest::addColumn<QByteArray>("decimal");
        QTest::addColumn<QByteArray>("shutter");
        QTest::newRow("1/125") << 1u << 125u << QByteArray("1/125") << QByteArray("0.01") << QByteArray("1/1 seconds");
        QTest::newRow("not reduced") << 10u << 1250u << QByteArray("10/1250") << QByteArray("0.01")
                                     << QByteArray("1/1 seconds");
        QTest::newRow("million") << 5u << 1000000u << QByteArray("0") << QByteArray("0.0") << QByteArray("1/1 seconds");
        QTest::newRow("28/10") << 28u << 10u << QByteArray("28/10") << QByteArray("2.8") << QByteArray("1/7 seconds");
        QTest::newRow("4/1") << 4u << 1u << QByteArray("4/1") << QByteArray("4.0") << QByteArray("1/16 seconds");
        QTest::newRow("56/10") << 56u << 10u << QByteArray("56/10") << QByteArray("5.6") << QByteArray("1/49 seconds");
        QTest::newRow("285/100") << 285u << 100u << QByteArray("285/100") << QByteArray("2.85")
                                 << QByteArray("1/7 seconds");
        QTest::newRow("tie to even down")
            << 29u << 8u << QByteArray("29/8") << QByteArray("3.62") << QByteArray("1/12 seconds");
        QTest::newRow("tie to even up") << 3u << 8u << QByteArray("3/8") << QByteArray("0.38")
                                        << QByteArray("1/1 seconds");
        QTest::newRow("zero denominator") << 5u << 0u << QByteArray("5/0") << QByteArray() << QByteArray("1/1 seconds");
        QTest::newRow("APEX 7") << 7u << 1u << QByteArray("7/1") << QByteArray("7.0") << QByteArray("1/128 seconds");
        QTest::newRow("APEX 6.906891") << 6906891u << 1000000u << QByteArray("0") << QByteArray("6.91")
                                       << QByteArray("1/120 seconds");
        QTest::newRow("signed -1/1 read unsigned")
            << 0xFFFFFFFFu << 1u << QByteArray("4294967295/1") << QByteArray("4294967295.0") << QByteArray("1 seconds");
        QTest::newRow("power beyond 64 bits")
            << 100u << 1u << QByteArray("100/1") << QByteArray("100.0") << QByteArray();
    }
    void formatsRationals()
    {
        QFETCH(uint, numerator);
        QFETCH(uint, denominator);
        QFETCH(QByteArray, fraction);
        QFETCH(QByteArray, decimal);
        QFETCH(QByteArray, shutter);
        QCOMPARE(ExifFractionText(numerator, denominator), fraction);
        QCOMPARE(ExifDecimalText(numerator, denominator), decimal);
        QCOMPARE(ExifShutterSpeedText(numerator, denominator), shutter);
    }

    void describesCodedValues_data()
    {
        QTest::addColumn<quint16>("tag");
        QTest::addColumn<uint>("stored");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("flash auto") << quint16(0x9209) << 25u << QStringList{"Flash=25", "FlashText=Flash (Auto)"};
        QTest::newRow("flash text by whole value")
            << quint16(0x9209) << 0x101u << QStringList{"Flash=1", "FlashText=No Flash"};
        QTest::newRow("orientation by low bits")
            << quint16(0x0112) << 0x108u << QStringList{"Orientation=8", "OrientationText=Rotated 90 left"};
        QTest::newRow("orientation unknown")
            << quint16(0x0112) << 9u << QStringList{"Orientation=9", "OrientationText=Unknown"};
        QTest::newRow("metering other") << quint16(0x9207) << 255u
                                        << QStringList{"MeteringMode=255", "MeteringModeText=Other"};
        QTest::newRow("light D65") << quint16(0x9208) << 21u << QStringList{"LightSource=21", "LightSourceText=D65"};
        QTest::newRow("light fluorescent")
            << quint16(0x9208) << 2u << QStringList{"LightSource=2", "LightSourceText=Flourescent"};
        QTest::newRow("program landscape")
            << quint16(0x8822) << 8u << QStringList{"ExposureProgram=8", "ExposureProgramText=Landscape Mode"};
    }
    void describesCodedValues()
    {
        QFETCH(quint16, tag);
        QFETCH(uint, stored);
        QFETCH(QStringList, expected);
        ExifBuilder b(false);
        b.shortValue(tag, quint16(stored), tag != 0x0112);
        QCOMPARE(dump(loadBytes(b.jpeg())), expectedDump(QStringList{"HasExif=1"} + expected));
    }

    void directoryRules()
    {
        // A tag of the other directory is skipped, the later of two entries wins, tag 0 ends a directory.
        ExifBuilder b(false);
        b.text(0x010F, "Wrong\0", true).text(0x0110, "Old\0", false).text(0x0110, "New\0", false);
        b.shortValue(0, 0, false).text(0x0131, "Hidden\0", false);
        b.shortValue(0x9209, 1, true);
        const TExif exif = loadBytes(b.jpeg());
        QCOMPARE(exif.Make, QByteArray());
        QCOMPARE(exif.Model, QByteArray("New"));
        QCOMPARE(exif.Software, QByteArray());
        QCOMPARE(exif.FlashText, QByteArray("Flash"));  // the EXIF sub-directory is still read

        // A first directory with no entries holds nothing, even when entry-like bytes follow it.
        ExifBuilder empty(false);
        QByteArray file = empty.jpeg();
        const qsizetype countAt = file.indexOf(QByteArray("II*\0", 4)) + 8;
        QCOMPARE(file.mid(countAt, 2), QByteArray("\0\0", 2));
        file.insert(countAt + 2,
                    QByteArray("\x10\x01\x02\x00\x04\x00\x00\x00"
                               "Cam\0",
                               12));
        QCOMPARE(loadBytes(file).Model, QByteArray());
    }

    void offsetsOutsideTheFileReadNothing()
    {
        ExifBuilder b(true);
        b.exif(0x829A, 5, 1, b.u32(0xFFFFFFF0));   // rational far past the end
        b.exif(0x9003, 2, 20, b.u32(0x7FFFFFFF));  // text far past the end
        b.exif(0x9286, 7, 0xFFFFFFFF, b.u32(8));   // text whose count runs past the end
        b.first(0x8769, 4, 1, b.u32(0xFFFFFFFF));  // EXIF sub-directory past the end (the later entry wins)
        const TExif exif = loadBytes(b.jpeg());
        QVERIFY(exif.HasExif);
        QCOMPARE(exif.ExposureTime, QByteArray());
        QCOMPARE(exif.DateTimeOriginal, QByteArray());

        ExifBuilder c(false);
        c.exif(0x829A, 5, 1, c.u32(0xFFFFFFF0)).exif(0x9201, 10, 1, c.u32(0xFFFFFFF0)).text(0x9003, "2024\0", true);
        const TExif shifted = loadBytes(c.jpeg());
        QCOMPARE(shifted.ExposureTime, QByteArray());  // not " seconds"
        QCOMPARE(shifted.ShutterSpeed, QByteArray());
        QCOMPARE(shifted.DateTimeOriginal, QByteArray("2024"));  // reading went on with the next entry
    }

    void missingFileChangesNothingOtherFilesReset()
    {
        test::ProgramFolder folder;
        TExif exif;
        exif.LoadExif(samplePath("Canon_40D.jpg"));
        QCOMPARE(exif.Model, QByteArray("Canon EOS 40D"));
        const QStringList before = dump(exif);
        exif.LoadExif(folder.filePath("missing.jpg"));
        exif.LoadExif(QString());
        exif.LoadExif(folder.path());  // a folder is not a file
        QCOMPARE(dump(exif), before);

        folder.writeFile("text.jpg", "not a picture");
        exif.LoadExif(folder.filePath("text.jpg"));
        QCOMPARE(dump(exif), expectedDump({}));

        // The file is closed after the call: it can be replaced at once.
        QVERIFY(QFile::copy(samplePath("Pentax_K10D.jpg"), folder.filePath("p.jpg")));
        exif.LoadExif(folder.filePath("p.jpg"));
        QVERIFY(QFile::remove(folder.filePath("p.jpg")));
        QCOMPARE(exif.Model, QByteArray("PENTAX K10D"));
    }
};

QTEST_GUILESS_MAIN(ExifTest)
#include "test_exif.moc"
