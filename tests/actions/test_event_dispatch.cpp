// Resolving events to action files, the log lines of a firing, running the code and nesting.

#include "actions/event_dispatcher.h"
#include "actions/photo_event.h"
#include "support/program_folder.h"

#include <QtTest>

#include <functional>

using namespace shutterhand;

namespace {

struct LogLine {
    int kind;
    QString message;
    bool operator==(const LogLine&) const = default;
};

// A host that records what the dispatch does; its runner records the runs and may do more.
class RecordingHost : public DispatchHost, public ActionRunner {
public:
    explicit RecordingHost(const test::ProgramFolder& folder)
    {
        config.Directorys().SetDirectory(QStringLiteral("Events"), folder.path() + QStringLiteral("Events/"));
    }

    const TSystemConfig& dispatchConfig() const override { return config; }
    void WriteLog(int kind, const QString& message) override { log.append({kind, message}); }
    QString currentDeviceName() const override { return QStringLiteral("Kamera 'X'"); }
    QString lastSavedFileName() const override { return QStringLiteral("/pics/1_Image.jpg"); }
    ActionRunner* actionRunner() override { return withRunner ? this : nullptr; }
    bool closeAfterAction() const override { return closeAfter; }
    void closeMainWindow() override { closeRequests.append(runs.size()); }

    void runAction(const ActionRun& run) override
    {
        runs.append(run);
        if (onRun)
            onRun(run);
    }

    TSystemConfig config;
    QList<LogLine> log;
    QList<ActionRun> runs;
    QList<qsizetype> closeRequests;  // how many runs had happened at each request
    bool withRunner = true;
    bool closeAfter = false;
    std::function<void(const ActionRun&)> onRun;
};

void writeAction(const test::ProgramFolder& folder, const QString& relative, const QString& code)
{
    TPhotoEvent action;
    action.Name = relative;
    action.Code = code;
    action.SetFileName(folder.filePath(QStringLiteral("Events/") + relative));
    QDir().mkpath(QFileInfo(action.FileName).absolutePath());
    if (!action.WriteToFile().ok())
        qFatal("cannot write action");
}

}  // namespace

class EventDispatchTest : public QObject {
    Q_OBJECT

private slots:
    void runsTheBoundCodeWithContext()
    {
        test::ProgramFolder folder;
        RecordingHost host(folder);
        writeAction(folder, QStringLiteral("save.evn"), QStringLiteral("begin end."));
        host.config.Vars().InitValueByName(QStringLiteral("TakePicture"), QStringLiteral("Event"),
                                           QStringLiteral("save.evn"));
        EventDispatcher dispatch(host);
        dispatch.FireEvent(QStringLiteral("TakePicture"));

        QCOMPARE(host.log, (QList<LogLine>{{0, "save.evn wird ausgeführt."}}));
        QCOMPARE(host.runs.size(), 1);
        QCOMPARE(host.runs[0].code, QStringLiteral("begin end."));
        QCOMPARE(host.runs[0].deviceName, QStringLiteral("Kamera 'X'"));
        QCOMPARE(host.runs[0].lastSavedFileName, QStringLiteral("/pics/1_Image.jpg"));
        QVERIFY(host.closeRequests.isEmpty());
    }

    void logsWhatItFinds_data()
    {
        QTest::addColumn<QString>("binding");
        QTest::addColumn<QString>("closeLogWindowBinding");
        QTest::addColumn<QList<LogLine>>("log");
        QTest::addColumn<int>("runs");
        QTest::newRow("unbound: nothing at all") << ""
                                                 << "" << QList<LogLine>{} << 0;
        QTest::newRow("missing file") << "gone.evn"
                                      << "" << QList<LogLine>{{2, "gone.evn nicht gefunden."}} << 0;
        QTest::newRow("subfolder: label without folder") << "sub/a.evn"
                                                         << "" << QList<LogLine>{{0, "a.evn wird ausgeführt."}} << 1;
        QTest::newRow("windows subfolder") << "sub\\a.evn"
                                           << "" << QList<LogLine>{{0, "a.evn wird ausgeführt."}} << 1;
        QTest::newRow("same file as CloseLogWindow: silent") << "b.evn"
                                                             << "b.evn" << QList<LogLine>{} << 1;
        QTest::newRow("CloseLogWindow compares with case")
            << "b.evn"
            << "B.evn" << QList<LogLine>{{0, "b.evn wird ausgeführt."}} << 1;
        QTest::newRow("missing and silent") << "gone.evn"
                                            << "gone.evn" << QList<LogLine>{} << 0;
        QTest::newRow("folder is no file") << "sub"
                                           << "" << QList<LogLine>{{2, "sub nicht gefunden."}} << 0;
        QTest::newRow("empty code is logged, not run") << "empty.evn"
                                                       << "" << QList<LogLine>{{0, "empty.evn wird ausgeführt."}} << 0;
    }
    void logsWhatItFinds()
    {
        QFETCH(QString, binding);
        QFETCH(QString, closeLogWindowBinding);
        QFETCH(int, runs);
        test::ProgramFolder folder;
        writeAction(folder, QStringLiteral("sub/a.evn"), QStringLiteral("a"));
        writeAction(folder, QStringLiteral("b.evn"), QStringLiteral("b"));
        writeAction(folder, QStringLiteral("empty.evn"), QString());
        RecordingHost host(folder);
        host.config.Vars().InitValueByName(QStringLiteral("ConfigSave"), QStringLiteral("Event"), binding);
        host.config.Vars().InitValueByName(QStringLiteral("CloseLogWindow"), QStringLiteral("Event"),
                                           closeLogWindowBinding);
        EventDispatcher dispatch(host);
        dispatch.FireEvent(QStringLiteral("ConfigSave"));
        QTEST(host.log, "log");
        QCOMPARE(host.runs.size(), runs);
    }

