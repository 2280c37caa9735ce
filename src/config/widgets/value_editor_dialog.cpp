#include "config/widgets/value_editor_dialog.h"

#include "common/legacy_text.h"
#include "config/system_config.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

namespace shutterhand {

namespace {

bool isType(const QString& type, const QString& label) { return equalsIgnoringAsciiCase(type, label); }

}  // namespace

const QStringList& TFormVar::typeNames()
{
    static const QStringList names{vartype::Boolean, vartype::Directory, vartype::Event, vartype::String,
                                   vartype::Integer};
    return names;
}

TFormVar::TFormVar(const LangText& lang, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("TFormVar"));
    setWindowTitle(lang(84));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("EditName"));
    m_type = new QComboBox(this);
    m_type->setObjectName(QStringLiteral("ComboBoxType"));
    m_type->addItems(typeNames());
    m_type->setCurrentIndex(-1);

    // The two value inputs share one place; exactly one of them is visible.
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("EditValue"));
    m_text->installEventFilter(this);
    m_chooseFolder = new QPushButton(QStringLiteral("..."), this);
    m_chooseFolder->setObjectName(QStringLiteral("ButtonChooseFolder"));
    m_chooseFolder->setFixedWidth(30);
    m_boolean = new QComboBox(this);
    m_boolean->setObjectName(QStringLiteral("ComboBoxBoolean"));
    m_boolean->addItems({QStringLiteral("False"), QStringLiteral("True")});
    m_boolean->setCurrentIndex(-1);

    auto* textRow = new QWidget(this);
    auto* textLayout = new QHBoxLayout(textRow);
    textLayout->setContentsMargins(0, 0, 0, 0);
    textLayout->addWidget(m_text);
    textLayout->addWidget(m_chooseFolder);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(lang(41) + u':', this), 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(new QLabel(lang(80) + u':', this), 1, 0);
    grid->addWidget(m_type, 1, 1);
    grid->addWidget(new QLabel(lang(42) + u':', this), 2, 0);
    grid->addWidget(textRow, 2, 1);
    grid->addWidget(m_boolean, 2, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(lang(61), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(lang(62), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    setMinimumWidth(380);

    connect(m_type, &QComboBox::currentIndexChanged, this, &TFormVar::onTypeChanged);
    connect(m_chooseFolder, &QPushButton::clicked, this, &TFormVar::chooseFolder);
    showInputFor(QString());
}

void TFormVar::preset(const QString& name, const QString& type, const QString& value)
{
    m_presetting = true;
    m_name->setText(name);
    int index = -1;
    for (int i = 0; i < typeNames().size(); ++i) {
        if (isType(type, typeNames().at(i)))
            index = i;
    }
    m_type->setCurrentIndex(index);
    showInputFor(type);
    if (isType(editedType(), vartype::Boolean)) {
        m_boolean->setCurrentIndex(-1);
        for (int i = 0; i < m_boolean->count(); ++i) {
            if (equalsIgnoringAsciiCase(m_boolean->itemText(i), value))
                m_boolean->setCurrentIndex(i);
        }
    } else {
        m_text->setText(value);
    }
    m_presetting = false;
}

bool TFormVar::Edit(const QString& name, const QString& type, const QString& value)
{
    preset(name, type, value);
    return exec() == QDialog::Accepted;
}

QString TFormVar::editedName() const { return m_name->text(); }

QString TFormVar::editedType() const { return m_type->currentIndex() < 0 ? QString() : m_type->currentText(); }

QString TFormVar::editedValue() const
{
    if (isType(editedType(), vartype::Boolean))
        return m_boolean->currentIndex() < 0 ? QString() : m_boolean->currentText();
    return m_text->text();
}

void TFormVar::showInputFor(const QString& type)
{
    const bool boolean = isType(type, vartype::Boolean);
    m_boolean->setVisible(boolean);
    m_text->parentWidget()->setVisible(!boolean);
    m_chooseFolder->setVisible(isType(type, vartype::Directory));
}

void TFormVar::onTypeChanged()
{
    if (m_presetting)
        return;
    m_text->clear();
    showInputFor(editedType());
}

void TFormVar::chooseFolder()
{
    QString folder = m_prompter.askDirectory(windowTitle(), m_text->text());
    if (folder.isEmpty())
        return;
    // Named directories end with "/": file names are appended to them directly.
    if (!folder.endsWith(u'/'))
        folder += u'/';
    m_text->setText(folder);
}

bool TFormVar::eventFilter(QObject* watched, QEvent* event)
{
    // An "Integer" value takes only the digits 0 to 9 as typed characters. Editing keys (Backspace,
    // Delete, the arrows) stay usable so that a typo can be corrected.
    if (watched == m_text && event->type() == QEvent::KeyPress && isType(editedType(), vartype::Integer)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool printable = !text.isEmpty() && text.at(0).isPrint();
        if (printable && !(text.size() == 1 && text.at(0) >= u'0' && text.at(0) <= u'9'))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace shutterhand
