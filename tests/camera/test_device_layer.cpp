// The device layer with the simulated camera: the list and its events, connecting, releasing, the
// transfer of new pictures, deleting, a camera that is unplugged or stops answering.

#include "camera/device/device_ids.h"
#include "camera/device/device_manager.h"
#include "camera/device/simulated/simulated_backend.h"
#include "exif/exif_reader.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace shutterhand;

namespace {

struct Event {
    QString id, device, item;
};

DeviceTimings quickTimings()
{
    DeviceTimings timings;
    timings.openMs = 5000;
    timings.commandMs = 1500;
    timings.busyRetryMs = 600;
    timings.busyRetryStepMs = 50;
    timings.pollIntervalMs = 10;
    timings.eventWaitMs = 20;
    return timings;
}

// A device manager whose only backend is a simulated one the test steers.
struct Fixture {
    QTemporaryDir staging;
    SimulatedBackend* backend = nullptr;
    std::unique_ptr<DeviceManager> manager;
    QList<Event> events;

    explicit Fixture(int cameras = 1, const SimulatedCameraOptions& options = smallPictures())
    {
        manager = std::make_unique<DeviceManager>(
            [this, cameras, options](const DeviceServiceSettings&) {
                auto simulated = std::make_unique<SimulatedBackend>(false);
                for (int i = 0; i < cameras; ++i)
                    simulated->attach(options);
                backend = simulated.get();
                std::vector<std::unique_ptr<DeviceBackend>> backends;
                backends.push_back(std::move(simulated));
                return backends;
            },
            quickTimings());
        QObject::connect(manager.get(), &DeviceManager::OnEvent, manager.get(),
                         [this](const QString& id, const QString& device, const QString& item) {
                             events.append({id, device, item});
                         });
        manager->Connect({false, {}, staging.path() + "/tmp/", false});
        for (const QString& id :
             {wia::EventDeviceConnected, wia::EventDeviceDisconnected, wia::EventItemCreated, wia::EventTreeUpdated})
            manager->RegisterEvent(id, wia::AllDevices);
    }

    static SimulatedCameraOptions smallPictures()
    {
        SimulatedCameraOptions options;
        options.pictureWidth = 640;
        options.pictureHeight = 480;
        options.captureDelayMs = 50;
        return options;
    }

    std::shared_ptr<Device> connectFirst()
    {
        const QList<DeviceInfo> infos = manager->DeviceInfos();
        if (infos.isEmpty())
            qFatal("no simulated camera listed");
        auto device = manager->ConnectDevice(infos.first().DeviceID);
        if (!device.ok())
            qFatal("connect failed: %s", qPrintable(device.error().message));
        return device.value();
    }

    QStringList eventIds() const
    {
        QStringList ids;
        for (const Event& event : events)
            ids.append(event.id);
        return ids;
    }

    QStringList stagingFiles() const { return QDir(staging.path() + "/tmp").entryList(QDir::Files); }
};

QString propertyValue(const QList<DeviceProperty>& properties, const QString& name)
{
    for (const DeviceProperty& property : properties) {
        if (property.Name == name)
            return property.Value;
    }
    return QStringLiteral("<none>");
}

}  // namespace

class DeviceLayerTest : public QObject {
    Q_OBJECT

private slots:
    void listsCamerasAndAnnouncesTheirComingAndGoing()
    {
        Fixture f(1);
        const QList<DeviceInfo> infos = f.manager->DeviceInfos();
        QCOMPARE(infos.size(), 1);
        QCOMPARE(infos[0].name(), QStringLiteral("Shutterhand Simulator"));
        QVERIFY(f.events.isEmpty());  // the first list is no news

        const auto second = f.backend->attach();
        QTRY_COMPARE(f.events.size(), 1);
        QCOMPARE(f.events[0].id, wia::EventDeviceConnected);
        QCOMPARE(f.events[0].device, second->deviceId());
        QCOMPARE(f.manager->DeviceInfos().size(), 2);

        f.backend->detach(infos[0].DeviceID);
        QTRY_COMPARE(f.events.size(), 2);
        QCOMPARE(f.events[1].id, wia::EventDeviceDisconnected);
        QCOMPARE(f.events[1].device, infos[0].DeviceID);

        // Without registrations nothing is delivered; the list stays current all the same.
        f.manager->Disconnect();
        f.backend->attach();
        QTest::qWait(50);
        QCOMPARE(f.events.size(), 2);
        QCOMPARE(f.manager->DeviceInfos().size(), 2);
    }

