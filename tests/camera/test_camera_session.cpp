// The camera session and the picture intake on the application core, with the simulated camera: the
// list, choosing a camera, the road of a released picture and the events on it, pictures taken with
// the camera's button or for a series, RAW files, deleting on the camera, failures and time limits,
// cameras that come and go, the image store and the poll tick's battery and ISO.

#include "actions/event_names.h"
#include "camera/device/device_ids.h"
#include "session_fixture.h"
#include "web/thumbnail.h"

#include <QDir>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

const QString kFailed = QStringLiteral("2 Beim erstellen eines Bildes ist es zu einem Fehler gekommen.");

}  // namespace

class CameraSessionTest : public QObject {
    Q_OBJECT

private slots:
    void startUpListsCamerasWithoutChoosingOne()
    {
        SessionFixture f;
        f.start();
        CameraSession& s = *f.session;
        QCOMPARE(s.cameraEntries(), QStringList{"Shutterhand Simulator"});
        QVERIFY(s.cameraListEnabled());
        QCOMPARE(s.cameraIndex(), -1);
        QVERIFY(!s.releaseEnabled() && !s.cameraInfoEnabled() && !s.seriesEnabled());
        QCOMPARE(f.view.entries, s.cameraEntries());
        QVERIFY(!s.currentDevice());
    }

    void unusableCameraPortsAreReportedOnce()
    {
        SessionFixture f;
        f.start({}, "CameraPorts/:/String/:/usb:001;ptpip:10.0.0.1:99999\r\n");
        f.session->ComboBox1Change(0);
        const QStringList messages = f.logMessages();
        QCOMPARE(messages.filter("CameraPorts:").size(), 2);
        QVERIFY(messages.contains("2 CameraPorts: \"usb:001\" ist kein Netzwerkanschluss einer Kamera und wird "
                                  "übergangen."));
    }

    void choosingACameraConnectsIt()
    {
        SessionFixture f;
        f.start();
        f.session->ComboBox1Change(0);
        QVERIFY(f.session->currentDevice());
        QVERIFY(f.session->releaseEnabled());
        QVERIFY(f.session->cameraInfoEnabled());
        QVERIFY(f.session->seriesEnabled());
        QVERIFY(f.view.release && f.view.info && f.view.series);
        const CameraInfo info = f.session->cameraInfo();
        QCOMPARE(info.properties.first(), (CameraInfoRow{"Name", "Shutterhand Simulator", true}));
        QCOMPARE(info.events.size(), 4);
        QCOMPARE(info.commands, (QList<CameraInfoRow>{{"Take Picture", wia::CommandTakePicture, false}}));
    }

    void releasedPictureTakesItsRoad()
    {
        SessionFixture f;
        ApplicationCore& core
            = f.start({events::RequestPicture, events::TakeRemotePicture, events::TakePicture, events::DeviceConnect});
        f.session->ComboBox1Change(0);
        bool releaseSeenInAction = true;
        f.runner.onRun = [&](const ActionRun& run) {
            // RequestPicture's action runs before the camera has been asked.
            if (run.code == events::RequestPicture)
                releaseSeenInAction = f.session->releaseUnderWay();
        };
        f.session->BitBtn1Click();
        QVERIFY(!releaseSeenInAction);
        QVERIFY(core.PictureRequested);
        QVERIFY(f.session->releaseUnderWay());
        QVERIFY(!f.session->releaseEnabled());  // a second press cannot reach the busy camera
        f.session->BitBtn1Click();
        QCOMPARE(f.timeline.runs(), QStringList{"run:RequestPicture"});

        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs().size(), 2, 10000);
        QCOMPARE(f.timeline.runs(), (QStringList{"run:RequestPicture", "run:TakeRemotePicture"}));
        QVERIFY(f.logMessages().contains("0 Bild wir erstellt..."));
        QVERIFY(f.logMessages().contains("0 Warte auf Kamera..."));
        QVERIFY(f.logMessages().indexOf("0 Bild wir erstellt...") < f.logMessages().indexOf("0 Warte auf Kamera..."));
        QVERIFY(!core.PictureRequested);
        QVERIFY(f.session->releaseEnabled());
        QCOMPARE(f.session->statusText(), QString());
        QVERIFY(f.session->saveAsEnabled() && f.view.saveAs);

