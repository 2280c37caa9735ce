// The camera in the main window (offscreen): choosing a camera, releasing with the button, the
// letterboxed picture, its context menu and the overlay's colours, and the camera properties dialog.

#include "app/widgets/main_window.h"
#include "camera/device/device_ids.h"
#include "camera/widgets/camera_properties_dialog.h"
#include "camera/widgets/picture_loader.h"
#include "imaging/jpeg_encoder.h"
#include "session_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

struct WindowFixture : SessionFixture {
    std::unique_ptr<MainWindow> window;

    MainWindow& open()
    {
        writeLanguageFiles(folder);
        writeVarDat(folder, "Images/:/Directory/:/%WORKDIR%www/\r\n");
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
        window = std::make_unique<MainWindow>(*core, prompter);
        if (!window->startUp())
            qFatal("start-up failed");
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("window not shown");
        return *window;
    }

    ~WindowFixture()
    {
        if (window)
            window->close();
    }

    template <typename T> T* child(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }

    void chooseCamera(int index)
    {
        auto* list = child<QComboBox>("ComboBox1");
        list->setCurrentIndex(index);
        emit list->activated(index);
    }
};

QString writeJpeg(const QString& path, int width, int height)
{
    imaging::RgbImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = image.row(y) + x * 3;
            pixel[0] = 200;  // a reddish picture
            pixel[1] = 40;
            pixel[2] = 40;
        }
    const auto bytes = imaging::EncodeJpeg(image, 90);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write(reinterpret_cast<const char*>(bytes.value().data()), static_cast<qint64>(bytes.value().size()));
    return path;
}

// Runs `check` on the next modal dialog once it is shown, then closes it.
void onNextDialog(const std::function<void(QWidget*)>& check)
{
    QTimer::singleShot(0, [check] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        QWidget* dialog = QApplication::activeModalWidget();
        check(dialog);
        dialog->close();
    });
}

}  // namespace

class CameraWindowTest : public QObject {
    Q_OBJECT

private slots:
    void releaseFromTheWindowShowsTheLetterboxedPicture()
    {
        WindowFixture f;
        f.open();
        auto* release = f.child<QPushButton>("BitBtn1");
        auto* info = f.child<QPushButton>("BitBtn2");
        auto* list = f.child<QComboBox>("ComboBox1");
        QCOMPARE(list->currentText(), QString());
        QVERIFY(list->isEnabled());
        QVERIFY(!release->isEnabled());
        f.chooseCamera(0);
        QCOMPARE(list->currentText(), QStringLiteral("Shutterhand Simulator"));
        QVERIFY(release->isEnabled() && info->isEnabled());
        QVERIFY(f.child<QAction>("ActionSerienaufnahme")->isEnabled());
        QVERIFY(f.child<QAction>("ActionBildspeicherLoeschen")->isEnabled());
        QVERIFY(!f.child<QAction>("Bildspeichernunter1")->isEnabled());

        QTest::mouseClick(release, Qt::LeftButton);
        QVERIFY(!release->isEnabled());  // until the picture is here
        auto* picture = f.child<QLabel>("Image1");
        QTRY_VERIFY_WITH_TIMEOUT(release->isEnabled(), 10000);
        // 640 × 480 in a frame of 389 × 295: the whole width, the height to scale.
        QCOMPARE(picture->size(), QSize(389, 295));
        QCOMPARE(picture->pixmap().size(), QSize(389, 292));
        QCOMPARE(f.child<QLabel>("Statusbar")->text(), QString());
        QVERIFY(f.child<QAction>("Bildspeichernunter1")->isEnabled());

        auto* overlay = f.child<QLabel>("LabelExif");
        QVERIFY(!overlay->isVisible());
        f.child<QAction>("ExifDateneinblenden1")->trigger();
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->text().split('\n').size(), 4);
        QVERIFY(overlay->styleSheet().contains("red"));
        f.child<QAction>("ActionHellesBild")->trigger();
        QVERIFY(overlay->styleSheet().contains("black"));
        QVERIFY(f.child<QAction>("ActionHellesBild")->isChecked());
        f.child<QAction>("ActionDunklesBild")->trigger();
        QVERIFY(overlay->styleSheet().contains("white"));
        QVERIFY(!f.child<QAction>("ActionHellesBild")->isChecked());

