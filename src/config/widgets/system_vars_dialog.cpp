#include "config/widgets/system_vars_dialog.h"

#include "common/legacy_text.h"
#include "common/name_order.h"
#include "config/widgets/value_editor_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace shutterhand {

namespace {

// Rows sort by name in the order of the user's locale.
class VarItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override { return compareNames(text(0), other.text(0)) < 0; }
};

// The wait cursor for the lifetime of the object.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

QString TFormSystemVars::shownValue(const TVar& var)
{
    if (hasVarType(var, vartype::Boolean))
        return isTrueValue(var.Value) ? QStringLiteral("True") : QStringLiteral("False");
    return var.Value;
}

TFormSystemVars::TFormSystemVars(const LangText& lang, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_lang(lang)
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("TFormSystemVars"));
    setWindowTitle(lang(78));
    resize(420, 400);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListViewVars"));
    m_list->setHeaderLabels({lang(41), lang(80), lang(42)});
    m_list->setColumnWidth(0, 100);
    m_list->setColumnWidth(1, 60);
    m_list->setColumnWidth(2, 195);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(0, Qt::AscendingOrder);
    m_list->header()->setSortIndicatorShown(false);
    m_list->header()->setSectionsClickable(false);

    m_edit = new QAction(lang(81), this);
    m_edit->setObjectName(QStringLiteral("ActionEdit"));
    m_new = new QAction(lang(82), this);
    m_new->setObjectName(QStringLiteral("ActionNew"));
    m_delete = new QAction(lang(83), this);
    m_delete->setObjectName(QStringLiteral("ActionDelete"));
    QFont bold = m_edit->font();
    bold.setBold(true);
    m_edit->setFont(bold);  // the default entry
    m_list->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_list->addActions({m_edit, m_new, m_delete});
    connect(m_edit, &QAction::triggered, this, &TFormSystemVars::editSelected);
    connect(m_new, &QAction::triggered, this, &TFormSystemVars::addValue);
    connect(m_delete, &QAction::triggered, this, &TFormSystemVars::deleteSelected);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &TFormSystemVars::editSelected);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &TFormSystemVars::updateActions);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(lang(61), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setDefault(true);
    buttons->addButton(lang(62), QDialogButtonBox::RejectRole)->setObjectName(QStringLiteral("ButtonCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(lang(79), this));
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    updateActions();
}

QTreeWidgetItem* TFormSystemVars::addRow(const QString& name, const QString& type, const QString& value)
{
    auto* item = new VarItem(QStringList{name, type, value});
    m_list->addTopLevelItem(item);
    return item;
}

void TFormSystemVars::load(const TVarContainer& vars)
{
    WaitCursor wait;
    m_list->clear();
    m_hidden.clear();
    for (const TVar& var : vars.entries()) {
        if (hasVarType(var, vartype::Hidden))
            m_hidden.append(var);
        else
            addRow(var.Name, var.VarType, shownValue(var));
    }
    updateActions();
}

bool TFormSystemVars::Fill(const TVarContainer& vars)
{
    load(vars);
    return exec() == QDialog::Accepted;
}

void TFormSystemVars::Store(TVarContainer& vars) const
{
    vars.Clear();
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = m_list->topLevelItem(i);
        const QString name = row->text(0);
        const QString type = row->text(1);
        const QString value = row->text(2);
        if (equalsIgnoringAsciiCase(type, vartype::Boolean))
            vars.InitValueByName(name, type,
                                 value.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0 ? QStringLiteral("1")
                                                                                                : QStringLiteral("0"));
        else
            vars.InitValueByName(name, type, value);
    }
    for (const TVar& hidden : m_hidden)
        vars.InitValueByName(hidden.Name, vartype::Hidden, hidden.Value);
}

void TFormSystemVars::editSelected()
{
    QTreeWidgetItem* row = m_list->currentItem();
    if (!row || !row->isSelected())
        return;
    TFormVar editor(m_lang, m_prompter, this);
    if (!editor.Edit(row->text(0), row->text(1), row->text(2)))
        return;
    row->setText(0, editor.editedName());
    row->setText(1, editor.editedType());
    row->setText(2, editor.editedValue());
    m_list->sortItems(0, Qt::AscendingOrder);
}

void TFormSystemVars::addValue()
{
    TFormVar editor(m_lang, m_prompter, this);
    if (!editor.Edit(QString(), QString(), QString()))
        return;
    WaitCursor wait;
    QTreeWidgetItem* row = addRow(editor.editedName(), editor.editedType(), editor.editedValue());
    m_list->setCurrentItem(row);
    m_list->scrollToItem(row);
}

void TFormSystemVars::deleteSelected()
{
    QTreeWidgetItem* row = m_list->currentItem();
    if (!row || !row->isSelected())
        return;
    if (!m_prompter.askYesNo(Prompter::Icon::Question,
                             QStringLiteral("Sind Sie sicher das Sie den ausgewählten Wert löschen möchten?")))
        return;
    delete row;
    updateActions();
}

void TFormSystemVars::updateActions()
{
    const bool selected = !m_list->selectedItems().isEmpty();
    m_edit->setEnabled(selected);
    m_delete->setEnabled(selected);
}

}  // namespace shutterhand