    void connectedCameraDescribesItself()
    {
        Fixture f;
        const auto device = f.connectFirst();
        const QList<DeviceProperty> properties = device->Properties();
        QCOMPARE(propertyValue(properties, wia::PropertyName), QStringLiteral("Shutterhand Simulator"));
        QCOMPARE(propertyValue(properties, wia::PropertyExposureIndex), QStringLiteral("400"));
        bool integer = false;
        const int battery = propertyValue(properties, wia::PropertyBatteryStatus).toInt(&integer);
        QVERIFY(integer && battery > 0 && battery <= 100);
        for (const DeviceProperty& property : properties) {
            if (property.Name == wia::PropertyName)
                QVERIFY(property.IsReadOnly);
            if (property.Name == wia::PropertyExposureIndex)
                QVERIFY(!property.IsReadOnly);
        }
        QVERIFY(device->hasCommand(wia::CommandTakePicture));
        QCOMPARE(device->Events().size(), 4);
        QCOMPARE(device->ItemCount(), 0);
    }

    void releaseDeliversATransferablePictureWithExif()
    {
        Fixture f;
        const auto device = f.connectFirst();
        QSignalSpy finished(device.get(), &Device::commandFinished);
        device->ExecuteCommand(wia::CommandTakePicture);
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished[0][1].toString(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(f.events.size(), 1, 10000);
        QCOMPARE(f.events[0].id, wia::EventItemCreated);
        QCOMPARE(f.events[0].device, device->DeviceID());

        const auto item = device->GetItem(f.events[0].item);
        QVERIFY(item);
        QCOMPARE(item->Formats(), QStringList{wia::FormatJpeg});
        QCOMPARE(device->ItemCount(), 1);
        // The copy made for the event is gone once the event has been handled.
        QTRY_VERIFY(f.stagingFiles().isEmpty());
        QVERIFY(!item->Transfer(wia::FormatJpeg).ok());

        // A second picture, transferred while its event is handled, as the intake does.
        const QString target = f.staging.path() + "/picture.jpg";
        QObject::connect(f.manager.get(), &DeviceManager::OnEvent, device.get(),
                         [&](const QString&, const QString&, const QString& itemId) {
                             auto transfer = device->GetItem(itemId)->Transfer(wia::FormatJpeg);
                             QVERIFY(transfer.ok());
                             QVERIFY(transfer.value().SaveFile(target).ok());
                         });
        device->ExecuteCommand(wia::CommandTakePicture);
        QTRY_COMPARE_WITH_TIMEOUT(f.events.size(), 2, 10000);
        QVERIFY(QFile::exists(target));
        QTRY_VERIFY(f.stagingFiles().isEmpty());

        TExif exif;
        exif.LoadExif(target);
        QVERIFY(exif.HasExif);
        QCOMPARE(exif.Make, QByteArray("Shutterhand"));
        QCOMPARE(exif.Model, QByteArray("Shutterhand Simulator"));
        QCOMPARE(exif.ISOSpeedRatings, quint16(400));
        QVERIFY(!exif.ExposureTime.isEmpty());
        QVERIFY(!exif.FNumber.isEmpty());
        QVERIFY(!exif.MaxApertureValue.isEmpty());
        QCOMPARE(exif.DateTimeOriginal.size(), 19);
        QCOMPARE(exif.Flash, quint8(0));
        const QString name = f.backend->cameras()[0]->fileNames().last();
        QCOMPARE(QFile(target).size(), f.backend->cameras()[0]->fileBytes(name).size());
    }

    void rawAndJpegComeAsTwoItemsOfWhichOnlyTheJpegTransfers()
    {
        SimulatedCameraOptions options = Fixture::smallPictures();
        options.shots = SimulatedShots::RawAndJpeg;
        Fixture f(1, options);
        const auto device = f.connectFirst();
        device->ExecuteCommand(wia::CommandTakePicture);
        QTRY_COMPARE_WITH_TIMEOUT(f.events.size(), 2, 10000);
        const auto raw = device->GetItem(f.events[0].item);
        const auto jpeg = device->GetItem(f.events[1].item);
        QVERIFY(raw->ItemID().endsWith(".RAW"));
        QVERIFY(!raw->Formats().contains(wia::FormatJpeg));
        QVERIFY(!raw->Transfer(wia::FormatJpeg).ok());
        QCOMPARE(jpeg->Formats(), QStringList{wia::FormatJpeg});
        QCOMPARE(device->ItemCount(), 2);
    }

    void refusedAndBusyReleases_data()
    {
        QTest::addColumn<int>("refusals");
        QTest::addColumn<int>("busyAnswers");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("refused") << 1 << 0 << false;
        QTest::newRow("busy for a moment") << 0 << 3 << true;
        QTest::newRow("busy for too long") << 0 << 100 << false;
    }

    void refusedAndBusyReleases()
    {
        QFETCH(int, refusals);
        QFETCH(int, busyAnswers);
        QFETCH(bool, succeeds);
        Fixture f;
        const auto device = f.connectFirst();
        f.backend->cameras()[0]->failNextReleases(refusals);
        f.backend->cameras()[0]->answerBusy(busyAnswers);
        QSignalSpy finished(device.get(), &Device::commandFinished);
        device->ExecuteCommand(wia::CommandTakePicture);
        QVERIFY(finished.wait(5000));
        QCOMPARE(finished[0][1].toString().isEmpty(), succeeds);
        if (succeeds)
            QTRY_COMPARE_WITH_TIMEOUT(f.events.size(), 1, 10000);
        else
            QVERIFY(!device->isLost());
    }

    void removingAllItemsEmptiesTheCard()
    {
        Fixture f;
        const auto camera = f.backend->cameras()[0];
        auto device = f.connectFirst();
        camera->pressShutter();
        camera->pressShutter();
        QTRY_COMPARE_WITH_TIMEOUT(f.events.size(), 2, 10000);
        QCOMPARE(device->ItemCount(), 2);
        // A new connection finds the pictures on the card.
        device.reset();
        device = f.connectFirst();
        QTRY_COMPARE(device->ItemCount(), 2);
        QCOMPARE(device->Item(1)->file().name, camera->fileNames()[0]);

        QSignalSpy removed(device.get(), &Device::itemsRemoved);
        device->RemoveAllItems();
        QVERIFY(removed.wait(5000));
        QCOMPARE(removed[0][0].toString(), QString());
        QCOMPARE(device->ItemCount(), 0);
        QCOMPARE(camera->pictureCount(), 0);
    }

    void unpluggingAConnectedCameraIsAnnouncedOnce()
    {
        Fixture f;
        const auto device = f.connectFirst();
        QSignalSpy lost(device.get(), &Device::lost);
        f.backend->detach(device->DeviceID());
        QVERIFY(lost.wait(5000));
        QTest::qWait(100);
        QCOMPARE(f.eventIds(), QStringList{wia::EventDeviceDisconnected});
        QSignalSpy finished(device.get(), &Device::commandFinished);
        device->ExecuteCommand(wia::CommandTakePicture);
        QVERIFY(finished.wait(1000));
        QVERIFY(!finished[0][1].toString().isEmpty());
    }

    void aCameraThatStopsAnsweringIsGivenUp()
    {
        Fixture f;
        const auto camera = f.backend->cameras()[0];
        auto device = f.connectFirst();
        camera->setHangOnRelease(true);
        QSignalSpy finished(device.get(), &Device::commandFinished);
        QSignalSpy lost(device.get(), &Device::lost);
        device->ExecuteCommand(wia::CommandTakePicture);
        QVERIFY(lost.wait(10000));
        QCOMPARE(finished.size(), 1);
        QVERIFY(!finished[0][1].toString().isEmpty());
        QTRY_COMPARE(f.eventIds(), QStringList{wia::EventDeviceDisconnected});
        device.reset();
        QCOMPARE(f.manager->runningWorkers(), 1);  // still stuck in the driver
        camera->setHangOnRelease(false);
        QTRY_COMPARE(f.manager->runningWorkers(), 0);
    }

    void aClaimedCameraCanBeReleased()
    {
        Fixture f;
        const auto camera = f.backend->cameras()[0];
        camera->setClaimedBy(QStringLiteral("gvfsd-gphoto2"));
        const QString id = f.manager->DeviceInfos().first().DeviceID;
        auto refused = f.manager->ConnectDevice(id);
        QVERIFY(!refused.ok());
        QCOMPARE(refused.error().kind, DeviceErrorKind::Claimed);
        QCOMPARE(refused.error().holder, QStringLiteral("gvfsd-gphoto2"));
        QVERIFY(f.manager->ReleaseClaim(id));
        QVERIFY(f.manager->ConnectDevice(id).ok());
    }
};

QTEST_GUILESS_MAIN(DeviceLayerTest)
#include "test_device_layer.moc"
