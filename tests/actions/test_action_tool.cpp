// shutterhand-tool script check|run with an action file: the code is checked and run against the
// program's objects with the settings of the program folder the tool lies in.

#include "actions/photo_event.h"
#include "support/program_folder.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

struct ToolResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// A program folder with the delivered data and a copy of the tool (which finds its settings beside itself).
struct ToolFolder {
    ProgramFolder folder;

    ToolFolder()
    {
        folder.copyDelivery();
        const QString tool = folder.filePath("shutterhand-tool");
        if (!QFile::copy(QStringLiteral(SHUTTERHAND_TOOL), tool))
            qFatal("cannot copy the tool");
        QFile::setPermissions(tool, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    QString writeAction(const QString& code) const
    {
        TPhotoEvent action;
        action.Name = QStringLiteral("Test");
        action.Code = code;
        action.SetFileName(folder.filePath("Events/Test.evn"));
        if (!action.WriteToFile().ok())
            qFatal("cannot write the action");
        return action.FileName;
    }

    ToolResult run(const QString& mode, const QString& file) const
    {
        QProcess tool;
        tool.setWorkingDirectory(folder.path());
        tool.start(folder.filePath("shutterhand-tool"), {"script", mode, file});
        if (!tool.waitForFinished(60000))
            qFatal("the tool did not finish");
        return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardOutput()),
                QString::fromUtf8(tool.readAllStandardError())};
    }
};

}  // namespace

class ActionToolTest : public QObject {
    Q_OBJECT

private slots:
    void checksAndRunsActionFiles_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString useContext
            = "begin ShowMessage('[' + $DeviceName + '|' + $Filename + '|' + DeviceName + ']'); end.";
        QTest::newRow("check with context values") << "check" << useContext << 0 << ""
                                                   << "";
        QTest::newRow("run with context values") << "run" << useContext << 0 << "[||]\n"
                                                 << "";
        QTest::newRow("check error") << "check"
                                     << "begin\r\n  Image.Foo;\r\nend." << 1
                                     << "[Error] (2:9): 'TMyImage' has no member 'Foo'\n"
                                     << "";
        QTest::newRow("run compile error") << "run"
                                           << "begin\r\n  Image.Foo;\r\nend." << 1 << ""
                                           << "[Error] (2:9): 'TMyImage' has no member 'Foo'\n";
        QTest::newRow("settings of the program folder")
            << "run"
            << "begin ShowMessage(Application.Config.Vars.GetValueByName('ScriptTimeout') + ' ' + "
               "ExtractFileName(ExcludeTrailingPathDelimiter(Application.Config.Directorys.GetDirectoryByName('Images')"
               "))); end."
            << 0 << "60 www\n"
            << "";
        QTest::newRow("run-time error")
            << "run"
            << "begin ShowMessage('vorher'); Camera.DeleteItems; end." << 2 << "vorher\n"
            << "Fehler beim ausführen des Scripts: Exception: Es ist keine Kamera verbunden.\n";
        QTest::newRow("no picture without camera")
            << "run"
            << "begin Image.SaveToFile(STAuto, ''); end." << 2 << ""
            << "Fehler beim ausführen des Scripts: Exception: Es wird kein Bild angezeigt.\n";
    }

    void checksAndRunsActionFiles()
    {
        QFETCH(QString, mode);
        QFETCH(QString, code);
        QFETCH(int, exitCode);
        QFETCH(QString, out);
        QFETCH(QString, err);
        ToolFolder t;
        const ToolResult result = t.run(mode, t.writeAction(code));
        QCOMPARE(result.out, out);
        QCOMPARE(result.err, err);
        QCOMPARE(result.exitCode, exitCode);
    }

    void unreadableActionFiles()
    {
        ToolFolder t;
        t.folder.writeFile("Events/kaputt.evn", "<xml><code>");
        ToolResult result = t.run("check", t.folder.filePath("Events/kaputt.evn"));
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.contains("is not an action file"), qPrintable(result.err));
        result = t.run("run", t.folder.filePath("Events/fehlt.evn"));
        QCOMPARE(result.exitCode, 2);
        QVERIFY2(result.err.startsWith("shutterhand-tool: cannot read"), qPrintable(result.err));
    }
};

QTEST_MAIN(ActionToolTest)
#include "test_action_tool.moc"
