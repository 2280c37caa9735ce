// The main window on the offscreen platform: captions, language switch, log window, dragging and the
// system variables dialog.

#include "actions/event_names.h"
#include "app/widgets/about_dialog.h"
#include "app/widgets/log_window.h"
#include "app/widgets/main_window.h"
#include "app_fixture.h"
#include "config/widgets/system_vars_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

struct WindowFixture : CoreFixture {
    std::unique_ptr<MainWindow> window;

    MainWindow& open(const QByteArray& extraVars = {})
    {
        writeLanguageFiles(folder);
        writeVarDat(folder, extraVars);
        create();
        window = std::make_unique<MainWindow>(*core, prompter);
        if (!window->startUp())
            qFatal("start-up failed");
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("window not shown");
        return *window;
    }

    template <typename T> T* child(const char* name) const
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("no child %s", name);
        return found;
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void showsTheFramelessWindowWithItsCaptions()
    {
        WindowFixture f;
        MainWindow& window = f.open();
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(window.size(), QSize(433, 502));
        QCOMPARE(window.windowTitle(), QStringLiteral("Shutter Hand V1.0"));
        QCOMPARE(f.child<QPushButton>("BitBtn1")->text(), QStringLiteral("Auslösen"));
        QVERIFY(!f.child<QPushButton>("BitBtn1")->isEnabled());
        QVERIFY(!f.child<QPushButton>("BitBtn2")->isEnabled());
        auto* cameras = f.child<QComboBox>("ComboBox1");
        QVERIFY(!cameras->isEnabled());
        QCOMPARE(cameras->count(), 1);
        QCOMPARE(cameras->currentText(), QStringLiteral("Keine Kamera gefunden"));
        QCOMPARE(f.child<QAction>("ActionBeenden")->text(), QStringLiteral("B&eenden"));
        // A number the language file lacks gives an empty caption.
        QCOMPARE(f.child<QAction>("ActionSystemvariablen")->text(), QString());
        // Entries the language table does not set keep their own texts.
        QCOMPARE(f.child<QAction>("ActionHilfe")->text(), QStringLiteral("Hilfe öffnen"));
        QVERIFY(!f.child<QWidget>("PanelInfo")->isVisible());
        QVERIFY(!f.child<QWidget>("ImageBattarie")->isVisible());
        QVERIFY(!f.child<QWidget>("LabelISO")->isVisible());
    }

    void languageMenuSwitchesAndMovesTheCheckMark()
    {
        WindowFixture f;
        MainWindow& window = f.open();
        const QList<QAction*> languages = window.languageMenu()->actions();
        QCOMPARE(languages.size(), 2);
        QCOMPARE(languages[0]->text(), QStringLiteral("Deutsch (de)"));
        QVERIFY(languages[0]->isChecked());
        QVERIFY(!languages[1]->isChecked());

        languages[0]->trigger();  // the checked language: nothing happens, it stays checked
        QVERIFY(languages[0]->isChecked());
        QVERIFY(f.folder.readFile("data/var.dat").startsWith("DefaultLang/:/String/:/de\r\n"));

        languages[1]->trigger();
        QCOMPARE(f.child<QPushButton>("BitBtn1")->text(), QStringLiteral("Release"));
        QCOMPARE(f.child<QComboBox>("ComboBox1")->currentText(), QStringLiteral("No camera found"));
        QVERIFY(!languages[0]->isChecked());
        QVERIFY(languages[1]->isChecked());
        QVERIFY(f.folder.readFile("data/var.dat").startsWith("DefaultLang/:/String/:/en\r\n"));
    }

    void errorsOpenTheLogWindowWhichStartsEmptyEachTime()
    {
        WindowFixture f;
        f.open(bindAction(f.folder, events::CloseLogWindow, "closed"));
        auto* logEntry = f.child<QAction>("ActionLogfenster");

        f.core->WriteLog(0, QStringLiteral("dropped"));
        QVERIFY(!f.window->logWindow());
        f.core->WriteLog(2, QStringLiteral("erster Fehler"));
        f.core->WriteLog(0, QStringLiteral("Hinweis"));
        TFormLogfenster* log = f.window->logWindow();
        QVERIFY(log && log->isVisible());
        QVERIFY(logEntry->isChecked());
        QCOMPARE(log->windowTitle(), QStringLiteral("Hinweise"));
        QListWidget* lines = log->lines();
        QCOMPARE(lines->count(), 2);
        QVERIFY(lines->item(0)->text().endsWith(QStringLiteral("   erster Fehler")));
        QCOMPARE(lines->item(0)->foreground().color(), QColor(255, 0, 0));
        QCOMPARE(lines->item(1)->foreground().color(), QColor(128, 128, 128));
        QCOMPARE(lines->visualItemRect(lines->item(1)).top() - lines->visualItemRect(lines->item(0)).top(), 18);

        log->close();  // the window's own close box
        QTRY_VERIFY(!f.window->logWindow());
        QVERIFY(!logEntry->isChecked());
        QCOMPARE(f.timeline.runs(), QStringList{"run:closed"});

        f.core->WriteLog(2, QStringLiteral("zweiter Fehler"));
        QVERIFY(f.window->logWindow());
        QCOMPARE(f.window->logWindow()->lines()->count(), 1);

        logEntry->trigger();  // the menu entry closes it too
        QTRY_VERIFY(!f.window->logWindow());
        QCOMPARE(f.timeline.runs(), (QStringList{"run:closed", "run:closed"}));
    }