    void malformedActionFileIsLoggedAndNothingRuns()
    {
        test::ProgramFolder folder;
        folder.writeFile(QStringLiteral("Events/bad.evn"), "<xml><code>begin end.</xml>");
        RecordingHost host(folder);
        host.config.Vars().InitValueByName(QStringLiteral("ConfigLoad"), QStringLiteral("Event"),
                                           QStringLiteral("bad.evn"));
        EventDispatcher(host).FireEvent(QStringLiteral("ConfigLoad"));
        QCOMPARE(host.log.size(), 2);
        QCOMPARE(host.log[0], (LogLine{0, "bad.evn wird ausgeführt."}));
        QCOMPARE(host.log[1].kind, 2);
        QVERIFY(host.log[1].message.startsWith(QStringLiteral("bad.evn ist keine gültige Aktionsdatei")));
        QVERIFY(host.runs.isEmpty());
    }

    void withoutRunnerTheDispatchStopsAfterReading()
    {
        test::ProgramFolder folder;
        writeAction(folder, QStringLiteral("a.evn"), QStringLiteral("begin end."));
        RecordingHost host(folder);
        host.withRunner = false;
        host.closeAfter = true;
        host.config.Vars().SetValueByName(QStringLiteral("ApplicationMove"), QStringLiteral("a.evn"));
        EventDispatcher(host).FireEvent(QStringLiteral("ApplicationMove"));
        QCOMPARE(host.log, (QList<LogLine>{{0, "a.evn wird ausgeführt."}}));
        QVERIFY(host.closeRequests.isEmpty());
    }

    void closesAfterTheActionThatAskedForIt()
    {
        test::ProgramFolder folder;
        writeAction(folder, QStringLiteral("a.evn"), QStringLiteral("Application.close;"));
        RecordingHost host(folder);
        host.config.Vars().SetValueByName(QStringLiteral("StartShutterhand"), QStringLiteral("a.evn"));
        host.onRun = [&](const ActionRun&) { host.closeAfter = true; };
        EventDispatcher(host).FireEvent(QStringLiteral("StartShutterhand"));
        QCOMPARE(host.closeRequests, QList<qsizetype>{1});
    }

    void nestingStopsAtSixteen()
    {
        test::ProgramFolder folder;
        writeAction(folder, QStringLiteral("again.evn"), QStringLiteral("Image.SaveToFile(STAuto, '');"));
        RecordingHost host(folder);
        host.config.Vars().SetValueByName(QStringLiteral("SaveImage"), QStringLiteral("again.evn"));
        EventDispatcher dispatch(host);
        int deepest = 0;
        host.onRun = [&](const ActionRun&) {
            deepest = std::max(deepest, dispatch.nestingDepth());
            dispatch.FireEvent(QStringLiteral("SaveImage"));  // the action raises its own event again
        };
        dispatch.FireEvent(QStringLiteral("SaveImage"));

        QCOMPARE(host.runs.size(), EventDispatcher::MaxNesting);
        QCOMPARE(deepest, EventDispatcher::MaxNesting);
        QCOMPARE(dispatch.nestingDepth(), 0);
        const QList<LogLine> errors = [&] {
            QList<LogLine> found;
            for (const LogLine& line : host.log)
                if (line.kind == 2)
                    found.append(line);
            return found;
        }();
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].message.startsWith(QStringLiteral("again.evn wird nicht ausgeführt")));
        // A new firing after the chain has unwound runs again.
        host.onRun = nullptr;
        dispatch.FireEvent(QStringLiteral("SaveImage"));
        QCOMPARE(host.runs.size(), EventDispatcher::MaxNesting + 1);
    }
};

QTEST_GUILESS_MAIN(EventDispatchTest)
#include "test_event_dispatch.moc"
