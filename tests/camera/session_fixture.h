#pragma once

// An application core in a temporary program folder with the camera session on top of a simulated
// camera backend that the test steers. The view records what the session shows.

#include "app/app_fixture.h"
#include "camera/camera_session.h"
#include "camera/device/simulated/simulated_backend.h"

#include <QFile>

namespace shutterhand::test {

class CameraView : public FakeView {
public:
    using FakeView::FakeView;
    void showCameraList(const QStringList& list, int index, bool enabled) override
    {
        entries = list;
        current = index;
        listEnabled = enabled;
    }
    void setCameraControls(bool releaseOn, bool infoOn, bool seriesOn) override
    {
        release = releaseOn;
        info = infoOn;
        series = seriesOn;
    }
    void showStatus(const QString& text) override { statuses.append(text); }
    void showPicture(const QString& file) override { pictures.append(file); }
    void showExifOverlay(const QString& text, bool visible) override
    {
        exifText = text;
        exifVisible = visible;
    }
    void setSaveAsEnabled(bool enabled) override { saveAs = enabled; }

    QStringList entries;
    int current = -2;
    bool listEnabled = false;
    bool release = false, info = false, series = false;
    QStringList statuses;
    QStringList pictures;
    QString exifText;
    bool exifVisible = false;
    bool saveAs = false;
};

inline DeviceTimings quickDeviceTimings()
{
    DeviceTimings timings;
    timings.openMs = 5000;
    timings.commandMs = 3000;
    timings.busyRetryMs = 300;
    timings.busyRetryStepMs = 50;
    timings.pollIntervalMs = 10;
    timings.eventWaitMs = 20;
    return timings;
}

inline SimulatedCameraOptions smallCamera(const QString& name = QStringLiteral("Shutterhand Simulator"))
{
    SimulatedCameraOptions options;
    options.name = name;
    options.pictureWidth = 640;
    options.pictureHeight = 480;
    options.captureDelayMs = 30;
    return options;
}

struct SessionFixture {
    ProgramFolder folder;
    Timeline timeline;
    ScriptedPrompter prompter;
    FakeDesktop desktop;
    CameraView view{timeline};
    FakeRunner runner{timeline};
    std::unique_ptr<ApplicationCore> core;
    std::unique_ptr<DeviceManager> manager;
    std::unique_ptr<CameraSession> session;
    SimulatedBackend* backend = nullptr;
    QList<SimulatedCameraOptions> cameras{smallCamera()};

    // Starts the program with the given extra var.dat lines; every event listed gets an action whose
    // code is the event's name, so the timeline shows each firing.
    ApplicationCore& start(const QStringList& boundEvents = {}, const QByteArray& extraVars = {})
    {
        writeLanguageFiles(folder);
        QByteArray vars = "Images/:/Directory/:/%WORKDIR%www/\r\n" + extraVars;
        for (const QString& event : boundEvents)
            vars += bindAction(folder, event, event);
        writeVarDat(folder, vars);
        core = std::make_unique<ApplicationCore>(folder.path(), prompter, desktop);
        core->setActionRunner(&runner);
        manager = std::make_unique<DeviceManager>(
            [this](const DeviceServiceSettings&) {
                auto simulated = std::make_unique<SimulatedBackend>(false);
                for (const SimulatedCameraOptions& options : cameras)
                    simulated->attach(options);
                backend = simulated.get();
                std::vector<std::unique_ptr<DeviceBackend>> backends;
                backends.push_back(std::move(simulated));
                return backends;
            },
            quickDeviceTimings());
        session = std::make_unique<CameraSession>(*core, *manager);
        core->setCameraService(session.get());
        if (!core->start(view))
            qFatal("start-up failed");
        if (!core->logBook().isOpen())
            core->ToggleLogWindow();  // notes are kept only while the log window is open
        timeline.entries.clear();
        return *core;
    }

    ~SessionFixture()
    {
        if (core)
            core->shutdown();
    }

    std::shared_ptr<SimulatedCamera> camera(int index = 0) const { return backend->cameras().at(index); }

    QStringList logMessages() const
    {
        QStringList messages;
        for (const LogEntry& entry : core->logBook().entries())
            messages.append(QString::number(entry.kind) + u' ' + entry.message);
        return messages;
    }

    QString tmpPicture() const { return folder.filePath(QStringLiteral("tmp/tmp.jpg")); }
};

inline QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace shutterhand::test
