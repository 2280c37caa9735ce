// The program itself runs actions: started in a program folder of its own with the delivered settings and
// the simulated camera, an action of StartShutterhand takes a picture, the delivered picture saver puts it
// into the gallery with its thumbnail, an action closes the program, and EndShutterhand's action runs last.

#include "actions/photo_event.h"
#include "support/program_folder.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

void writeAction(const ProgramFolder& folder, const QString& file, const QString& code)
{
    TPhotoEvent action;
    action.Name = file;
    action.Code = code;
    action.SetFileName(folder.filePath("Events/" + file));
    if (!action.WriteToFile().ok())
        qFatal("cannot write the action");
}

}  // namespace

class ProgramActionsTest : public QObject {
    Q_OBJECT

private slots:
    void boundActionsRunInTheProgram()
    {
        ProgramFolder folder;
        folder.copyDelivery();
        QVERIFY(QFile::copy(QStringLiteral(SHUTTERHAND_PROGRAM), folder.filePath("shutterhand")));
        QFile::setPermissions(folder.filePath("shutterhand"),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QByteArray vars = folder.readFile("data/var.dat");
        vars.replace("SimulatedCamera/:/Boolean/:/0", "SimulatedCamera/:/Boolean/:/1");
        vars.replace("StartShutterhand/:/Event/:/\r\n", "StartShutterhand/:/Event/:/start.evn\r\n");
        vars.replace("CreateThumbnail/:/Event/:/\r\n", "CreateThumbnail/:/Event/:/ende.evn\r\n");
        vars.replace("EndShutterhand/:/Event/:/\r\n", "EndShutterhand/:/Event/:/schluss.evn\r\n");
        folder.writeFile("data/var.dat", vars);
        writeAction(folder, "start.evn",
                    "begin Application.SelectDevice('Shutterhand Simulator'); Application.TakePicture; end.");
        writeAction(folder, "ende.evn", "begin Application.close; end.");
        writeAction(folder, "schluss.evn",
                    "var l: TStringList;\r\nbegin\r\n  l := TStringList.Create;\r\n  l.Add('Ende ' + $Filename);\r\n"
                    "  l.SaveToFile(Application.Config.Directorys.GetDirectoryByName('LogDir') + 'ende.txt');\r\n"
                    "  l.Free;\r\nend.");

        // The camera library's own leaks are known (see the camera tests); only ours must not show.
        QByteArray suppressions;
        for (const char* file : {"/tests/lsan.supp", "/tests/camera/gphoto2.supp"}) {
            QFile supp(sourceDir() + QString::fromLatin1(file));
            QVERIFY(supp.open(QIODevice::ReadOnly));
            suppressions += supp.readAll() + '\n';
        }
        folder.writeFile("lsan.supp", suppressions);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("LSAN_OPTIONS", "suppressions=" + folder.filePath("lsan.supp"));

        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(folder.filePath("shutterhand"), {});
        QVERIFY(program.waitForStarted());
        QVERIFY2(program.waitForFinished(60000), "the program did not close itself");
        const QByteArray output = program.readAll();
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0, output.constData());
        QVERIFY2(!output.contains("Sanitizer") && !output.contains("runtime error"), output.constData());

        QVERIFY(QFile::exists(folder.filePath("www/1_Image.jpg")));
        QVERIFY(QFile::exists(folder.filePath("www/1_Image_thumb.jpg")));
        QCOMPARE(folder.readFile("logs/ende.txt"), "Ende " + folder.filePath("www/1_Image.jpg").toUtf8() + '\n');
    }
};

QTEST_MAIN(ProgramActionsTest)
#include "test_program_actions.moc"
