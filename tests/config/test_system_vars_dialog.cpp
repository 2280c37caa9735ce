// The system variables dialog and the value editor: what they show, what OK stores.

#include "config/var_file.h"
#include "config/widgets/system_vars_dialog.h"
#include "config/widgets/value_editor_dialog.h"
#include "support/scripted_prompter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

using namespace shutterhand;

namespace {

const LangText kLang = [](int id) { return QStringLiteral("#%1").arg(id); };

TVarContainer varsOf(const QList<TVar>& list)
{
    TVarContainer vars;
    for (const TVar& var : list)
        vars.InitValueByName(var.Name, var.VarType, var.Value);
    return vars;
}

QStringList rows(const TFormSystemVars& dialog)
{
    QStringList texts;
    for (int i = 0; i < dialog.list()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = dialog.list()->topLevelItem(i);
        texts.append(row->text(0) + u'|' + row->text(1) + u'|' + row->text(2));
    }
    return texts;
}

// Answers the next modal dialog: lets `edit` fill it in, then accepts it.
void answerNextDialog(std::function<void(TFormVar&)> edit)
{
    QTimer::singleShot(0, [edit] {
        auto* editor = qobject_cast<TFormVar*>(QApplication::activeModalWidget());
        QVERIFY(editor);
        edit(*editor);
        editor->accept();
    });
}

}  // namespace

class SystemVarsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void showsSortedRowsAndKeepsHiddenAside()
    {
        test::ScriptedPrompter prompter;
        TFormSystemVars dialog(kLang, prompter);
        TVarContainer vars = varsOf({{"zeta", "String", "z"},
                                     {"UpdateVer", "hidden", "2026-01-01"},
                                     {"alpha", "Boolean", "1"},
                                     {"beta", "BOOLEAN", "yes"},
                                     {"Gamma", "", "untyped"}});
        dialog.load(vars);
        QCOMPARE(rows(dialog),
                 (QStringList{"alpha|Boolean|True", "beta|BOOLEAN|False", "Gamma||untyped", "zeta|String|z"}));
        dialog.Store(vars);
        // Name order, Booleans as 1/0, the hidden variable at the end with its type spelt "Hidden".
        QCOMPARE(vars.entries(),
                 (QList<TVar>{{"alpha", "Boolean", "1"},
                              {"beta", "BOOLEAN", "0"},
                              {"Gamma", "", "untyped"},
                              {"zeta", "String", "z"},
                              {"UpdateVer", "Hidden", "2026-01-01"}}));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("#78"));
    }

    void editingARowWritesItBack()
    {
        test::ScriptedPrompter prompter;
        TFormSystemVars dialog(kLang, prompter);
        TVarContainer vars = varsOf({{"a", "String", "1"}, {"b", "", "x"}});
        dialog.load(vars);
        dialog.list()->setCurrentItem(dialog.list()->topLevelItem(1));
        answerNextDialog([](TFormVar& editor) {
            // An unknown type leaves the type list without a selection and the value in the text field.
            QCOMPARE(editor.editedType(), QString());
            QCOMPARE(editor.editedValue(), QStringLiteral("x"));
            editor.findChild<QLineEdit*>(QStringLiteral("EditValue"))->setText(QStringLiteral("y"));
        });
        dialog.editSelected();
        QCOMPARE(rows(dialog), (QStringList{"a|String|1", "b||y"}));
        dialog.Store(vars);
        QCOMPARE(vars.GetValueByID(1), (TVar{"b", "", "y"}));
    }

    void newValueIsAddedAndSelected()
    {
        test::ScriptedPrompter prompter;
        TFormSystemVars dialog(kLang, prompter);
        dialog.load(varsOf({{"m", "String", "1"}}));
        answerNextDialog([](TFormVar& editor) { editor.preset(QStringLiteral("ScriptTimeout"), "Integer", "60"); });
        dialog.addValue();
        QCOMPARE(rows(dialog), (QStringList{"m|String|1", "ScriptTimeout|Integer|60"}));
        QCOMPARE(dialog.list()->currentItem()->text(0), QStringLiteral("ScriptTimeout"));
    }

    void deletingAsksFirst()
    {
        test::ScriptedPrompter prompter;
        TFormSystemVars dialog(kLang, prompter);
        TVarContainer vars = varsOf({{"a", "String", "1"}, {"b", "String", "2"}});
        dialog.load(vars);
        dialog.deleteSelected();  // nothing selected: nothing asked
        QVERIFY(prompter.questions.isEmpty());
        dialog.list()->setCurrentItem(dialog.list()->topLevelItem(0));
        dialog.deleteSelected();  // answered No
        QCOMPARE(prompter.questions.size(), 1);
        QCOMPARE(prompter.questions[0].text,
                 QStringLiteral("Sind Sie sicher das Sie den ausgewählten Wert löschen möchten?"));
        prompter.yesNoAnswers.enqueue(true);
        dialog.deleteSelected();
        dialog.Store(vars);
        QCOMPARE(vars.entries(), (QList<TVar>{{"b", "String", "2"}}));
    }

    void valueEditorPresetsByType_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("editedType");
        QTest::addColumn<QString>("editedValue");
        QTest::addColumn<bool>("booleanList");
        QTest::newRow("boolean true") << "boolean"
                                      << "true"
                                      << "Boolean"
                                      << "True" << true;
        QTest::newRow("boolean unknown value") << "Boolean"
                                               << "yes"
                                               << "Boolean"
                                               << "" << true;
        QTest::newRow("integer") << "INTEGER"
                                 << "60"
                                 << "Integer"
                                 << "60" << false;
        QTest::newRow("unknown type") << "Hidden"
                                      << "v"
                                      << ""
                                      << "v" << false;
    }
    void valueEditorPresetsByType()
    {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(bool, booleanList);
        test::ScriptedPrompter prompter;
        TFormVar editor(kLang, prompter);
        editor.preset(QStringLiteral("n"), type, value);
        editor.show();
        QTEST(editor.editedType(), "editedType");
        QTEST(editor.editedValue(), "editedValue");
        QCOMPARE(editor.findChild<QComboBox*>(QStringLiteral("ComboBoxBoolean"))->isVisible(), booleanList);
        QCOMPARE(editor.findChild<QLineEdit*>(QStringLiteral("EditValue"))->isVisible(), !booleanList);
    }

    void changingTheTypeEmptiesTheValue()
    {
        test::ScriptedPrompter prompter;
        TFormVar editor(kLang, prompter);
        editor.preset(QStringLiteral("n"), QStringLiteral("String"), QStringLiteral("text"));
        editor.findChild<QComboBox*>(QStringLiteral("ComboBoxType"))->setCurrentText(QStringLiteral("Integer"));
        QCOMPARE(editor.editedValue(), QString());
    }

    void integerFieldTakesOnlyTypedDigits()
    {
        test::ScriptedPrompter prompter;
        TFormVar editor(kLang, prompter);
        editor.preset(QStringLiteral("n"), QStringLiteral("Integer"), QString());
        editor.show();
        auto* field = editor.findChild<QLineEdit*>(QStringLiteral("EditValue"));
        QTest::keyClicks(field, QStringLiteral("1a2-3 4"));
        QCOMPARE(field->text(), QStringLiteral("1234"));
        QTest::keyClick(field, Qt::Key_Backspace);  // editing keys still work
        QCOMPARE(field->text(), QStringLiteral("123"));
        field->setText(QStringLiteral("x9"));  // only typing is filtered; nothing checks the value
        QCOMPARE(editor.editedValue(), QStringLiteral("x9"));

        editor.preset(QStringLiteral("n"), QStringLiteral("String"), QString());
        QTest::keyClicks(field, QStringLiteral("a1"));
        QCOMPARE(field->text(), QStringLiteral("a1"));
    }

    void folderChooserGivesADirectoryWithSlash()
    {
        test::ScriptedPrompter prompter;
        prompter.pathAnswers.enqueue(QStringLiteral("/home/foto/Bilder"));
        TFormVar editor(kLang, prompter);
        editor.preset(QStringLiteral("Images"), QStringLiteral("Directory"), QStringLiteral("/old/"));
        editor.show();
        auto* choose = editor.findChild<QPushButton*>(QStringLiteral("ButtonChooseFolder"));
        QVERIFY(choose->isVisible());
        choose->click();
        QCOMPARE(editor.editedValue(), QStringLiteral("/home/foto/Bilder/"));
        choose->click();  // cancelled: the value stays
        QCOMPARE(editor.editedValue(), QStringLiteral("/home/foto/Bilder/"));
    }
};

QTEST_MAIN(SystemVarsDialogTest)
#include "test_system_vars_dialog.moc"
