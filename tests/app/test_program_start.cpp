// The staged program as users start it: in a program folder of its own, on the offscreen platform.

#include "support/program_folder.h"

#include <QProcess>
#include <QtTest>

#include <csignal>

using namespace shutterhand;

namespace {

QProcessEnvironment programEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("shutterhand.app.debug=true"));
    return env;
}

void verifyNoSanitizerReport(const QByteArray& output)
{
    QVERIFY2(!output.contains("AddressSanitizer") && !output.contains("runtime error")
                 && !output.contains("LeakSanitizer"),
             output.constData());
}

}  // namespace

class ProgramStartTest : public QObject {
    Q_OBJECT

private slots:
    void startsInAFreshFolderAndShutsDownCleanly()
    {
        QTemporaryDir folder;
        QVERIFY(test::copyTree(test::distDir(), folder.path()));
        QProcess program;
        program.setProcessEnvironment(programEnvironment());
        program.setProgram(folder.filePath(QStringLiteral("shutterhand")));
        program.start();
        QVERIFY(program.waitForStarted());

        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += program.readAllStandardError()).contains("started in"), 30000);
        QVERIFY(program.state() == QProcess::Running);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(30000));
        output += program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(output.contains("shut down"), output.constData());
        verifyNoSanitizerReport(output);
    }

    void aTerminationSignalEndsEvenAnOpenMessageBox()
    {
        // Without a language file the start shows an error box and waits for the user.
        QTemporaryDir folder;
        QVERIFY(test::copyTree(test::distDir(), folder.path()));
        QVERIFY(QDir(folder.filePath(QStringLiteral("Lang"))).removeRecursively());
        QProcess program;
        program.setProcessEnvironment(programEnvironment());
        program.start(folder.filePath(QStringLiteral("shutterhand")), {});
        QVERIFY(program.waitForStarted());
        QTest::qWait(3000);
        QVERIFY(program.state() == QProcess::Running);
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(30000));
        const QByteArray output = program.readAllStandardError();
        QCOMPARE(program.exitCode(), 0);
        QVERIFY2(output.contains("started in") && output.contains("shut down"), output.constData());
        verifyNoSanitizerReport(output);
    }

    void withoutDisplaySaysHowToRunIt()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(test::distDir() + QStringLiteral("/shutterhand"), {});
        QVERIFY(program.waitForFinished(30000));
        const QByteArray output = program.readAllStandardError();
        QCOMPARE(program.exitCode(), 1);
        QCOMPARE(output.count('\n'), 1);
        QVERIFY(output.contains("DISPLAY") && output.contains("xvfb-run"));
    }
};

QTEST_GUILESS_MAIN(ProgramStartTest)
#include "test_program_start.moc"
