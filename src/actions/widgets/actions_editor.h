#pragma once

#include "actions/photo_event.h"
#include "common/lang_text.h"
#include "common/prompter.h"
#include "config/system_config.h"

#include <QDialog>

#include <functional>
#include <vector>

class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSplitter;
class QTreeWidget;
class QsciScintilla;

namespace shutterhand {

// Compiles code without running it; false with the compiler's message lines when it does not compile.
using ScriptCheck = std::function<bool(const QString& code, QStringList& messages)>;

// The actions editor: lists the actions of the Events folder, edits their code with Pascal colouring,
// checks it with the script compiler and saves every action back to its file.
class TFormAktionen : public QDialog {
    Q_OBJECT

public:
    TFormAktionen(const LangText& lang, Prompter& prompter, ScriptCheck check, QWidget* parent = nullptr);
    ~TFormAktionen() override;

    // Reads every "*.evn" file of the folder. Files that cannot be read are left out (and untouched by
    // SaveAll); their names and reasons are returned for the caller to show.
    QStringList load(const QString& eventsDir, const TVarContainer& vars);
    // Writes every listed action to its file, each replaced atomically. Returns the failures.
    QStringList SaveAll() const;

    // The dialog's buttons and the error list's double-click, reachable by tests.
    void check();
    void jumpToMessage(const QString& line);
    // "Neu...": asks for a name and a description and writes the new action at once.
    void createAction();
    // Adds an action with the given name and description; false with a message when it cannot be written.
    bool addNewAction(const QString& name, const QString& description, QString* error = nullptr);

    const std::vector<TPhotoEvent>& actions() const { return m_actions; }
    QsciScintilla* editor() const { return m_editor; }
    QTreeWidget* list() const { return m_list; }
    QListWidget* errorList() const { return m_errors; }
    bool errorPanelVisible() const;
    void selectAction(int index);

    // A file name for a new action, made from its name: safe characters, unique in the folder.
    static QString fileNameFor(const QString& eventsDir, const QString& name);

private:
    void accept() override;
    void showSelected();
    void codeEdited();
    int selectedIndex() const;
    void addListEntry(int index);
    QString boundEventsText(const TPhotoEvent& action) const;

    const LangText m_lang;
    Prompter& m_prompter;
    ScriptCheck m_check;
    QString m_eventsDir;
    TVarContainer m_bindings;
    std::vector<TPhotoEvent> m_actions;
    bool m_showing = false;

    QTreeWidget* m_list = nullptr;
    QLabel* m_description = nullptr;
    QLabel* m_bound = nullptr;
    QsciScintilla* m_editor = nullptr;
    QSplitter* m_splitter = nullptr;
    QGroupBox* m_errorPanel = nullptr;
    QListWidget* m_errors = nullptr;
};

}  // namespace shutterhand
