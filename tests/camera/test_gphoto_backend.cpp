// The camera library's backend against the PTP/IP camera emulator: listing, connecting, properties,
// releasing and the arrival of the picture, downloads byte for byte, deleting, a refused release, the
// camera's own button and a camera that drops off.

#include "camera/device/device_ids.h"
#include "camera/device/device_manager.h"
#include "camera/device/gphoto2/gphoto_backend.h"
#include "imaging/jpeg_encoder.h"
#include "ptpip_emulator.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

struct Event {
    QString id, device, item;
};

// Writes a JPEG of `width` × `height` random pixels; noise compresses badly, so a big one is big.
QByteArray noiseJpeg(int width, int height, quint32 seed)
{
    imaging::RgbImage image(width, height);
    QRandomGenerator random(seed);
    for (auto& sample : image.pixels)
        sample = static_cast<std::uint8_t>(random.bounded(256));
    const auto encoded = imaging::EncodeJpeg(image, 95);
    return QByteArray(reinterpret_cast<const char*>(encoded.value().data()),
                      static_cast<qsizetype>(encoded.value().size()));
}

struct Fixture {
    PtpipEmulator emulator;
    QTemporaryDir dir;
    std::unique_ptr<DeviceManager> manager;
    QList<Event> events;

    bool start(const QStringList& options)
    {
        if (!emulator.start(options))
            return false;
        DeviceTimings timings;
        timings.commandMs = 8000;
        timings.busyRetryMs = 1000;
        timings.busyRetryStepMs = 100;
        manager = std::make_unique<DeviceManager>(
            [this](const DeviceServiceSettings&) {
                std::vector<std::unique_ptr<DeviceBackend>> backends;
                backends.push_back(std::make_unique<GphotoBackend>(false, QStringList{emulator.portPath()}));
                return backends;
            },
            timings);
        QObject::connect(manager.get(), &DeviceManager::OnEvent, manager.get(),
                         [this](const QString& id, const QString& device, const QString& item) {
                             events.append({id, device, item});
                         });
        manager->Connect({false, {}, dir.path() + "/tmp/", false});
        for (const QString& id : {wia::EventDeviceConnected, wia::EventDeviceDisconnected, wia::EventItemCreated})
            manager->RegisterEvent(id, wia::AllDevices);
        return true;
    }

    std::shared_ptr<Device> connect()
    {
        const QList<DeviceInfo> infos = manager->DeviceInfos();
        if (infos.size() != 1)
            return nullptr;
        auto device = manager->ConnectDevice(infos.first().DeviceID);
        if (!device.ok()) {
            qWarning("connect failed: %s", qPrintable(device.error().message));
            return nullptr;
        }
        return device.value();
    }

    QStringList itemEvents() const
    {
        QStringList items;
        for (const Event& event : events) {
            if (event.id == wia::EventItemCreated)
                items.append(event.item);
        }
        return items;
    }

    // Transfers each new JPEG while its event is handled, as the picture intake does.
    void saveArrivals(const std::shared_ptr<Device>& device, QStringList& saved)
    {
        QObject::connect(manager.get(), &DeviceManager::OnEvent, device.get(),
                         [this, device, &saved](const QString& id, const QString&, const QString& itemId) {
                             if (id != wia::EventItemCreated)
                                 return;
                             auto transfer = device->GetItem(itemId)->Transfer(wia::FormatJpeg);
                             const QString target = dir.filePath(QStringLiteral("arrival%1.jpg").arg(saved.size()));
                             if (transfer.ok() && transfer.value().SaveFile(target).ok())
                                 saved.append(target);
                         });
    }
};