        // The picture is in the transfer file, shown, with its overlay; the image store is untouched.
        QCOMPARE(f.session->shownPictureFile(), f.tmpPicture());
        QCOMPARE(f.view.pictures, QStringList{f.tmpPicture()});
        const QString lastCard = f.camera()->fileNames().last();
        QCOMPARE(fileBytes(f.tmpPicture()), f.camera()->fileBytes(lastCard));
        QCOMPARE(f.session->shownPictureSize(), QSize(640, 480));
        const QStringList overlay = f.session->exifText().split("\r\n");
        QCOMPARE(overlay.size(), 4);
        QVERIFY(overlay[0].startsWith("Belichtung: 1/125"));
        QCOMPARE(overlay[1].left(10), QStringLiteral("Blitz:  0 "));
        QVERIFY(overlay[2].startsWith("Blendenzahl: "));
        QVERIFY(overlay[3].startsWith("Max. Blende: "));
        QVERIFY(!f.view.exifVisible);
        f.session->ToggleExifOverlay();
        QVERIFY(f.view.exifVisible);
        QVERIFY(QDir(f.folder.filePath("www")).entryList({"*.jpg"}).isEmpty());
        QVERIFY(QDir(f.folder.filePath("tmp")).entryList(QDir::Files) == QStringList{"tmp.jpg"});
    }

    void pictureActionCanReleaseTheNextPicture()
    {
        // An action of TakeRemotePicture that asks for the next picture gets it as a requested one.
        SessionFixture f;
        ApplicationCore& core = f.start({events::TakeRemotePicture, events::TakePicture});
        f.session->ComboBox1Change(0);
        int runs = 0;
        f.runner.onRun = [&](const ActionRun&) {
            if (++runs < 3)
                core.TriggerPicture();
        };
        core.TriggerPicture();
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs().size(), 3, 15000);
        QCOMPARE(f.timeline.runs(), QStringList(3, "run:TakeRemotePicture"));
        QTRY_VERIFY(!f.session->releaseUnderWay());
        QVERIFY(!core.PicturePending && !core.PictureRequested);
        QCOMPARE(f.camera()->pictureCount(), 3);
    }

    void clearingThePictureShowsThePlaceholder()
    {
        SessionFixture f;
        ApplicationCore& core = f.start();
        QCOMPARE(core.shownImageSize(), QSize());
        f.folder.copyDelivery();
        core.ClearImage();
        QCOMPARE(f.view.pictures.last(), f.folder.filePath("data/img/shutter_hand.jpg"));
        QVERIFY(!core.shownImageSize().isEmpty());
        QVERIFY(core.SaveCurrentImage("placeholder.jpg").ok());
    }

    void pictureFromTheCameraButtonRaisesTakePicture()
    {
        SessionFixture f;
        ApplicationCore& core = f.start({events::TakePicture, events::TakeRemotePicture});
        f.session->ComboBox1Change(0);
        f.camera()->pressShutter();
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs(), QStringList{"run:TakePicture"}, 10000);
        QVERIFY(!core.PictureRequested);
        QVERIFY(QFile::exists(f.tmpPicture()));
    }

    void seriesPictureIsStoredUnderTheSeriesName()
    {
        SessionFixture f;
        ApplicationCore& core = f.start({events::TakeSeriesPicture, events::TakeRemotePicture});
        f.session->ComboBox1Change(0);
        core.SeriesMode = true;
        const QString target = f.folder.filePath("series/Serie_1.jpg");
        QDir().mkpath(f.folder.filePath("series"));
        core.SetSeriesFileName(target);
        core.TriggerPicture();
        QVERIFY(core.PicturePending);
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs(), QStringList{"run:TakeSeriesPicture"}, 10000);
        QVERIFY(!core.PicturePending);
        QCOMPARE(fileBytes(target), fileBytes(f.tmpPicture()));
        QCOMPARE(core.GetSeriesFiles(), QStringList{target});

        // A series folder that cannot be written ends the handling of that picture, but not the wait.
        core.SetSeriesFileName(f.folder.filePath("missing/Serie_2.jpg"));
        core.TriggerPicture();
        QTRY_VERIFY_WITH_TIMEOUT(!core.PicturePending, 10000);
        QCOMPARE(f.timeline.runs(), QStringList{"run:TakeSeriesPicture"});
        QCOMPARE(core.GetSeriesFiles(), QStringList{target});
        QVERIFY(f.logMessages().last().startsWith("2 Das Bild der Kamera konnte nicht übernommen werden"));
        QVERIFY(f.session->releaseEnabled());
    }

    void rawFilesAreNotShownAndRawPlusJpegShowsTheJpeg_data()
    {
        QTest::addColumn<int>("shots");
        QTest::addColumn<QStringList>("runs");
        QTest::newRow("RAW only") << int(SimulatedShots::Raw) << QStringList();
        QTest::newRow("RAW and JPEG") << int(SimulatedShots::RawAndJpeg) << QStringList{"run:TakeRemotePicture"};
    }

    void rawFilesAreNotShownAndRawPlusJpegShowsTheJpeg()
    {
        QFETCH(int, shots);
        QFETCH(QStringList, runs);
        SessionFixture f;
        f.cameras[0].shots = static_cast<SimulatedShots>(shots);
        ApplicationCore& core = f.start({events::TakeRemotePicture, events::TakePicture});
        f.session->ComboBox1Change(0);
        core.TriggerPicture();
        // The release ends either way: with the JPEG, or quietly a few seconds after a lone RAW file.
        QTRY_VERIFY_WITH_TIMEOUT(!f.session->releaseUnderWay(), 15000);
        QCOMPARE(f.timeline.runs(), runs);
        QVERIFY(!core.PicturePending);
        QCOMPARE(QFile::exists(f.tmpPicture()), !runs.isEmpty());
        QCOMPARE(f.session->shownPictureFile().isEmpty(), runs.isEmpty());
        QCOMPARE(f.camera()->pictureCount(), shots == int(SimulatedShots::Raw) ? 1 : 2);
        QVERIFY(!f.logMessages().contains(kFailed));
    }

    void deleteOptionEmptiesTheCameraAfterThePictureAction()
    {
        SessionFixture f;
        ApplicationCore& core = f.start({events::TakeRemotePicture});
        f.prompter.yesNoAnswers.enqueue(true);
        core.ToggleDeleteImages();
        QVERIFY(core.deleteImagesChecked());
        f.session->ComboBox1Change(0);
        f.camera()->pressShutter();  // a picture that was on the card before
        QTRY_COMPARE_WITH_TIMEOUT(f.camera()->pictureCount(), 0, 10000);
        int onCardDuringAction = -1;
        f.runner.onRun = [&](const ActionRun&) { onCardDuringAction = f.camera()->pictureCount(); };
        f.session->BitBtn1Click();
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs(), QStringList{"run:TakeRemotePicture"}, 10000);
        QCOMPARE(onCardDuringAction, 1);
        QTRY_COMPARE_WITH_TIMEOUT(f.camera()->pictureCount(), 0, 10000);
        QCOMPARE(f.logMessages().count("0 Bilder werden gelöscht"), 2);

        // Without a camera the deletion is refused with an error for the caller.
        f.session->ComboBox1Change(-1);
        QVERIFY(!core.DeleteCameraItems().ok());
    }

    void failedReleaseIsLoggedAndTheNextPictureCountsAsRequested()
    {
        SessionFixture f;
        ApplicationCore& core = f.start({events::TakeRemotePicture, events::TakePicture});
        f.session->ComboBox1Change(0);
        f.camera()->failNextReleases(1);
        core.TriggerPicture();
        QTRY_VERIFY_WITH_TIMEOUT(f.logMessages().contains(kFailed), 10000);
        QVERIFY(!core.PicturePending);
        QVERIFY(core.PictureRequested);
        QCOMPARE(f.session->statusText(), QString());
        QVERIFY(f.session->releaseEnabled());
        QVERIFY(core.logBook().isOpen());
        f.camera()->pressShutter();
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs(), QStringList{"run:TakeRemotePicture"}, 10000);
    }

    void releaseWithoutPictureEndsAtTheTimeLimit()
    {
        SessionFixture f;
        f.cameras[0].captureDelayMs = 60000;  // accepts the release, never delivers in time
        ApplicationCore& core = f.start({events::TakeRemotePicture}, "CaptureTimeout/:/Integer/:/1\r\n");
        f.session->ComboBox1Change(0);
        core.TriggerPicture();
        QVERIFY(!f.session->releaseEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!core.PicturePending, 5000);
        QVERIFY(f.logMessages().contains(kFailed));
        QVERIFY(f.logMessages().contains("1 Die Kamera hat innerhalb von 1 Sekunden kein Bild geliefert."));
        QVERIFY(f.session->releaseEnabled());
    }

    void camerasComingAndGoing()
    {
        SessionFixture f;
        f.cameras = {smallCamera("Alpha"), smallCamera("Beta")};
        ApplicationCore& core = f.start({events::DeviceConnect, events::DeviceDisconnect});
        f.session->ComboBox1Change(0);
        QVERIFY(f.session->currentDevice());

        f.backend->attach(smallCamera("Gamma"));
        QTRY_COMPARE(f.timeline.runs(), QStringList{"run:DeviceConnect"});
        QCOMPARE(core.CurrentDeviceName, QStringLiteral("Gamma"));
        QCOMPARE(f.session->cameraEntries(), (QStringList{"Alpha", "Beta", "Gamma"}));
        QVERIFY(f.session->currentDevice());  // the session goes on, its camera still shown
        QCOMPARE(f.session->cameraIndex(), 0);

        // Unplugging another camera than the chosen one ends the session all the same.
        f.backend->detach(f.camera(1)->deviceId());
        QTRY_COMPARE(f.timeline.runs(), (QStringList{"run:DeviceConnect", "run:DeviceDisconnect"}));
        QVERIFY(!f.session->currentDevice());
        QVERIFY(!f.session->releaseEnabled() && !f.session->cameraInfoEnabled());
        QCOMPARE(f.session->cameraEntries(), (QStringList{"Alpha", "Gamma"}));
        QCOMPARE(f.session->cameraIndex(), -1);
        QVERIFY(!f.session->seriesEnabled());

        // The last camera goes: the list shows text 34 and is disabled.
        f.backend->detach(f.camera(0)->deviceId());
        f.backend->detach(f.camera(0)->deviceId());
        QTRY_COMPARE(f.session->cameraEntries(), QStringList{"Keine Kamera gefunden"});
        QVERIFY(!f.session->cameraListEnabled());
    }

    void twoCamerasOfOneNameConnectTheLast()
    {
        SessionFixture f;
        f.cameras = {smallCamera("Twin"), smallCamera("Twin")};
        f.start();
        QCOMPARE(f.session->cameraEntries(), (QStringList{"Twin", "Twin"}));
        f.session->ComboBox1Change(0);
        QCOMPARE(f.session->currentDevice()->DeviceID(), f.camera(1)->deviceId());
        // A name differing in letter case selects nothing.
        f.session->SelectDeviceByName("twin");
        QCOMPARE(f.session->currentDevice()->DeviceID(), f.camera(1)->deviceId());
    }

    void cameraWithoutTakePictureCannotBeReleased()
    {
        SessionFixture f;
        f.cameras[0].canCapture = false;
        ApplicationCore& core = f.start({events::RequestPicture});
        f.session->SelectDeviceByName("Shutterhand Simulator");
        QVERIFY(f.session->cameraInfoEnabled());
        QVERIFY(!f.session->releaseEnabled());
        core.TriggerPicture();
        QVERIFY(!core.PicturePending);
        QVERIFY(f.timeline.runs().isEmpty());
    }

    void claimedCameraIsReleasedWhenTheUserAgrees()
    {
        SessionFixture f;
        f.start();
        f.camera()->setClaimedBy("gvfsd-gphoto2");
        f.session->ComboBox1Change(0);  // the question is answered No
        QVERIFY(!f.session->currentDevice());
        QCOMPARE(f.prompter.questions.size(), 1);
        QVERIFY(f.prompter.questions[0].text.contains("gvfsd-gphoto2"));
        QVERIFY(f.logMessages().contains("2 Fehler beim Verbinden zur Kamera"));
        f.prompter.yesNoAnswers.enqueue(true);
        f.session->ComboBox1Change(0);
        QVERIFY(f.session->currentDevice());
    }

    void languageSwitchRelabelsTheEmptyList()
    {
        SessionFixture f;
        f.cameras.clear();
        ApplicationCore& core = f.start();
        QCOMPARE(f.session->cameraEntries(), QStringList{"Keine Kamera gefunden"});
        QVERIFY(!f.session->cameraListEnabled());
        const auto languages = core.languageChoices();
        for (const LanguageChoice& choice : languages) {
            if (choice.code == QLatin1String("en"))
                core.SelectLanguage(choice);
        }
        QCOMPARE(f.session->cameraEntries(), QStringList{"No camera found"});
        QCOMPARE(f.view.entries, QStringList{"No camera found"});
    }

    void pollTickShowsBatteryAndIsoOfTheChosenCamera()
    {
        SessionFixture f;
        ApplicationCore& core = f.start();
        core.PollTick();
        QCOMPARE(core.pollMarks(), PollMarks{});  // listed but not chosen
        f.session->ComboBox1Change(0);
        core.PollTick();
        QVERIFY(core.pollMarks().iso);
        QCOMPARE(core.pollMarks().isoText, QStringLiteral("ISO 400"));
        QVERIFY(core.pollMarks().battery);
        QCOMPARE(core.pollMarks().batteryIcon, 0);
        QCOMPARE(core.pollMarks().batteryHint, QStringLiteral("100% Batterieleistung verfügbar"));
        f.backend->detach(f.camera()->deviceId());
        QTRY_VERIFY(!f.session->currentDevice());
        core.PollTick();
        QCOMPARE(core.pollMarks(), PollMarks{});
    }

    void storingTheShownPicture()
    {
        SessionFixture f;
        ApplicationCore& core = f.start({events::CreateThumbnail});
        QVERIFY(!core.SaveCurrentImage("nothing.jpg").ok());  // no picture yet
        f.session->ComboBox1Change(0);
        f.camera()->pressShutter();
        QTRY_VERIFY_WITH_TIMEOUT(!f.session->shownPictureFile().isEmpty(), 10000);
        const QByteArray picture = fileBytes(f.tmpPicture());
        const QString images = f.folder.filePath("www/");

        // Automatic names count up; a bare name goes into the store, its thumbnail beside it.
        for (int i = 0; i < 3; ++i) {
            const QString name = QString::number(core.PictureCounter) + "_Image.jpg";
            QVERIFY(core.SaveCurrentImage(name).ok());
            core.IncPictureCounter();
        }
        QCOMPARE(core.PictureCounter, quint16(4));
        for (const char* name : {"1_Image.jpg", "2_Image.jpg", "3_Image.jpg"})
            QCOMPARE(fileBytes(images + name), picture);
        QVERIFY(QFile::exists(images + "3_Image_thumb.jpg"));
        QCOMPARE(core.LastSavedFileName, images + "3_Image.jpg");
        QCOMPARE(f.timeline.runs().count("run:CreateThumbnail"), 3);

        // A name with a folder goes where it says; an existing thumbnail is made anew.
        const QString elsewhere = f.folder.filePath("data/elsewhere.jpg");
        QVERIFY(core.SaveCurrentImage(elsewhere).ok());
        QCOMPARE(fileBytes(elsewhere), picture);
        QCOMPARE(core.LastSavedFileName, elsewhere);
        QVERIFY(QFile::exists(f.folder.filePath("data/elsewhere_thumb.jpg")));

        // An empty name asks; cancelled, nothing is stored and no thumbnail made.
        f.timeline.entries.clear();
        QVERIFY(core.SaveCurrentImage(" ").ok());
        QCOMPARE(core.LastSavedFileName, QString());
        QVERIFY(f.timeline.runs().isEmpty());
        f.prompter.pathAnswers.enqueue(f.folder.filePath("chosen.jpg"));
        QVERIFY(core.SaveCurrentImage({}).ok());
        QCOMPARE(core.LastSavedFileName, f.folder.filePath("chosen.jpg"));
        QCOMPARE(fileBytes(f.folder.filePath("chosen.jpg")), picture);

        // A file that cannot be written is an error for the caller.
        QVERIFY(!core.SaveCurrentImage(f.folder.filePath("missing/x.jpg")).ok());
        QCOMPARE(core.LastSavedFileName, QString());

        // "Bild speichern unter..." writes the picture alone: no thumbnail, no event, no name kept.
        f.prompter.pathAnswers.enqueue(f.folder.filePath("copy.jpg"));
        f.session->SaveShownPictureAs();
        QCOMPARE(fileBytes(f.folder.filePath("copy.jpg")), picture);
        QVERIFY(!QFile::exists(f.folder.filePath("copy_thumb.jpg")));
    }

    void clearingTheImageStore()
    {
        SessionFixture f;
        ApplicationCore& core = f.start();
        for (const char* name :
             {"www/1_Image.jpg", "www/1_Image_thumb.jpg", "www/DSC_0001.JPG", "www/notes.txt", "www/sub/kept.jpg"})
            f.folder.writeFile(name, "x");
        core.PictureCounter = 7;
        f.session->AskClearImageStore();  // answered No
        QCOMPARE(QDir(f.folder.filePath("www")).entryList(QDir::Files).size(), 4);
        QCOMPARE(core.PictureCounter, quint16(7));
        f.prompter.yesNoAnswers.enqueue(true);
        f.session->AskClearImageStore();
        QCOMPARE(QDir(f.folder.filePath("www")).entryList(QDir::Files), QStringList{"notes.txt"});
        QVERIFY(QFile::exists(f.folder.filePath("www/sub/kept.jpg")));
        QCOMPARE(core.PictureCounter, quint16(1));
        QVERIFY(f.logMessages().contains("0 Bilder aus dem Bildbuffer werden gelöscht..."));
    }
};

QTEST_GUILESS_MAIN(CameraSessionTest)
#include "test_camera_session.moc"
