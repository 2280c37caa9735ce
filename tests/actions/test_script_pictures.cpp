// The script objects on the camera session with the simulated camera: saving the shown picture in its
// three ways, the events that nest inside a save or a release, the picture's size, choosing a camera,
// deleting on it, and the delivered action that puts every new picture into the gallery.

#include "actions/event_names.h"
#include "actions/script/interpreter.h"
#include "actions/script/script_action_runner.h"
#include "camera/session_fixture.h"
#include "web/thumbnail.h"

#include <QDir>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

// A session whose actions run with the real script runner once the program has started.
struct PictureFixture : SessionFixture {
    std::unique_ptr<ScriptActionRunner> scripts;

    ApplicationCore& startScripts(const QByteArray& extraVars = {})
    {
        ApplicationCore& started = start({}, extraVars);
        scripts = std::make_unique<ScriptActionRunner>(started);
        started.setActionRunner(scripts.get());
        return started;
    }

    // Connects the camera and waits for a released picture to be shown.
    void showPicture()
    {
        session->ComboBox1Change(0);
        core->TriggerPicture();
        QTRY_VERIFY_WITH_TIMEOUT(!session->releaseUnderWay() && !session->shownPictureFile().isEmpty(), 10000);
    }

    void fire(const QString& code) { core->dispatcher().RunEventCode(code); }

    QStringList shown() const
    {
        QStringList texts;
        for (const ScriptedPrompter::Question& message : prompter.messages)
            texts.append(message.text);
        return texts;
    }

    QStringList errors() const { return logMessages().filter(QRegularExpression("^2 ")); }

    QStringList store() const { return QDir(folder.filePath("www")).entryList({"*.jpg"}, QDir::Files, QDir::Name); }
};

// An action file whose code shows the event's name and the file saved last.
QByteArray bindReporter(const ProgramFolder& folder, const QString& event)
{
    return bindAction(folder, event, "begin ShowMessage('" + event + " ' + $Filename); end.");
}

}  // namespace

class ScriptPicturesTest : public QObject {
    Q_OBJECT

private slots:
    void automaticNamesCountUpAndEverySaveNestsItsEvents()
    {
        PictureFixture f;
        ApplicationCore& core = f.startScripts(bindReporter(f.folder, events::SaveImage)
                                               + bindReporter(f.folder, events::CreateThumbnail));
        f.showPicture();
        f.fire("begin\r\n  Image.SaveToFile(STAuto, 'ignoriert.jpg');\r\n  Image.SaveToFile(STAuto, '');\r\n"
               "  Image.SaveToFile(STAuto, '');\r\n  ShowMessage(IntToStr(Image.Count));\r\nend.");
        QVERIFY2(f.errors().isEmpty(), qPrintable(f.errors().join('\n')));
        const QString www = f.folder.filePath("www/");
        QCOMPARE(f.shown(),
                 (QStringList{"SaveImage ", "CreateThumbnail " + www + "1_Image.jpg",
                              "SaveImage " + www + "1_Image.jpg", "CreateThumbnail " + www + "2_Image.jpg",
                              "SaveImage " + www + "2_Image.jpg", "CreateThumbnail " + www + "3_Image.jpg", "4"}));
        QCOMPARE(f.store(),
                 (QStringList{"1_Image.jpg", "1_Image_thumb.jpg", "2_Image.jpg", "2_Image_thumb.jpg", "3_Image.jpg",
                              "3_Image_thumb.jpg"}));
        QCOMPARE(fileBytes(www + "2_Image.jpg"), fileBytes(f.tmpPicture()));
        QCOMPARE(core.LastSavedFileName, www + "3_Image.jpg");
        QCOMPARE(core.PictureCounter, uint16_t(4));
    }

    void savingUnderANameOrThroughTheDialog_data()
    {
        QTest::addColumn<QString>("saveType");
        QTest::addColumn<QString>("argument");  // "<dir>" stands for a folder outside the store
        QTest::addColumn<QString>("dialog");    // the dialog's answer; empty: cancelled
        QTest::addColumn<QString>("saved");     // the expected LastSavedFileName, "<dir>" and "<www>" as above
        QTest::newRow("bare name") << "STFilename"
                                   << "eigen.jpg"
                                   << ""
                                   << "<www>eigen.jpg";
        QTest::newRow("name with a folder") << "STFilename"
                                            << "<dir>anderswo.jpg"
                                            << ""
                                            << "<dir>anderswo.jpg";
        QTest::newRow("empty name asks") << "STFilename"
                                         << ""
                                         << "<dir>gewaehlt.jpg"
                                         << "<dir>gewaehlt.jpg";
        QTest::newRow("dialog answered") << "STDialog"
                                         << "nicht.jpg"
                                         << "<dir>gewaehlt.jpg"
                                         << "<dir>gewaehlt.jpg";
        QTest::newRow("dialog cancelled") << "STDialog"
                                          << ""
                                          << ""
                                          << "";
    }