QString propertyValue(const QList<DeviceProperty>& properties, const QString& name, bool* readOnly = nullptr)
{
    for (const DeviceProperty& property : properties) {
        if (property.Name == name) {
            if (readOnly)
                *readOnly = property.IsReadOnly;
            return property.Value;
        }
    }
    return QStringLiteral("<none>");
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class GphotoBackendTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { useThrowAwayHome(); }

    void listsTheCameraUnderItsOwnName_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("id");
        QTest::newRow("defaults") << QStringList() << "Simulated Camera"
                                  << "gphoto2:SIM0001";
        QTest::newRow("named") << QStringList{"--name", "Studio Body", "--serial", "X42"} << "Studio Body"
                               << "gphoto2:X42";
    }

    void listsTheCameraUnderItsOwnName()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, name);
        QFETCH(QString, id);
        Fixture f;
        QVERIFY(f.start(options));
        const QList<DeviceInfo> infos = f.manager->DeviceInfos();
        QCOMPARE(infos.size(), 1);
        // The camera's own model, not the driver's generic "PTP/IP Camera".
        QCOMPARE(infos[0].name(), name);
        QCOMPARE(infos[0].DeviceID, id);
    }

    void connectedCameraReportsItsProperties()
    {
        Fixture f;
        QVERIFY(f.start({"--battery", "55", "--iso", "800", "--control"}));
        const auto device = f.connect();
        QVERIFY(device);
        const auto properties = device->Properties();
        bool readOnly = false;
        QCOMPARE(propertyValue(properties, wia::PropertyName, &readOnly), QStringLiteral("Simulated Camera"));
        QVERIFY(readOnly);
        QCOMPARE(propertyValue(properties, wia::PropertyBatteryStatus, &readOnly), QStringLiteral("55"));
        QVERIFY(readOnly);
        QCOMPARE(propertyValue(properties, wia::PropertyExposureIndex, &readOnly), QStringLiteral("800"));
        QVERIFY(!readOnly);
        QCOMPARE(propertyValue(properties, QStringLiteral("f-number"), &readOnly), QStringLiteral("f/5.6"));
        QVERIFY(!readOnly);
        QCOMPARE(propertyValue(properties, QStringLiteral("serialnumber")), QStringLiteral("SIM0001"));
        // The actions branch holds commands, not settings.
        QCOMPARE(propertyValue(properties, QStringLiteral("opcode")), QStringLiteral("<none>"));
        QVERIFY(device->hasCommand(wia::CommandTakePicture));
        QTRY_COMPARE(device->ItemCount(), 1);  // the emulator's card holds one picture at start

        // Fresh values come on request, as the poll timer asks. (The library keeps a value it has read
        // for about a second, so the first requests may still bring the old one.)
        QVERIFY(f.emulator.command("battery 30").startsWith("ok"));
        QSignalSpy changed(device.get(), &Device::propertiesChanged);
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                device->RefreshProperties();
                changed.wait(1000);
                return propertyValue(device->Properties(), wia::PropertyBatteryStatus) == QLatin1String("30");
            }(),
            10000);
    }

    void releasedPicturesArriveByteForByte()
    {
        Fixture f;
        QDir(f.dir.path()).mkpath("pictures");
        const QByteArray big = noiseJpeg(1400, 1000, 7);  // over 1 MiB: fetched in pieces
        const QByteArray small = noiseJpeg(320, 240, 8);
        QVERIFY(big.size() > 1024 * 1024);
        for (const auto& [name, bytes] : {std::pair{"a_big.jpg", big}, std::pair{"b_small.jpg", small}}) {
            QFile file(f.dir.filePath(QStringLiteral("pictures/") + name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        QVERIFY(f.start({"--images", f.dir.filePath("pictures"), "--preload", "0", "--control"}));
        const auto device = f.connect();
        QVERIFY(device);
        QStringList saved;
        f.saveArrivals(device, saved);

        QSignalSpy finished(device.get(), &Device::commandFinished);
        device->ExecuteCommand(wia::CommandTakePicture);
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished[0][1].toString(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(saved.size(), 1, 20000);
        QCOMPARE(readAll(saved[0]), big);

        // A picture taken with the camera's own button arrives the same way.
        QVERIFY(f.emulator.command("shutter").startsWith("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(saved.size(), 2, 20000);
        QCOMPARE(readAll(saved[1]), small);
        QCOMPARE(
            f.itemEvents(),
            (QStringList{"/store_00010001/DCIM/100SIMUL/IMG_0001.JPG", "/store_00010001/DCIM/100SIMUL/IMG_0002.JPG"}));
        QCOMPARE(device->ItemCount(), 2);
        // Nothing is left behind in the staging folder.
        QTRY_VERIFY(QDir(f.dir.filePath("tmp")).entryList(QDir::Files).isEmpty());
    }

    void deletingEmptiesTheCard()
    {
        Fixture f;
        QVERIFY(f.start({"--preload", "2"}));
        auto device = f.connect();
        QVERIFY(device);
        device->ExecuteCommand(wia::CommandTakePicture);
        QTRY_COMPARE_WITH_TIMEOUT(f.itemEvents().size(), 1, 20000);
        QTRY_COMPARE(device->ItemCount(), 3);
        QSignalSpy removed(device.get(), &Device::itemsRemoved);
        device->RemoveAllItems();
        QVERIFY(removed.wait(10000));
        QCOMPARE(removed[0][0].toString(), QString());
        QCOMPARE(device->ItemCount(), 0);
        // Another connection sees an empty card.
        device.reset();
        device = f.connect();
        QVERIFY(device);
        QTest::qWait(500);
        QCOMPARE(device->ItemCount(), 0);
    }

    void refusedReleaseIsReportedAndTheCameraStays()
    {
        Fixture f;
        QVERIFY(f.start({"--fail-capture"}));
        const auto device = f.connect();
        QVERIFY(device);
        QSignalSpy finished(device.get(), &Device::commandFinished);
        device->ExecuteCommand(wia::CommandTakePicture);
        QVERIFY(finished.wait(10000));
        QVERIFY(!finished[0][1].toString().isEmpty());
        QTest::qWait(300);
        QVERIFY(!device->isLost());
        QVERIFY(f.itemEvents().isEmpty());
    }

    void cameraThatDropsOffIsAnnouncedAndComesBack()
    {
        // How many operations connecting takes depends on the library; count them on a first
        // emulator, so that the second one drops the connection right after answering the release.
        int operations = 0;
        {
            Fixture count;
            QVERIFY(count.start({"-v"}));
            const auto device = count.connect();
            QVERIFY(device);
            QTRY_COMPARE(device->ItemCount(), 1);
            QTest::qWait(300);
            const QString log = count.emulator.log();
            const QString ours = log.mid(log.lastIndexOf(QStringLiteral("connected as connection")));
            static const QRegularExpression number(QStringLiteral(R"(#(\d+) )"));
            for (auto it = number.globalMatch(ours); it.hasNext();)
                operations = std::max(operations, it.next().captured(1).toInt());
        }
        QVERIFY(operations > 0);

        Fixture f;
        QVERIFY(f.start({"--drop-after", QString::number(operations + 1), "--drop-once"}));
        const auto device = f.connect();
        QVERIFY(device);
        const QString id = device->DeviceID();
        QTRY_COMPARE(device->ItemCount(), 1);
        QSignalSpy finished(device.get(), &Device::commandFinished);
        QSignalSpy lost(device.get(), &Device::lost);
        device->ExecuteCommand(wia::CommandTakePicture);
        QVERIFY(lost.wait(20000));
        QTRY_COMPARE(f.events.size(), 1);
        QCOMPARE(f.events[0].id, wia::EventDeviceDisconnected);
        QCOMPARE(f.events[0].device, id);
        QVERIFY(f.manager->DeviceInfos().isEmpty());
        // Plugged in again: the camera answers the next probe and is announced under the same ID.
        QTRY_COMPARE_WITH_TIMEOUT(f.events.size(), 2, 20000);
        QCOMPARE(f.events[1].id, wia::EventDeviceConnected);
        QCOMPARE(f.events[1].device, id);
        QCOMPARE(f.manager->DeviceInfos().size(), 1);
    }
};

QTEST_GUILESS_MAIN(GphotoBackendTest)
#include "test_gphoto_backend.moc"
