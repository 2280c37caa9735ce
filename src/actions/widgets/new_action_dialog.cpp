#include "actions/widgets/new_action_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace shutterhand {

NewActionDialog::NewActionDialog(const LangText& lang, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("NewActionDialog"));
    setWindowTitle(QStringLiteral("Neue Aktion"));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("EditName"));
    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("EditBeschreibung"));
    m_description->setFixedHeight(70);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(lang(61), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    ok->setEnabled(false);
    buttons->addButton(lang(62), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // An action needs a name: the list shows it.
    connect(m_name, &QLineEdit::textChanged, ok,
            [ok](const QString& text) { ok->setEnabled(!text.trimmed().isEmpty()); });

    auto* form = new QFormLayout(this);
    form->addRow(lang(41) + u':', m_name);
    form->addRow(lang(58), m_description);
    form->addRow(buttons);
    setMinimumWidth(380);
}

QString NewActionDialog::name() const { return m_name->text().trimmed(); }

QString NewActionDialog::description() const { return m_description->toPlainText(); }

}  // namespace shutterhand
