// The camera session on the camera library's backend with the PTP/IP camera emulator: the whole road
// of a released picture, deleting on the camera, and a camera that drops off ending the session.

#include "actions/event_names.h"
#include "app/app_fixture.h"
#include "camera/camera_session.h"
#include "camera/device/gphoto2/gphoto_backend.h"
#include "ptpip_emulator.h"

#include <QDir>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

struct Fixture {
    PtpipEmulator emulator;
    ProgramFolder folder;
    Timeline timeline;
    ScriptedPrompter prompter;
    FakeDesktop desktop;
    FakeView view{timeline};
    FakeRunner runner{timeline};
    std::unique_ptr<ApplicationCore> core;
    std::unique_ptr<DeviceManager> manager;
    std::unique_ptr<CameraSession> session;

    bool start(const QStringList& emulatorOptions, const QStringList& events)
    {
        if (!emulator.start(emulatorOptions))
            return false;
        writeLanguageFiles(folder);
        QByteArray vars = "CameraPorts/:/String/:/" + emulator.portPath().toUtf8() + "\r\n";
        for (const QString& event : events)
            vars += bindAction(folder, event, event);
        writeVarDat(folder, vars);
        core = std::make_unique<ApplicationCore>(folder.path(), prompter, desktop);
        core->setActionRunner(&runner);
        // The program's backend, without USB cameras: the test must see only its emulator.
        manager = std::make_unique<DeviceManager>([](const DeviceServiceSettings& settings) {
            std::vector<std::unique_ptr<DeviceBackend>> backends;
            backends.push_back(std::make_unique<GphotoBackend>(false, settings.networkPorts));
            return backends;
        });
        session = std::make_unique<CameraSession>(*core, *manager);
        core->setCameraService(session.get());
        if (!core->start(view))
            return false;
        timeline.entries.clear();
        return true;
    }

    ~Fixture()
    {
        if (core)
            core->shutdown();
    }
};

}  // namespace

class SessionEmulatorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useThrowAwayHome(); }

    void releasedPictureArrivesAndTheCardIsEmptied()
    {
        Fixture f;
        QVERIFY(f.start({"--control"}, {events::TakeRemotePicture, events::TakePicture}));
        ApplicationCore& core = *f.core;
        QCOMPARE(f.session->cameraEntries(), QStringList{"Simulated Camera"});
        f.session->ComboBox1Change(0);
        QVERIFY(f.session->releaseEnabled());
        core.TriggerPicture();
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs(), QStringList{"run:TakeRemotePicture"}, 20000);
        QVERIFY(!core.PicturePending);
        QVERIFY(QFile::exists(f.folder.filePath("tmp/tmp.jpg")));
        core.PollTick();
        QCOMPARE(core.pollMarks().isoText, QStringLiteral("ISO 400"));
        QCOMPARE(core.pollMarks().batteryHint, QStringLiteral("80% Batterieleistung verfügbar"));

        // With the delete option, the next picture (taken on the camera) empties the card.
        f.prompter.yesNoAnswers.enqueue(true);
        core.ToggleDeleteImages();
        QVERIFY(f.emulator.command("shutter").startsWith("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs(), (QStringList{"run:TakeRemotePicture", "run:TakePicture"}), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(f.session->currentDevice()->ItemCount(), 0, 20000);
        QCOMPARE(f.session->statusText(), QString());
    }

    void droppedCameraEndsTheSession()
    {
        Fixture f;
        QVERIFY(f.start({"--control"}, {events::DeviceDisconnect, events::DeviceConnect}));
        f.session->ComboBox1Change(0);
        QVERIFY(f.session->currentDevice());
        QVERIFY(f.emulator.command("drop").startsWith("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs().value(0), QStringLiteral("run:DeviceDisconnect"), 20000);
        QVERIFY(!f.session->currentDevice());
        QVERIFY(!f.session->releaseEnabled() && !f.session->cameraInfoEnabled());
        // The emulator takes a new client: the camera is listed again.
        QTRY_COMPARE_WITH_TIMEOUT(f.timeline.runs(), (QStringList{"run:DeviceDisconnect", "run:DeviceConnect"}), 30000);
        QCOMPARE(f.core->CurrentDeviceName, QStringLiteral("Simulated Camera"));
        QCOMPARE(f.session->cameraEntries(), QStringList{"Simulated Camera"});
    }
};

QTEST_GUILESS_MAIN(SessionEmulatorTest)
#include "test_session_emulator.moc"