        onNextDialog([](QWidget* dialog) {
            auto* properties = dialog->findChild<QTreeWidget*>("ListView1");
            QVERIFY(properties);
            QCOMPARE(properties->topLevelItem(0)->text(0), QStringLiteral("Name"));
            QCOMPARE(properties->topLevelItem(0)->text(1), QStringLiteral("Shutterhand Simulator"));
            QCOMPARE(dialog->findChild<QTreeWidget*>("ListView3")->topLevelItem(0)->text(1), wia::CommandTakePicture);
        });
        QTest::mouseClick(info, Qt::LeftButton);
    }

    void propertiesDialogListsRowsInOrderWithReadOnlyMarks()
    {
        const auto text = [](int id) { return QStringLiteral("T%1").arg(id); };
        CameraInfo info;
        info.properties = {{"Name", "Cam", true}, {"iso", "400", false}, {"Battery Status", "80", true}};
        info.events = {{"Item Created", wia::EventItemCreated, false}};
        info.commands = {{"Take Picture", wia::CommandTakePicture, false}};
        TFormKameraeigenschaften dialog(text, info);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("T37"));
        QCOMPARE(dialog.size(), QSize(320, 377));
        auto* pages = dialog.findChild<QTabWidget*>();
        QCOMPARE(pages->tabText(0), QStringLiteral("T38"));
        QCOMPARE(pages->tabText(2), QStringLiteral("T40"));
        QTreeWidget* properties = dialog.propertiesList();
        QCOMPARE(properties->headerItem()->text(0), QStringLiteral("T41"));
        QCOMPARE(properties->headerItem()->text(1), QStringLiteral("T42"));
        QCOMPARE(properties->columnWidth(0), 100);
        QCOMPARE(properties->columnWidth(1), 175);
        QCOMPARE(properties->topLevelItemCount(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(properties->topLevelItem(i)->text(0), info.properties[i].name);
            QCOMPARE(!properties->topLevelItem(i)->icon(0).isNull(), info.properties[i].readOnly);
        }
        QCOMPARE(dialog.eventsList()->headerItem()->text(0), QStringLiteral("T43"));
        QCOMPARE(dialog.eventsList()->topLevelItem(0)->text(1), wia::EventItemCreated);
        QCOMPARE(dialog.commandsList()->headerItem()->text(0), QStringLiteral("T45"));
        QCOMPARE(dialog.findChild<QPushButton*>()->text(), QStringLiteral("T46"));

        TFormKameraeigenschaften empty(text, CameraInfo{});
        QCOMPARE(empty.propertiesList()->topLevelItemCount(), 0);
        QCOMPARE(empty.eventsList()->topLevelItemCount(), 0);
        QCOMPARE(empty.commandsList()->topLevelItemCount(), 0);
    }

    void picturesFitTheirFrame_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("landscape") << QSize(3000, 2000) << QSize(389, 259);
        QTest::newRow("portrait") << QSize(2000, 3000) << QSize(197, 295);
        QTest::newRow("small, enlarged") << QSize(200, 100) << QSize(389, 195);
        QTest::newRow("thin strip") << QSize(8000, 10) << QSize(389, 1);
    }

    void picturesFitTheirFrame()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, shown);
        QCOMPARE(FitIntoFrame(picture, QSize(389, 295)), shown);
        QTemporaryDir dir;
        const QImage loaded
            = LoadPictureForFrame(writeJpeg(dir.filePath("p.jpg"), picture.width(), picture.height()), QSize(389, 295));
        QCOMPARE(loaded.size(), shown);
        const QColor centre = loaded.pixelColor(shown.width() / 2, shown.height() / 2);
        QVERIFY(centre.red() > 150 && centre.green() < 90);
    }
};

QTEST_MAIN(CameraWindowTest)
#include "test_camera_window.moc"
