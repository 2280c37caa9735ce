// The actions editor: listing, editing, checking, jumping to an error and saving.

#include "actions/photo_event.h"
#include "actions/widgets/actions_editor.h"
#include "support/program_folder.h"
#include "support/scripted_prompter.h"

#include <Qsci/qsciscintilla.h>

#include <QLabel>
#include <QListWidget>
#include <QTreeWidget>
#include <QtTest>

using namespace shutterhand;

namespace {

const LangText kLang = [](int id) { return QStringLiteral("#%1").arg(id); };

void writeAction(const test::ProgramFolder& folder, const QString& file, const QString& name, const QString& code)
{
    TPhotoEvent action;
    action.Name = name;
    action.Description = QStringLiteral("Beschreibung von ") + name;
    action.Code = code;
    action.SetFileName(folder.filePath(QStringLiteral("Events/") + file));
    if (!action.WriteToFile().ok())
        qFatal("cannot write");
}

// A checker that fails on code containing "Foo" with one message pointing at it.
struct FakeCheck {
    QStringList checked;
    bool operator()(const QString& code, QStringList& messages)
    {
        checked.append(code);
        const qsizetype at = code.indexOf(QStringLiteral("Foo"));
        if (at < 0)
            return true;
        messages.append(QStringLiteral("[Error] (2:3): Unknown identifier 'Foo'"));
        return false;
    }
};

struct EditorFixture {
    test::ProgramFolder folder;
    test::ScriptedPrompter prompter;
    FakeCheck checker;
    std::unique_ptr<TFormAktionen> editor;
    TVarContainer vars;
    QStringList unreadable;

    TFormAktionen& open()
    {
        editor = std::make_unique<TFormAktionen>(
            kLang, prompter, [this](const QString& code, QStringList& messages) { return checker(code, messages); });
        unreadable = editor->load(folder.filePath(QStringLiteral("Events")), vars);
        return *editor;
    }
};

}  // namespace

class ActionsEditorTest : public QObject {
    Q_OBJECT

private slots:
    void listsActionsSortedAndShowsTheFirst()
    {
        EditorFixture f;
        writeAction(f.folder, "b.evn", "zeta", "begin end.");
        writeAction(f.folder, "a.evn", "Alpha", "begin\r\n  ShowMessage('a');\r\nend.");
        writeAction(f.folder, "c.evn", "alpha", "begin end.");  // the same name twice is fine
        f.folder.writeFile("Events/broken.evn", "<xml><code>");
        f.folder.writeFile("Events/notes.txt", "x");
        f.vars.SetValueByName(QStringLiteral("TakePicture"), QStringLiteral("a.evn"));
        f.vars.SetValueByName(QStringLiteral("ConfigLoad"), QStringLiteral("a.evn"));
        TFormAktionen& editor = f.open();

        QCOMPARE(editor.list()->topLevelItemCount(), 3);
        QCOMPARE(editor.list()->topLevelItem(0)->text(0), QStringLiteral("Alpha"));
        QCOMPARE(editor.list()->topLevelItem(1)->text(0), QStringLiteral("alpha"));
        QCOMPARE(editor.list()->topLevelItem(2)->text(0), QStringLiteral("zeta"));
        QCOMPARE(f.unreadable.size(), 1);
        QVERIFY(f.unreadable[0].startsWith(QStringLiteral("broken.evn: ")));

        QCOMPARE(editor.list()->currentItem(), editor.list()->topLevelItem(0));
        QCOMPARE(editor.findChild<QLabel*>("LabelBeschreibung")->text(), QStringLiteral("Beschreibung von Alpha"));
        QCOMPARE(editor.findChild<QLabel*>("LabelEreignisse")->text(),
                 QStringLiteral("Gebunden an: ConfigLoad, TakePicture"));
        QVERIFY(editor.editor()->text().contains(QStringLiteral("ShowMessage('a');")));
    }

    void emptyFolderGivesAnEmptyEditorThatStillChecks()
    {
        EditorFixture f;
        TFormAktionen& editor = f.open();
        QCOMPARE(editor.list()->topLevelItemCount(), 0);
        QCOMPARE(editor.editor()->text(), QString());
        editor.check();
        QCOMPARE(f.checker.checked, QStringList{QString()});
        QVERIFY(!editor.errorPanelVisible());
    }

