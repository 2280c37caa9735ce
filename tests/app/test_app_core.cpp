// The application core: start-up and shutdown order, the log window's rules, saving settings,
// switching language, the delete option and the poll timer.

#include "actions/event_names.h"
#include "app/core/poll_marks.h"
#include "app/core/program_info.h"
#include "app/core/window_drag.h"
#include "app_fixture.h"

#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

class AppCoreTest : public QObject {
    Q_OBJECT

private slots:
    void startUpRunsItsStepsInOrder()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder,
                    bindAction(f.folder, events::ConfigLoad, "ConfigLoad")
                        + bindAction(f.folder, events::StartShutterhand, "StartShutterhand"));
        ApplicationCore& core = f.create();
        f.runner.onRun = [&](const ActionRun&) {
            // By ConfigLoad the directories and the language table are complete.
            QCOMPARE(core.directory(QStringLiteral("Lang")), f.folder.path() + "Lang/");
            QCOMPARE(core.GetLangText(29), QStringLiteral("Auslösen"));
        };
        QVERIFY(core.start(f.view));
        QCOMPARE(f.timeline.entries,
                 (QStringList{"run:ConfigLoad", "view:place", "run:StartShutterhand", "view:languageMenu",
                              "view:applyLanguage"}));
        QCOMPARE(core.directory(QStringLiteral("WorkDir")), f.folder.path());
        QCOMPARE(core.config().Version(), GetFileVersionString());
        QVERIFY(core.pollTimer().isActive());
        QVERIFY(f.prompter.messages.isEmpty());
    }

    void shutdownRaisesEndShutterhandOnce()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder, bindAction(f.folder, events::EndShutterhand, "EndShutterhand"));
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        f.timeline.entries.clear();
        core.shutdown();
        core.shutdown();
        QCOMPARE(f.timeline.entries, QStringList{"run:EndShutterhand"});
        QVERIFY(!core.pollTimer().isActive());
    }

    void missingLanguageFileIsReportedOnceAndStartGoesOn()
    {
        CoreFixture f;
        writeVarDat(f.folder, "DefaultLang/:/String/:/fr\r\n" + bindAction(f.folder, events::StartShutterhand, "S"));
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        QCOMPARE(f.prompter.messages.size(), 1);
        QCOMPARE(f.prompter.messages[0].text,
                 QStringLiteral("Sprachdatei: \n%1Lang/fr.dat\nnicht gefunden.").arg(f.folder.path()));
        QCOMPARE(core.GetLangText(12), QString());
        QVERIFY(f.timeline.entries.contains("run:S"));
    }

    void unreadableSettingsStopTheStart()
    {
        CoreFixture f;
        QDir(f.folder.path()).mkpath(QStringLiteral("data/var.dat"));  // a folder where the file should be
        ApplicationCore& core = f.create();
        QVERIFY(!core.start(f.view));
        QCOMPARE(f.prompter.messages.size(), 1);
        QVERIFY(f.prompter.messages[0].text.contains(QStringLiteral("var.dat")));
        QVERIFY(f.timeline.entries.isEmpty());
    }

    void errorsOpenTheLogWindowAndNotesNeedItOpen()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder,
                    bindAction(f.folder, events::OpenLogWindow, "opened")
                        + bindAction(f.folder, events::CloseLogWindow, "closed"));
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        QSignalSpy opened(&core, &ApplicationCore::logWindowOpened);

        core.WriteLog(0, QStringLiteral("lost"));
        QVERIFY(!core.logBook().isOpen());
        QCOMPARE(opened.size(), 0);

        core.WriteLog(2, QStringLiteral("Fehler 1"));
        QVERIFY(core.logBook().isOpen());
        QCOMPARE(opened.size(), 1);
        QCOMPARE(f.timeline.runs(), QStringList{"run:opened"});
        const auto messages = [&] {
            QStringList texts;
            for (const LogEntry& entry : core.logBook().entries())
                texts.append(QString::number(entry.kind) + u' ' + entry.message);
            return texts;
        };
        // The notice of the OpenLogWindow action comes first, then the error that opened the window.
        QCOMPARE(messages(), (QStringList{"0 OpenLogWindow.evn wird ausgeführt.", "2 Fehler 1"}));
        QVERIFY(core.logBook().entries()[1].text().endsWith(QStringLiteral("   Fehler 1")));

        core.ToggleLogWindow();  // closed by the user
        QVERIFY(!core.logBook().isOpen());
        QCOMPARE(f.timeline.runs(), (QStringList{"run:opened", "run:closed"}));

        core.WriteLog(2, QStringLiteral("Fehler 2"));
        QCOMPARE(messages(), (QStringList{"0 OpenLogWindow.evn wird ausgeführt.", "2 Fehler 2"}));
    }

    void missingOpenLogWindowActionIsLoggedIntoTheFreshWindow()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder, "OpenLogWindow/:/Event/:/gone.evn\r\n");
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        core.WriteLog(2, QStringLiteral("Fehler"));
        QCOMPARE(core.logBook().entries().size(), 2);
        QCOMPARE(core.logBook().entries()[0].message, QStringLiteral("gone.evn nicht gefunden."));
        QCOMPARE(core.logBook().entries()[1].message, QStringLiteral("Fehler"));
    }

    void savingRaisesConfigSaveOnlyWhenWritten()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder, bindAction(f.folder, events::ConfigSave, "saved"));
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        core.config().Vars().SetValueByName(QStringLiteral("x"), QStringLiteral("1"));
        QVERIFY(core.SaveSystemVars().ok());
        QVERIFY(f.folder.readFile(QStringLiteral("data/var.dat")).endsWith("x/://:/1\r\n"));
        QCOMPARE(f.timeline.runs(), QStringList{"run:saved"});

        QDir(f.folder.filePath(QStringLiteral("data"))).removeRecursively();
        QVERIFY(!core.SaveSystemVars().ok());
        QCOMPARE(f.timeline.runs(), QStringList{"run:saved"});
    }

    void switchingLanguageSavesReloadsAndRelabels()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder);
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        const QList<LanguageChoice> choices = core.languageChoices();
        QCOMPARE(choices.size(), 2);
        QCOMPARE(choices[0].caption, QStringLiteral("Deutsch (de)"));
        QVERIFY(core.isCurrentLanguage(choices[0]));
        f.timeline.entries.clear();

        core.SelectLanguage(choices[0]);  // already chosen: nothing happens
        QVERIFY(f.timeline.entries.isEmpty());

        core.SelectLanguage(choices[1]);
        QCOMPARE(core.GetLangText(29), QStringLiteral("Release"));
        QCOMPARE(f.timeline.entries, QStringList{"view:applyLanguage"});
        QVERIFY(f.folder.readFile(QStringLiteral("data/var.dat")).startsWith("DefaultLang/:/String/:/en\r\n"));
        QVERIFY(core.isCurrentLanguage(choices[1]));
    }

    void languageFileThatCannotBeReadIsNotSaved()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder);
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        const LanguageChoice english = core.languageChoices().at(1);
        QFile::remove(english.path);
        core.SelectLanguage(english);
        QCOMPARE(f.prompter.messages.size(), 1);
        QCOMPARE(core.config().Vars().GetValueByName(QStringLiteral("DefaultLang")), QStringLiteral("de"));
        QCOMPARE(core.GetLangText(29), QStringLiteral("Auslösen"));
    }

    void deleteOptionAsksBeforeSwitchingOn()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder, "system_deleteimages/:/Boolean/:/1\r\n");
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        QVERIFY(core.deleteImagesChecked());

        core.ToggleDeleteImages();  // switching off asks nothing
        QVERIFY(!core.deleteImagesChecked());
        QVERIFY(f.prompter.questions.isEmpty());
        QVERIFY(f.folder.readFile(QStringLiteral("data/var.dat")).contains("system_deleteimages/:/Boolean/:/0\r\n"));

        core.ToggleDeleteImages();  // answered No
        QVERIFY(!core.deleteImagesChecked());
        QCOMPARE(f.prompter.questions.size(), 1);
        QVERIFY(f.prompter.questions[0].text.startsWith(QStringLiteral("Wenn diese Funktion aktiviert ist")));

        f.prompter.yesNoAnswers.enqueue(true);
        core.ToggleDeleteImages();
        QVERIFY(core.deleteImagesChecked());
        QVERIFY(f.folder.readFile(QStringLiteral("data/var.dat")).contains("system_deleteimages/:/Boolean/:/1\r\n"));
    }

    void pollTimerStartsTheWebServerOnlyAtTheFirstTick_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("starts");
        QTest::newRow("on") << QByteArray("StartWebserverOnStartup/:/Boolean/:/1\r\n") << 1;
        QTest::newRow("off") << QByteArray("StartWebserverOnStartup/:/Boolean/:/0\r\n") << 0;
        QTest::newRow("absent") << QByteArray() << 0;
        QTest::newRow("other text") << QByteArray("StartWebserverOnStartup/:/Boolean/:/true\r\n") << 0;
    }
    void pollTimerStartsTheWebServerOnlyAtTheFirstTick()
    {
        QFETCH(QByteArray, line);
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder, line);
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        QCOMPARE(core.pollTimer().interval(), 500);
        QTRY_VERIFY_WITH_TIMEOUT(!core.FirstTick, 3000);  // the first tick comes by itself
        QCOMPARE(core.pollTimer().interval(), 5000);
        QVERIFY(core.pollTimer().isActive());
        core.PollTick();
        core.PollTick();
        QTEST(f.webServer.starts, "starts");
        QCOMPARE(core.webserverChecked(), f.webServer.starts == 1);
    }

    void pollTickWithoutCameraHidesBatteryAndIso()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder);
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        QSignalSpy marks(&core, &ApplicationCore::pollMarksChanged);
        core.PollTick();
        QCOMPARE(marks.size(), 1);
        QCOMPARE(marks[0][0].value<PollMarks>(), PollMarks());
    }

    void batteryTable_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("icon");
        for (const auto& [value, icon] : QList<std::pair<int, int>>{
                 {100, 0}, {75, 0}, {74, 1}, {50, 1}, {49, 2}, {25, 2}, {24, 3}, {10, 3}, {9, 4}, {0, 4}})
            QTest::addRow("%d", value) << QString::number(value) << true << icon;
        QTest::newRow("not a number") << "Full" << false << 0;
        QTest::newRow("percent sign") << "85%" << false << 0;
    }
    void batteryTable()
    {
        QFETCH(QString, value);
        QFETCH(bool, shown);
        PollMarks marks;
        applyDeviceProperty(marks, QStringLiteral("Battery Status"), value);
        QCOMPARE(marks.battery, shown);
        QTEST(marks.batteryIcon, "icon");
        if (shown)
            QCOMPARE(marks.batteryHint, value + QStringLiteral("% Batterieleistung verfügbar"));
    }

    void isoProperty()
    {
        PollMarks marks;
        applyDeviceProperty(marks, QStringLiteral("Exposure Index"), QStringLiteral("400"));
        applyDeviceProperty(marks, QStringLiteral("Name"), QStringLiteral("Kamera"));
        QVERIFY(marks.iso);
        QCOMPARE(marks.isoText, QStringLiteral("ISO 400"));
        QVERIFY(!marks.battery);
    }

    void windowDragStartsOnlyInTheTopStrip()
    {
        WindowDrag drag;
        QVERIFY(!drag.press({50, 20}));
        QVERIFY(!drag.release());
        QVERIFY(drag.press({50, 19}));
        QVERIFY(!drag.release());  // pressed and released without moving
        QVERIFY(drag.press({50, 5}));
        QCOMPARE(drag.move({70, 8}), QPoint(20, 3));
        QVERIFY(drag.release());
        QVERIFY(!drag.release());
    }

    void actionThatAsksToCloseClosesAfterItsRun()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder, bindAction(f.folder, events::ConfigSave, "Application.close;"));
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        f.runner.onRun = [&](const ActionRun&) { core.SetCloseAfterAction(true); };
        f.timeline.entries.clear();
        QVERIFY(core.SaveSystemVars().ok());
        QCOMPARE(f.timeline.entries, (QStringList{"run:Application.close;", "view:close"}));
    }

    void helpAndWebsiteOpenInTheDesktopsBrowser()
    {
        CoreFixture f;
        writeLanguageFiles(f.folder);
        writeVarDat(f.folder);
        ApplicationCore& core = f.create();
        QVERIFY(core.start(f.view));
        core.OpenHelp();
        core.OpenWebsite();
        QCOMPARE(f.desktop.opened,
                 (QList<QUrl>{QUrl::fromLocalFile(f.folder.path() + "help/shutterhand.html"), QUrl(kProductWebsite)}));
    }

    void infoPanel()
    {
        CoreFixture f;
        ApplicationCore& core = f.create();
        core.ShowInfoPanel(QStringLiteral("Neue Updates"), QStringLiteral(" update "));
        QVERIFY(core.infoPanelVisible());
        QCOMPARE(core.InfoAction, QStringLiteral(" update "));
        core.HideInfoPanel();
        QVERIFY(!core.infoPanelVisible());
        QCOMPARE(core.infoText(), QString());
        QCOMPARE(core.InfoAction, QStringLiteral(" update "));
        core.ShowInfoPanel(QStringLiteral("x"), QStringLiteral("y"));
        core.CloseInfoPanel();
        QCOMPARE(core.InfoAction, QString());
    }
};

QTEST_GUILESS_MAIN(AppCoreTest)
#include "test_app_core.moc"
