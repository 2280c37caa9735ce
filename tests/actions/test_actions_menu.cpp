// "Aktionen..." in the main window: the actions editor opened from the menu with the script runner's
// check, unreadable files reported, every action written back on OK, nothing on "Abbrechen", and
// failures of the writing reported.

#include "actions/photo_event.h"
#include "actions/script/interpreter.h"
#include "actions/script/script_action_runner.h"
#include "actions/widgets/actions_editor.h"
#include "app/app_fixture.h"
#include "app/widgets/main_window.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace shutterhand;
using namespace shutterhand::test;

namespace {

struct MenuFixture {
    ProgramFolder folder;
    ScriptedPrompter prompter;
    FakeDesktop desktop;
    std::unique_ptr<ApplicationCore> core;
    std::unique_ptr<ScriptActionRunner> runner;
    std::unique_ptr<MainWindow> window;

    MainWindow& open()
    {
        writeLanguageFiles(folder);
        writeVarDat(folder);
        core = std::make_unique<ApplicationCore>(folder.path(), prompter, desktop);
        runner = std::make_unique<ScriptActionRunner>(*core);
        core->setActionRunner(runner.get());
        window = std::make_unique<MainWindow>(*core, prompter);
        if (!window->startUp())
            qFatal("start-up failed");
        return *window;
    }

    QAction* entry() const { return window->findChild<QAction*>("ActionAktionen"); }

    void enableEditor()
    {
        window->setScriptCheck(
            [this](const QString& code, QStringList& messages) { return CheckScript(*core, code, messages); });
    }

    // Opens the editor from the menu; `work` runs while it is shown.
    void openEditor(const std::function<void(TFormAktionen&)>& work)
    {
        bool shown = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<TFormAktionen*>(QApplication::activeModalWidget());
            QVERIFY(editor);
            shown = true;
            work(*editor);
            if (editor->isVisible())
                editor->reject();
        });
        entry()->trigger();
        QVERIFY(shown);
    }

    void writeAction(const QString& file, const QString& name, const QString& code) const
    {
        TPhotoEvent action;
        action.Name = name;
        action.Code = code;
        action.SetFileName(folder.filePath("Events/" + file));
        if (!action.WriteToFile().ok())
            qFatal("cannot write the action");
    }

    QString codeOf(const QString& file) const
    {
        TPhotoEvent action;
        if (!action.LoadFromBytes(folder.readFile("Events/" + file)).ok())
            qFatal("cannot read the action");
        return action.Code;
    }
};

void selectByName(TFormAktionen& editor, const QString& name)
{
    for (int i = 0; i < editor.list()->topLevelItemCount(); ++i) {
        if (editor.list()->topLevelItem(i)->text(0) == name)
            editor.list()->setCurrentItem(editor.list()->topLevelItem(i));
    }
}

}  // namespace

class ActionsMenuTest : public QObject {
    Q_OBJECT

private slots:
    void entryWaitsForTheScriptCheck()
    {
        MenuFixture f;
        f.open();
        QVERIFY(!f.entry()->isEnabled());
        f.enableEditor();
        QVERIFY(f.entry()->isEnabled());
    }

    void okChecksWithTheRunnerAndWritesEveryAction()
    {
        MenuFixture f;
        f.open();
        f.enableEditor();
        f.writeAction("a.evn", "Alpha", "begin\r\n  ShowMessage($DeviceName);\r\nend.");
        const QString broken = "begin\r\n  ShowMessage($Filename + Foo);\r\nend.";
        f.writeAction("b.evn", "Beta", broken);
        f.folder.writeFile("Events/hand.evn", "<xml>\n  <code>begin end.</code>\n  <name>Hand</name>\n</xml>\n");
        f.folder.writeFile("Events/kaputt.evn", "<xml><code>");
        const QByteArray kaputt = f.folder.readFile("Events/kaputt.evn");

        f.openEditor([&](TFormAktionen& editor) {
            QCOMPARE(editor.list()->topLevelItemCount(), 3);
            // The code is judged as it runs: $DeviceName and $Filename are strings, and the columns of the
            // messages are those of the text in the editor.
            selectByName(editor, "Alpha");
            editor.check();
            QVERIFY(!editor.errorPanelVisible());
            selectByName(editor, "Beta");
            QMetaObject::invokeMethod(&editor, "accept");
            QVERIFY(editor.errorPanelVisible());
            const int column = int(broken.split("\r\n")[1].indexOf("Foo")) + 1;
            QCOMPARE(editor.errorList()->item(0)->text(),
                     QStringLiteral("[Error] (2:%1): Unknown identifier 'Foo'").arg(column));
            editor.jumpToMessage(editor.errorList()->item(0)->text());
            QCOMPARE(editor.editor()->selectedText(), QStringLiteral("Foo"));
            editor.editor()->replaceSelectedText(QStringLiteral("'!'"));
            QMetaObject::invokeMethod(&editor, "accept");
            QVERIFY(!editor.errorPanelVisible());
            QCOMPARE(editor.result(), int(QDialog::Accepted));
        });

        // The warning about the unreadable file came first; the file itself is left alone.
        QCOMPARE(f.prompter.messages.size(), 1);
        QCOMPARE(f.prompter.messages[0].icon, Prompter::Icon::Warning);
        QVERIFY(f.prompter.messages[0].text.contains("kaputt.evn: "));
        QCOMPARE(f.folder.readFile("Events/kaputt.evn"), kaputt);
        // Every listed action is written back in the program's own form.
        QCOMPARE(f.codeOf("b.evn"), QStringLiteral("begin\n  ShowMessage($Filename + '!');\nend."));
        QVERIFY(f.folder.readFile("Events/hand.evn").startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    }

    void cancelWritesNothingAndWriteFailuresAreReported()
    {
        MenuFixture f;
        f.open();
        f.enableEditor();
        f.writeAction("a.evn", "Alpha", "begin end.");
        f.writeAction("b.evn", "Beta", "begin end.");
        const QByteArray before = f.folder.readFile("Events/a.evn");
        f.openEditor([](TFormAktionen& editor) {
            editor.editor()->setText(QStringLiteral("begin ShowMessage('x'); end."));
            editor.reject();
        });
        QCOMPARE(f.folder.readFile("Events/a.evn"), before);
        QVERIFY(f.prompter.messages.isEmpty());

        f.openEditor([&](TFormAktionen& editor) {
            // A folder now stands where an action file was: that file cannot be replaced.
            QVERIFY(QFile::remove(f.folder.filePath("Events/a.evn")));
            QVERIFY(QDir().mkpath(f.folder.filePath("Events/a.evn")));
            QMetaObject::invokeMethod(&editor, "accept");
            QCOMPARE(editor.result(), int(QDialog::Accepted));
        });
        QCOMPARE(f.prompter.messages.size(), 1);
        QCOMPARE(f.prompter.messages[0].icon, Prompter::Icon::Error);
        QVERIFY2(f.prompter.messages[0].text.contains("a.evn"), qPrintable(f.prompter.messages[0].text));
        QVERIFY(QFileInfo(f.folder.filePath("Events/b.evn")).isFile());
    }
};

QTEST_MAIN(ActionsMenuTest)
#include "test_actions_menu.moc"