    void draggingTheTopStripMovesTheWindow()
    {
        WindowFixture f;
        MainWindow& window = f.open(bindAction(f.folder, events::ApplicationMove, "moved"));
        window.move(100, 100);
        const QPoint start = window.pos();

        QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(300, 10));
        QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(300, 10));
        QVERIFY(f.timeline.runs().isEmpty());  // pressed and let go without moving

        QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(300, 20));
        QTest::mouseMove(&window, QPoint(340, 30));
        QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(340, 30));
        QCOMPARE(window.pos(), start);  // below the strip nothing moves
        QVERIFY(f.timeline.runs().isEmpty());

        QTest::mousePress(&window, Qt::LeftButton, {}, QPoint(300, 19));
        QMouseEvent move(QEvent::MouseMove, QPointF(330, 29), window.mapToGlobal(QPointF(330, 29)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &move);
        QCOMPARE(window.pos(), start + QPoint(30, 10));
        QTest::mouseRelease(&window, Qt::LeftButton, {}, QPoint(300, 19));
        QCOMPARE(f.timeline.runs(), QStringList{"run:moved"});
    }

    void systemVariablesDialogStoresAndSavesOnOk()
    {
        WindowFixture f;
        f.open("zzz/:/String/:/last\r\nUpdateVer/:/Hidden/:/2026\r\n"
               + bindAction(f.folder, events::ConfigSave, "saved"));
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<TFormSystemVars*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->accept();
        });
        f.window->openSystemVarsDialog();
        const QByteArray saved = f.folder.readFile("data/var.dat");
        // Rewritten in name order with the hidden variable last, and ConfigSave raised.
        QVERIFY2(saved.startsWith("ConfigSave/:/Event/:/ConfigSave.evn\r\nData/:/"), saved.constData());
        QVERIFY(saved.endsWith("zzz/:/String/:/last\r\nUpdateVer/:/Hidden/:/2026\r\n"));
        QCOMPARE(f.timeline.runs(), QStringList{"run:saved"});

        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        f.window->openSystemVarsDialog();  // "Abbrechen" changes nothing
        QCOMPARE(f.timeline.runs(), QStringList{"run:saved"});
    }

    void aboutDialogShowsVersionAndLastUpdate()
    {
        WindowFixture f;
        f.open("UpdateVer/:/Hidden/:/05.12.2026\r\n");
        QTimer::singleShot(0, [] {
            auto* about = qobject_cast<TFormInfo*>(QApplication::activeModalWidget());
            QVERIFY(about);
            QVERIFY(about->findChild<QLabel*>("LabelHeading")->text().startsWith(QStringLiteral("Shutterhand V1.")));
            QCOMPARE(about->findChild<QLabel*>("LabelUpdate")->text(), QStringLiteral("05.12.2026"));
            QCOMPARE(about->findChild<QPushButton*>("ButtonClose")->text(), QStringLiteral("Schließen"));
            about->accept();
        });
        f.window->openAboutDialog();
    }

    void pollMarksShowBatteryAndIso()
    {
        WindowFixture f;
        f.open();
        PollMarks marks;
        applyDeviceProperty(marks, QStringLiteral("Battery Status"), QStringLiteral("42"));
        applyDeviceProperty(marks, QStringLiteral("Exposure Index"), QStringLiteral("800"));
        emit f.core->pollMarksChanged(marks);
        QVERIFY(f.child<QLabel>("ImageBattarie")->isVisible());
        QCOMPARE(f.child<QLabel>("ImageBattarie")->toolTip(), QStringLiteral("42% Batterieleistung verfügbar"));
        QVERIFY(f.child<QLabel>("LabelISO")->isVisible());
        QCOMPARE(f.child<QLabel>("LabelISO")->text(), QStringLiteral("ISO 800"));
        f.core->PollTick();  // no camera: both hidden again
        QVERIFY(!f.child<QLabel>("ImageBattarie")->isVisible());
        QVERIFY(!f.child<QLabel>("LabelISO")->isVisible());
    }

    void closingRaisesEndShutterhand()
    {
        WindowFixture f;
        f.open(bindAction(f.folder, events::EndShutterhand, "end"));
        f.core->WriteLog(2, QStringLiteral("offen"));
        f.window->close();
        QCOMPARE(f.timeline.runs(), QStringList{"run:end"});  // the log window goes silently
        QVERIFY(f.core->isShutDown());
    }
};

QTEST_MAIN(MainWindowTest)
#include "test_main_window.moc"
