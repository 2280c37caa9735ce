// The example actions delivered in Events/: each one compiles and has a name and a description, the
// delivered settings bind the picture saver, and the unbound examples do what their descriptions say.

#include "actions/event_names.h"
#include "actions/photo_event.h"
#include "script_fixture.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

// A program folder with the delivered data and settings, with the real script runner.
struct DeliveredFixture : ScriptFixture {
    ApplicationCore& startDelivered()
    {
        folder.copyDelivery();
        return start(folder.readFile("data/var.dat"));
    }

    void bind(const QString& event, const QString& file) { core->config().Vars().SetValueByName(event, file); }
};

}  // namespace

class DeliveredActionsTest : public QObject {
    Q_OBJECT

private slots:
    void everyDeliveredActionCompiles()
    {
        DeliveredFixture f;
        ApplicationCore& core = f.startDelivered();
        const QDir events(f.folder.filePath("Events"));
        const QStringList files = events.entryList({"*.evn"}, QDir::Files, QDir::Name);
        QCOMPARE(files,
                 (QStringList{"BildSpeichern.evn", "Kameraprotokoll.evn", "SerieBeenden.evn", "Tagesordner.evn"}));
        for (const QString& file : files) {
            TPhotoEvent action;
            QVERIFY2(action.LoadFromBytes(f.folder.readFile("Events/" + file)).ok(), qPrintable(file));
            QVERIFY2(!action.Name.isEmpty() && !action.Description.isEmpty(), qPrintable(file));
            QStringList messages;
            QVERIFY2(CheckScript(core, action.Code, messages), qPrintable(file + ": " + messages.join('\n')));
            // Written as the program writes action files, so the editor's OK changes nothing in them.
            action.SetFileName(events.filePath(file));
            QCOMPARE(action.toFileBytes(), f.folder.readFile("Events/" + file));
        }
        // Only the picture saver is bound.
        for (const QString& event : events::all()) {
            const bool saver = event == events::TakePicture || event == events::TakeRemotePicture;
            QCOMPARE(core.config().Vars().GetValueByName(event),
                     saver ? QStringLiteral("BildSpeichern.evn") : QString());
        }
    }

    void cameraConnectionsAreNotedInATextFile()
    {
        DeliveredFixture f;
        ApplicationCore& core = f.startDelivered();
        f.bind(events::DeviceConnect, "Kameraprotokoll.evn");
        for (const QString& name : {QStringLiteral("Kamera O'Neill"), QStringLiteral("Nikon D70")}) {
            core.CurrentDeviceName = name;
            core.FireEvent(events::DeviceConnect);
        }
        QVERIFY2(f.errors().isEmpty(), qPrintable(f.errors().join('\n')));
        const QStringList lines
            = QString::fromUtf8(f.folder.readFile("logs/kameras.txt")).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QRegularExpression line(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d  (.*?)\r?$)");
        QCOMPARE(line.match(lines[0]).captured(1), QStringLiteral("Kamera O'Neill"));
        QCOMPARE(line.match(lines[1]).captured(1), QStringLiteral("Nikon D70"));
    }

    void seriesPictureClosesTheProgramOnlyWhenAsked()
    {
        DeliveredFixture f;
        ApplicationCore& core = f.startDelivered();
        f.bind(events::TakeSeriesPicture, "SerieBeenden.evn");
        core.FireEvent(events::TakeSeriesPicture);
        QVERIFY(!core.CloseAfterAction());
        core.config().Vars().SetValueByName("BeendenNachSerie", "1");
        core.FireEvent(events::TakeSeriesPicture);
        QVERIFY(core.CloseAfterAction());
        QCOMPARE(f.timeline.entries, QStringList{"view:close"});
        QVERIFY(f.errors().isEmpty());
    }

    void savedPictureIsCopiedIntoAFolderOfTheDay()
    {
        DeliveredFixture f;
        ApplicationCore& core = f.startDelivered();
        f.bind(events::CreateThumbnail, "Tagesordner.evn");
        core.FireEvent(events::CreateThumbnail);  // nothing saved yet: nothing to copy
        QVERIFY(!QDir(f.folder.filePath("Tage")).exists());

        f.folder.writeFile("www/7_Image.jpg", "picture bytes");
        core.LastSavedFileName = f.folder.filePath("www/7_Image.jpg");
        core.FireEvent(events::CreateThumbnail);
        QVERIFY2(f.errors().isEmpty(), qPrintable(f.errors().join('\n')));
        const QStringList days = QDir(f.folder.filePath("Tage")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QCOMPARE(days.size(), 1);
        QVERIFY(QRegularExpression(R"(^\d{4}-\d\d-\d\d$)").match(days[0]).hasMatch());
        QCOMPARE(f.folder.readFile("Tage/" + days[0] + "/7_Image.jpg"), QByteArray("picture bytes"));

        // A folder that cannot be made is reported in the log.
        f.folder.writeFile("blockiert", "a file where the folder would be");
        core.config().Directorys().SetDirectory("Tagesordner", f.folder.filePath("blockiert/"));
        core.FireEvent(events::CreateThumbnail);
        QCOMPARE(f.errors().size(), 1);
        QVERIFY2(f.errors()[0].contains("kann nicht angelegt werden."), qPrintable(f.errors()[0]));
    }
};

QTEST_MAIN(DeliveredActionsTest)
#include "test_delivered_actions.moc"
