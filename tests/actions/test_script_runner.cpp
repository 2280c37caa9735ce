// The script runner on the application core: context values put into the code, compile errors kept and
// run-time errors logged, closing after an action, the configuration objects and their ownership, the
// time limit, and the application objects that need no camera.

#include "script_fixture.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <thread>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

const QString kPrefix = QStringLiteral("Fehler beim ausführen des Scripts: ");

// A prompter whose message boxes stay open for a while, as a user reading them would.
class SlowPrompter : public ScriptedPrompter {
public:
    void showMessage(Icon icon, const QString& text) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ScriptedPrompter::showMessage(icon, text);
    }
};

}  // namespace

class ScriptRunnerTest : public QObject {
    Q_OBJECT

private slots:
    void substitution_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << "A($DeviceName, $Filename)"
                              << "Cam"
                              << "/p/1.jpg"
                              << "A('Cam', '/p/1.jpg')";
        QTest::newRow("inside a literal") << "'x$DeviceName'"
                                          << "Cam"
                                          << ""
                                          << "'x'Cam''";
        QTest::newRow("longer identifiers") << "$DeviceNameX $FilenameY"
                                            << "Cam"
                                            << "/f"
                                            << "'Cam'X '/f'Y";
        QTest::newRow("lower case untouched") << "$devicename $filename $DEVICENAME"
                                              << "Cam"
                                              << "/f"
                                              << "$devicename $filename $DEVICENAME";
        QTest::newRow("quotes doubled") << "$DeviceName $Filename"
                                        << "a'b"
                                        << "/p/O'Brien.jpg"
                                        << "'a''b' '/p/O''Brien.jpg'";
        QTest::newRow("nothing saved yet") << "ShowMessage($Filename)"
                                           << ""
                                           << ""
                                           << "ShowMessage('')";
        QTest::newRow("control characters") << "$DeviceName+$Filename"
                                            << "a\nb"
                                            << "\t"
                                            << "'a'#10'b'+#9";
        QTest::newRow("inserted text stays") << "$DeviceName"
                                             << "$Filename"
                                             << "/f"
                                             << "'$Filename'";
        QTest::newRow("no dollar") << "begin end."
                                   << "Cam"
                                   << "/f"
                                   << "begin end.";
    }

    void substitution()
    {
        QFETCH(QString, code);
        QFETCH(QString, device);
        QFETCH(QString, file);
        QFETCH(QString, expected);
        ScriptFixture f;
        TInterpreter interpreter(f.start());
        interpreter.SetScript(code);
        interpreter.SetVariable(QStringLiteral("DeviceName"), device, true);
        interpreter.SetVariable(QStringLiteral("Filename"), file, true);
        QCOMPARE(interpreter.Script(), expected);

        interpreter.SetScript(QStringLiteral("x := $Ab + $Abc;"));  // unquoted, and a prefix of a longer word
        interpreter.SetVariable(QStringLiteral("Ab"), QStringLiteral("1"), false);
        QCOMPARE(interpreter.Script(), QStringLiteral("x := 1 + 1c;"));
    }

    void contextValuesReachTheScriptUnchanged_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("file");
        QTest::newRow("plain") << "Nikon D70"
                               << "/bilder/1_Image.jpg";
        QTest::newRow("apostrophes") << "a'b"
                                     << "/bilder/O'Brien.jpg";
        QTest::newRow("code in a name") << "'); Application.close; ShowMessage('"
                                        << "x' + 'y";
        QTest::newRow("line breaks") << "a\r\nb"
                                     << "";
        QTest::newRow("umlauts") << "Kamera Müller"
                                 << "/bilder/Straße.jpg";
    }

    void contextValuesReachTheScriptUnchanged()
    {
        QFETCH(QString, device);
        QFETCH(QString, file);
        ScriptFixture f;
        ApplicationCore& core = f.start();
        core.CurrentDeviceName = device;
        core.LastSavedFileName = file;
        f.fire(
            "begin\r\n  ShowMessage($DeviceName);\r\n  ShowMessage(DeviceName);\r\n  ShowMessage($Filename);\r\nend.");
        QCOMPARE(f.shown(), (QStringList{device, device, file}));
        QVERIFY(f.errors().isEmpty());
        QVERIFY(!core.CloseAfterAction());
        QVERIFY(!f.timeline.entries.contains("view:close"));
    }

    void compileErrorsAreKeptAndRunErrorsLogged_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("logged");  // the error line after the prefix; empty: nothing logged
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("compile error") << "begin\r\n  ShowMessage('a');\r\n  Foo;\r\nend."
                                       << "" << QStringList{};
        QTest::newRow("raised") << "begin ShowMessage('a'); raise Exception.Create('boom'); ShowMessage('b'); end."
                                << "Exception: boom" << QStringList{"a"};
        QTest::newRow("division by zero") << "var a: Integer;\r\nbegin\r\n  a := 0;\r\n  a := 1 div a;\r\nend."
                                          << "Runtime error (4:10): Division by zero" << QStringList{};
        QTest::newRow("variable index past the end")
            << "var v: TVarContainer; begin v := TVarContainer.Create; v.SetValueByName('a', '1'); "
               "ShowMessage(v.GetValueByID(0).Value); v.GetValueByID(1); end."
            << "Exception: Index out of range (1)" << QStringList{"1"};
        QTest::newRow("negative variable index") << "begin Application.Config.Vars.GetValueByID(-1); end."
                                                 << "Exception: Index out of range (-1)" << QStringList{};
        QTest::newRow("directory index past the end")
            << "var d: TDirectory; begin d := Application.Config.Directorys.GetDirectoryByID(60000); "
               "ShowMessage('[' + d.Dirname + d.Value + ']'); end."
            << "" << QStringList{"[]"};
        QTest::newRow("negative directory index") << "begin Application.Config.Directorys.GetDirectoryByID(-2); end."
                                                  << "Exception: Index out of range (-2)" << QStringList{};
        QTest::newRow("no camera to delete on") << "begin Camera.DeleteItems; ShowMessage('weiter'); end."
                                                << "Exception: Es ist keine Kamera verbunden." << QStringList{};
        QTest::newRow("no camera to take a picture") << "begin Application.TakePicture; ShowMessage('weiter'); end."
                                                     << "" << QStringList{"weiter"};
        QTest::newRow("no picture to save") << "begin Image.SaveToFile(STAuto, ''); end."
                                            << "Exception: Es wird kein Bild angezeigt." << QStringList{};
        QTest::newRow("no picture to measure")
            << "begin ShowMessage(IntToStr(Image.Width) + 'x' + IntToStr(Image.Height) + ' ' + IntToStr(Image.Count)); "
               "Image.ToClipboard; end."
            << "" << QStringList{"0x0 1"};
    }

    void compileErrorsAreKeptAndRunErrorsLogged()
    {
        QFETCH(QString, code);
        QFETCH(QString, logged);
        QFETCH(QStringList, shown);
        ScriptFixture f;
        ApplicationCore& core = f.start();
        f.fire(code);
        QCOMPARE(f.errors(), logged.isEmpty() ? QStringList{} : QStringList{kPrefix + logged});
        QCOMPARE(f.shown(), shown);
        QCOMPARE(core.PictureCounter, uint16_t(1));

        TInterpreter interpreter(core);
        interpreter.SetScript(code);
        const bool compiles = interpreter.Check();
        QCOMPARE(interpreter.Messages().isEmpty(), compiles);
        if (!compiles)
            QCOMPARE(interpreter.Messages(), QStringList{"[Error] (3:3): Unknown identifier 'Foo'"});
    }

    void closeFollowsTheAction()
    {
        ScriptFixture f;
        ApplicationCore& core = f.start();
        f.fire("begin Application.close; Foo; end.");  // does not compile, so nothing asked to close
        QVERIFY(!core.CloseAfterAction());
        f.fire("begin Application.close; ShowMessage('noch offen'); end.");
        QCOMPARE(f.shown(), QStringList{"noch offen"});
        QVERIFY(core.CloseAfterAction());
        QCOMPARE(f.timeline.entries, QStringList{"view:close"});
    }

    void configurationIsLiveAndOwnObjectsAreIndependent()
    {
        ScriptFixture f;
        ApplicationCore& core = f.start("Zahl/:/Integer/:/7\r\n");
        f.fire("var v: TVarContainer; t: TVar; i: Integer;\r\n"
               "begin\r\n"
               "  Application.Config.Vars.SetValueByName('Neu', 'x');\r\n"
               "  Application.Config.Vars.InitValueByName('Zahl', 'String', '8');\r\n"
               "  v := TVarContainer.Create;\r\n"
               "  v.SetValueByName('Eigen', '1');\r\n"
               "  ShowMessage(IntToStr(v.Count) + v.GetValueByName('eigen') + "
               "Application.Config.Vars.GetValueByName('Eigen'));\r\n"
               "  v.Free;\r\n"
               "  t := Application.Config.Vars.GetValueByID(0);\r\n"
               "  ShowMessage(t.Name + '/' + t.VarType + '/' + t.Value);\r\n"
               "  ShowMessage(Application.Config.Directorys.GetDirectoryByName('images'));\r\n"
               "  i := Application.Config.Directorys.Count;\r\n"
               "  ShowMessage(Application.Config.Directorys.GetDirectoryByID(i - 1).Dirname);\r\n"
               "  Application.Config.Version := Application.Config.Version + '-x';\r\n"
               "end.");
        QVERIFY2(f.errors().isEmpty(), qPrintable(f.errors().join('\n')));
        const TVar first = core.config().Vars().GetValueByID(0);
        const TDirectoryList& dirs = core.config().Directorys();
        QCOMPARE(f.shown(),
                 (QStringList{"11", first.Name + '/' + first.VarType + '/' + first.Value, f.folder.filePath("www/"),
                              dirs.GetDirectoryByID(dirs.Count() - 1).Dirname}));
        QCOMPARE(core.config().Vars().GetValueByName("Neu"), QStringLiteral("x"));
        QCOMPARE(core.config().Vars().GetValueByName("Zahl"), QStringLiteral("8"));
        QVERIFY(!core.config().Vars().ValueExists("Eigen"));
        QVERIFY(core.config().Version().endsWith("-x"));
        QVERIFY(!f.folder.readFile("data/var.dat").contains("Neu"));  // saved only with the next save
    }

    void replacingConfigurationPartsLeavesNothingDangling_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("liveLang");  // DefaultLang of the live configuration afterwards
        QTest::addColumn<QString>("logged");
        QTest::newRow("assign own, free it")
            << "var v: TVarContainer; begin v := TVarContainer.Create; v.SetValueByName('DefaultLang', 'en'); "
               "Application.Config.Vars := v; v.Free; "
               "ShowMessage(Application.Config.Vars.GetValueByName('DefaultLang')); end."
            << QStringList{"en"} << "en"
            << "";
        QTest::newRow("keep the old, use it after")
            << "var old: TVarContainer; begin old := Application.Config.Vars; "
               "Application.Config.Vars := TVarContainer.Create; old.SetValueByName('x', 'y'); "
               "ShowMessage(old.GetValueByName('DefaultLang') + IntToStr(Application.Config.Vars.Count)); old.Free; "
               "old.SetValueByName('z', 'z'); end."
            << QStringList{"de0"} << ""
            << "";
        QTest::newRow("free the live one") << "begin Application.Config.Vars.Free; Application.Config.Directorys.Free; "
                                              "ShowMessage(Application.Config.Vars.GetValueByName('DefaultLang')); end."
                                           << QStringList{"de"} << "de"
                                           << "";
        QTest::newRow("assign itself") << "begin Application.Config.Vars := Application.Config.Vars; "
                                          "ShowMessage(Application.Config.Vars.GetValueByName('DefaultLang')); end."
                                       << QStringList{"de"} << "de"
                                       << "";
        QTest::newRow("own directories")
            << "var d: TDirectoryList; begin d := TDirectoryList.Create; d.SetDirectory('Images', '/x/'); "
               "Application.Config.Directorys := d; d.Free; "
               "ShowMessage(Application.Config.Directorys.GetDirectoryByName('IMAGES') "
               "+ IntToStr(Application.Config.Directorys.Count)); end."
            << QStringList{"/x/1"} << "de"
            << "";
        QTest::newRow("own configuration freed before its application")
            << "var c: TSystemConfig; a: TMyApplication; begin c := TSystemConfig.Create; a := "
               "TMyApplication.Create(c); "
               "c.Free; a.Config.Vars.SetValueByName('DefaultLang', 'fr'); "
               "ShowMessage(a.Config.Vars.GetValueByName('DefaultLang')); "
               "c := a.Config; a.Free; ShowMessage(c.Vars.GetValueByName('DefaultLang')); end."
            << QStringList{"fr", "fr"} << "de"
            << "";
        QTest::newRow("application of nil") << "var a: TMyApplication; begin a := TMyApplication.Create(nil); "
                                               "if a.Config = nil then ShowMessage('nil'); end."
                                            << QStringList{"nil"} << "de"
                                            << "";
        QTest::newRow("nil is refused") << "begin Application.Config.Vars := nil; ShowMessage('weiter'); end."
                                        << QStringList{} << "de"
                                        << "Exception: Vars kann nicht nil sein.";
    }

    void replacingConfigurationPartsLeavesNothingDangling()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, shown);
        QFETCH(QString, liveLang);
        QFETCH(QString, logged);
        ScriptFixture f;
        ApplicationCore& core = f.start();
        f.fire(code);
        QCOMPARE(f.shown(), shown);
        QCOMPARE(core.config().Vars().GetValueByName("DefaultLang"), liveLang);
        QCOMPARE(f.errors(), logged.isEmpty() ? QStringList{} : QStringList{kPrefix + logged});
        // The configuration the scripts left behind serves the next firing.
        f.prompter.messages.clear();
        f.fire("begin ShowMessage(IntToStr(Application.Config.Vars.Count)); end.");
        QCOMPARE(f.shown(), QStringList{QString::number(core.config().Vars().Count())});
    }

    void timeLimitFromTheSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<qint64>("milliseconds");
        QTest::newRow("delivered") << "60" << qint64(60000);
        QTest::newRow("no limit") << "0" << qint64(0);
        QTest::newRow("spaces") << " 2 " << qint64(2000);
        QTest::newRow("missing") << "" << qint64(60000);
        QTest::newRow("not a number") << "zehn" << qint64(60000);
        QTest::newRow("negative") << "-5" << qint64(60000);
        QTest::newRow("huge") << "99999999999999" << qint64(1000LL * 24 * 3600 * 1000);
    }

    void timeLimitFromTheSetting()
    {
        QFETCH(QString, setting);
        QFETCH(qint64, milliseconds);
        QCOMPARE(qint64(TInterpreter::timeLimitFor(setting).count()), milliseconds);
    }

    void anEndlessScriptEndsAtTheTimeLimitButAMessageBoxDoesNotCount()
    {
        ScriptFixture f;
        SlowPrompter slow;
        ApplicationCore& core = f.start("ScriptTimeout/:/Integer/:/1\r\n", &slow);
        f.fire("begin ShowMessage('lesen'); ShowMessage('lesen'); end.");
        QCOMPARE(slow.messages.size(), 2);
        QVERIFY(f.errors().isEmpty());

        f.fire("var i: Integer; begin i := 0; while True do i := i + 1; end.");
        QCOMPARE(f.errors().size(), 1);
        QVERIFY2(f.errors().first().startsWith(kPrefix + "Runtime error")
                     && f.errors().first().endsWith("Time limit of 1 s exceeded"),
                 qPrintable(f.errors().first()));
        // The program goes on: the next action runs.
        f.fire("begin Application.Config.Vars.SetValueByName('danach', '1'); end.");
        QCOMPARE(core.config().Vars().GetValueByName("danach"), QStringLiteral("1"));
    }

    void dialogsAndOtherPrograms()
    {
        ScriptFixture f;
        ApplicationCore& core = f.start();
        int aboutOpened = 0;
        core.setAboutDialog([&] { ++aboutOpened; });
        f.fire("begin Application.ShowInfo; Application.ShowCameraInfo; end.");
        QCOMPARE(aboutOpened, 1);
        QCOMPARE(f.view.cameraInfoOpened, 1);

        // A program gets its parameters split at spaces, double quotes keeping words together, also when it
        // is found on the search path.
        f.folder.writeFile("bin/recorder", "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$(dirname \"$0\")/$1.txt\"\n");
        QFile::setPermissions(f.folder.filePath("bin/recorder"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", f.folder.filePath("bin").toLocal8Bit() + ':' + oldPath);
        f.fire("begin Application.StartApp('" + f.folder.filePath("bin/recorder")
               + "', 'direkt \"zwei Worte\"  drei');\r\n Application.StartApp('recorder', 'suche'); end.");
        qputenv("PATH", oldPath);
        QTRY_COMPARE(f.folder.readFile("bin/direkt.txt"), QByteArray("direkt\nzwei Worte\ndrei\n"));
        QTRY_COMPARE(f.folder.readFile("bin/suche.txt"), QByteArray("suche\n"));

        // Anything else goes to the desktop's default application.
        f.folder.writeFile("www/seite.html", "<p>");
        f.fire("begin Application.StartApp('" + f.folder.filePath("www/seite.html")
               + "', ''); Application.StartApp('https://example.org/a b', ''); end.");
        QCOMPARE(
            f.desktop.opened,
            (QList<QUrl>{QUrl::fromLocalFile(f.folder.filePath("www/seite.html")), QUrl("https://example.org/a%20b")}));
        QVERIFY(f.errors().isEmpty());
    }

    void fileDelete_data()
    {
        QTest::addColumn<QStringList>("present");  // files of the program folder before the run
        QTest::addColumn<QString>("argument");     // relative to the program folder when it has a "/"
        QTest::addColumn<QStringList>("remaining");
        QTest::addColumn<QString>("error");
        QTest::newRow("bare name in the image store")
            << QStringList{"www/1_Image.jpg", "www/1_Image_thumb.jpg", "www/2_Image.jpg", "1_Image.jpg"}
            << "1_Image.jpg" << QStringList{"www/2_Image.jpg", "1_Image.jpg"} << "";
        QTest::newRow("folder and capital extension")
            << QStringList{"fotos/DSC_1.JPG", "fotos/DSC_1_thumb.jpg"} << "/fotos/DSC_1.JPG" << QStringList{} << "";
        QTest::newRow("thumbnail without its picture")
            << QStringList{"www/3_Image_thumb.jpg"} << "3_Image.jpg" << QStringList{} << "";
        QTest::newRow("not a picture") << QStringList{"www/notiz.txt", "www/notiz_thumb.jpg"} << "notiz.txt"
                                       << QStringList{"www/notiz_thumb.jpg"} << "";
        QTest::newRow("missing") << QStringList{"www/a.jpg"} << "b.jpg" << QStringList{"www/a.jpg"} << "";
        QTest::newRow("empty name") << QStringList{"www/a.jpg"} << "" << QStringList{"www/a.jpg"} << "";
        QTest::newRow("a folder") << QStringList{"www/ordner/a.jpg"} << "ordner" << QStringList{"www/ordner/a.jpg"}
                                  << "ist ein Ordner und wird nicht gelöscht.";
    }

    void fileDelete()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, argument);
        QFETCH(QStringList, remaining);
        QFETCH(QString, error);
        ScriptFixture f;
        f.start();
        for (const QString& file : present)
            f.folder.writeFile(file, "x");
        const QString target = argument.startsWith(u'/') ? f.folder.path() + argument.mid(1) : argument;
        f.fire("begin File.Delete(" + pascalStringLiteral(target) + "); ShowMessage('weiter'); end.");
        for (const QString& file : present)
            QCOMPARE(QFile::exists(f.folder.filePath(file)), remaining.contains(file));
        if (error.isEmpty()) {
            QVERIFY(f.errors().isEmpty());
            QCOMPARE(f.shown(), QStringList{"weiter"});
        } else {
            QCOMPARE(f.errors().size(), 1);
            QVERIFY2(f.errors().first().startsWith(kPrefix + "Exception: ") && f.errors().first().endsWith(error),
                     qPrintable(f.errors().first()));
            QVERIFY(f.shown().isEmpty());  // the error ended the run
        }
    }

    void fileThatCannotBeDeletedEndsTheRun()
    {
        // Even the superuser cannot delete a file of the kernel's process filesystem.
        ScriptFixture f;
        f.start();
        f.fire("begin File.Delete('/proc/version'); ShowMessage('weiter'); end.");
        QCOMPARE(f.errors().size(), 1);
        QVERIFY2(
            f.errors().first().startsWith(kPrefix + "Exception: Die Datei /proc/version kann nicht gelöscht werden"),
            qPrintable(f.errors().first()));
        QVERIFY(f.shown().isEmpty());
    }
};

QTEST_MAIN(ScriptRunnerTest)
#include "test_script_runner.moc"
