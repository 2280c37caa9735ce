#pragma once

#include "common/lang_text.h"
#include "common/prompter.h"
#include "config/system_config.h"

#include <QDialog>

class QAction;
class QTreeWidget;
class QTreeWidgetItem;

namespace shutterhand {

// The system variables dialog: a sorted working copy of every variable that is not "Hidden", with
// editing, adding and deleting; the hidden ones are kept aside unchanged.
class TFormSystemVars : public QDialog {
    Q_OBJECT

public:
    TFormSystemVars(const LangText& lang, Prompter& prompter, QWidget* parent = nullptr);

    // Fills both lists from the variables and shows the dialog modally; true when it ended with OK.
    bool Fill(const TVarContainer& vars);
    // Fills both lists without showing the dialog.
    void load(const TVarContainer& vars);
    // Replaces the variables with the lists' contents: the visible rows in name order, then the hidden.
    void Store(TVarContainer& vars) const;

    // The menu entries of the list (also reachable by double-click and by tests).
    void editSelected();
    void addValue();
    void deleteSelected();

    QTreeWidget* list() const { return m_list; }

    // How a value is shown: a "Boolean" as "True" exactly when it is "1", else "False".
    static QString shownValue(const TVar& var);

private:
    QTreeWidgetItem* addRow(const QString& name, const QString& type, const QString& value);
    void updateActions();

    const LangText m_lang;
    Prompter& m_prompter;
    QTreeWidget* m_list = nullptr;
    QAction* m_edit = nullptr;
    QAction* m_new = nullptr;
    QAction* m_delete = nullptr;
    QList<TVar> m_hidden;
};

}  // namespace shutterhand