    void savingUnderANameOrThroughTheDialog()
    {
        QFETCH(QString, saveType);
        QFETCH(QString, argument);
        QFETCH(QString, dialog);
        QFETCH(QString, saved);
        PictureFixture f;
        ApplicationCore& core = f.startScripts(bindReporter(f.folder, events::SaveImage)
                                               + bindReporter(f.folder, events::CreateThumbnail));
        f.showPicture();
        const QString dir = f.folder.filePath("anderer Ordner/");
        QDir().mkpath(dir);
        const auto expand
            = [&](QString text) { return text.replace("<dir>", dir).replace("<www>", f.folder.filePath("www/")); };
        core.LastSavedFileName = QStringLiteral("/vorher.jpg");
        if (!dialog.isEmpty())
            f.prompter.pathAnswers.enqueue(expand(dialog));
        f.fire("begin Image.SaveToFile(" + saveType + ", " + pascalStringLiteral(expand(argument)) + "); end.");
        QVERIFY2(f.errors().isEmpty(), qPrintable(f.errors().join('\n')));
        QCOMPARE(core.LastSavedFileName, expand(saved));
        // SaveImage has always fired; a thumbnail is made only for a picture that was saved.
        QStringList expected{"SaveImage /vorher.jpg"};
        if (!saved.isEmpty()) {
            expected.append("CreateThumbnail " + expand(saved));
            QCOMPARE(fileBytes(expand(saved)), fileBytes(f.tmpPicture()));
            QVERIFY(QFile::exists(ThumbnailPath(expand(saved))));
        } else {
            QVERIFY(f.store().isEmpty());
        }
        QCOMPARE(f.shown(), expected);
        QCOMPARE(core.PictureCounter, uint16_t(1));
    }

    void sizeClearingAndTheClipboard()
    {
        PictureFixture f;
        f.startScripts();
        f.showPicture();
        const QString report = "ShowMessage(IntToStr(Image.Width) + 'x' + IntToStr(Image.Height));";
        f.fire("begin " + report + " Image.ToClipboard; end.");
        f.folder.copyDelivery();  // the placeholder picture of the Data folder
        f.fire("begin Image.Clear; " + report + " end.");
        const QSize placeholder = f.core->shownImageSize();
        QVERIFY(placeholder.isValid() && placeholder != QSize(640, 480));
        QCOMPARE(f.shown(),
                 (QStringList{"640x480", QStringLiteral("%1x%2").arg(placeholder.width()).arg(placeholder.height())}));
        QCOMPARE(f.view.pictures.last(), f.folder.filePath("data/img/shutter_hand.jpg"));
        QVERIFY(f.errors().isEmpty());
    }

    void selectingACameraNeedsTheExactName()
    {
        PictureFixture f;
        f.startScripts();
        f.fire(
            "begin Application.SelectDevice('shutterhand simulator'); Application.SelectDevice('Shutterhand'); end.");
        QVERIFY(!f.session->currentDevice());
        f.fire("begin Application.SelectDevice('Shutterhand Simulator'); end.");
        QVERIFY(f.session->currentDevice());
        QCOMPARE(f.session->cameraIndex(), 0);
    }

    void takingAPictureRaisesItsEventsAndDeletingEmptiesTheCamera()
    {
        PictureFixture f;
        ApplicationCore& core = f.startScripts(bindReporter(f.folder, events::RequestPicture)
                                               + bindReporter(f.folder, events::TakeRemotePicture));
        f.session->ComboBox1Change(0);
        f.fire("begin Application.TakePicture; ShowMessage('ausgelöst'); end.");
        // RequestPicture's action ran inside this one, before the camera was asked.
        QCOMPARE(f.shown(), (QStringList{"RequestPicture ", "ausgelöst"}));
        QVERIFY(core.PicturePending);
        QTRY_COMPARE_WITH_TIMEOUT(f.shown().size(), 3, 10000);
        QCOMPARE(f.shown().last(), QStringLiteral("TakeRemotePicture "));
        QTRY_VERIFY(!f.session->releaseUnderWay());
        QCOMPARE(f.camera()->pictureCount(), 1);

        f.fire("begin Camera.DeleteItems; end.");
        QTRY_COMPARE_WITH_TIMEOUT(f.camera()->pictureCount(), 0, 10000);
        QVERIFY(f.errors().isEmpty());
    }

    void deliveredActionPutsEveryNewPictureIntoTheGallery()
    {
        PictureFixture f;
        f.folder.copyDelivery();
        ApplicationCore& core = f.startScripts(f.folder.readFile("data/var.dat"));
        QCOMPARE(core.config().Vars().GetValueByName(events::TakePicture), QStringLiteral("BildSpeichern.evn"));
        f.session->ComboBox1Change(0);

        f.camera()->pressShutter();  // released at the camera: TakePicture
        QTRY_COMPARE_WITH_TIMEOUT(f.store(), (QStringList{"1_Image.jpg", "1_Image_thumb.jpg"}), 10000);
        core.TriggerPicture();  // released by the program: TakeRemotePicture
        QTRY_COMPARE_WITH_TIMEOUT(f.store().size(), 4, 10000);
        QCOMPARE(f.store(), (QStringList{"1_Image.jpg", "1_Image_thumb.jpg", "2_Image.jpg", "2_Image_thumb.jpg"}));
        QCOMPARE(fileBytes(f.folder.filePath("www/2_Image.jpg")), fileBytes(f.tmpPicture()));
        QCOMPARE(core.LastSavedFileName, f.folder.filePath("www/2_Image.jpg"));
        QVERIFY(f.errors().isEmpty());
    }
};

QTEST_MAIN(ScriptPicturesTest)
#include "test_script_pictures.moc"