    void editsStayWithTheirActionUntilSaved()
    {
        EditorFixture f;
        writeAction(f.folder, "a.evn", "A", "begin end.");
        writeAction(f.folder, "b.evn", "B", "begin end.");
        TFormAktionen& editor = f.open();
        editor.editor()->setText(QStringLiteral("begin\n  x := 1;\nend."));
        editor.list()->setCurrentItem(editor.list()->topLevelItem(1));
        QCOMPARE(editor.editor()->text(), QStringLiteral("begin end."));
        editor.list()->setCurrentItem(editor.list()->topLevelItem(0));
        QCOMPARE(editor.editor()->text(), QStringLiteral("begin\r\n  x := 1;\r\nend."));

        QVERIFY(editor.SaveAll().isEmpty());
        TPhotoEvent read;
        QVERIFY(read.LoadFromBytes(f.folder.readFile("Events/a.evn")).ok());
        QCOMPARE(read.Code, QStringLiteral("begin\n  x := 1;\nend."));
    }

    void checkShowsErrorsAndOkStaysOpenUntilTheyAreGone()
    {
        EditorFixture f;
        writeAction(f.folder, "a.evn", "A", "begin\r\n  Foo;\r\nend.");
        TFormAktionen& editor = f.open();
        editor.show();
        QMetaObject::invokeMethod(&editor, "accept");
        QVERIFY(editor.isVisible());
        QVERIFY(editor.errorPanelVisible());
        QCOMPARE(editor.errorList()->count(), 1);

        // A double-click on the message selects the word at its row and column.
        editor.jumpToMessage(editor.errorList()->item(0)->text());
        int line = 0;
        int index = 0;
        editor.editor()->getCursorPosition(&line, &index);
        QCOMPARE(line, 1);
        QCOMPARE(editor.editor()->selectedText(), QStringLiteral("Foo"));
        editor.jumpToMessage(QStringLiteral("no position here"));  // nothing happens
        editor.jumpToMessage(QStringLiteral("[Error] (99:1): past the end"));

        editor.editor()->setText(QStringLiteral("begin\r\n  Bar;\r\nend."));
        QMetaObject::invokeMethod(&editor, "accept");
        QVERIFY(!editor.errorPanelVisible());
        QCOMPARE(editor.result(), int(QDialog::Accepted));
    }

    void saveAllRewritesEveryActionInTheSixLineForm()
    {
        EditorFixture f;
        f.folder.writeFile("Events/hand.evn", "<xml>\n  <code>begin end.</code>\n  <name>Hand</name>\n</xml>\n");
        writeAction(f.folder, "b.evn", "B", "begin end.");
        TFormAktionen& editor = f.open();
        QVERIFY(editor.SaveAll().isEmpty());
        const QByteArray hand = f.folder.readFile("Events/hand.evn");
        QVERIFY(
            hand.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<xml>\r\n<name><![CDATA[Hand]]></name>"));
        QCOMPARE(hand.count("\r\n"), 6);
    }

    void newActionIsWrittenAtOnceUnderAFileNameMadeFromItsName()
    {
        EditorFixture f;
        writeAction(f.folder, "Bilder_sichern.evn", "alt", "begin end.");
        TFormAktionen& editor = f.open();
        QVERIFY(editor.addNewAction(QStringLiteral("Bilder sichern"), QStringLiteral("Neu")));
        const QString expected = f.folder.filePath("Events/Bilder_sichern_2.evn");
        QVERIFY(QFile::exists(expected));
        QCOMPARE(editor.list()->currentItem()->text(0), QStringLiteral("Bilder sichern"));
        QCOMPARE(editor.actions().back().FileName, expected);
    }

    void fileNamesForNewActions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("file");
        QTest::newRow("blanks") << "Jede Aufnahme"
                                << "Jede_Aufnahme.evn";
        QTest::newRow("umlauts") << "Größe ändern"
                                 << "Groesse_aendern.evn";
        QTest::newRow("path characters") << "../a/b"
                                         << "___a_b.evn";
        QTest::newRow("nothing usable") << "  "
                                        << "Aktion.evn";
    }
    void fileNamesForNewActions()
    {
        QFETCH(QString, name);
        test::ProgramFolder folder;
        QTEST(TFormAktionen::fileNameFor(folder.filePath("Events/"), name), "file");
    }
};

QTEST_MAIN(ActionsEditorTest)
#include "test_actions_editor.moc"
