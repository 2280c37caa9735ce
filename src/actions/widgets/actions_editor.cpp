#include "actions/widgets/actions_editor.h"

#include "actions/event_names.h"
#include "actions/widgets/new_action_dialog.h"
#include "common/name_order.h"

#include <Qsci/qscilexerpascal.h>
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace shutterhand {

namespace {

constexpr int kIndexRole = Qt::UserRole;

// Entries sort by the action's name in the user's locale.
class ActionItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override { return compareNames(text(0), other.text(0)) < 0; }
};

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// The code as the file keeps it: lines joined by CR LF.
QString joinedWithCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
}

QsciLexerPascal* makeLexer(QObject* parent, const QFont& font)
{
    auto* lexer = new QsciLexerPascal(parent);
    lexer->setDefaultFont(font);
    lexer->setFont(font);
    lexer->setColor(Qt::black, QsciLexerPascal::Default);
    lexer->setColor(Qt::black, QsciLexerPascal::Identifier);
    lexer->setColor(QColor(0, 0, 255), QsciLexerPascal::Keyword);
    for (int comment : {QsciLexerPascal::Comment, QsciLexerPascal::CommentParenthesis, QsciLexerPascal::CommentLine})
        lexer->setColor(QColor(0, 0, 128), comment);
    for (int text : {QsciLexerPascal::SingleQuotedString, QsciLexerPascal::Character, QsciLexerPascal::UnclosedString})
        lexer->setColor(QColor(0, 128, 0), text);
    lexer->setColor(QColor(0, 128, 128), QsciLexerPascal::Asm);
    return lexer;
}

}  // namespace

TFormAktionen::TFormAktionen(const LangText& lang, Prompter& prompter, ScriptCheck check, QWidget* parent)
    : QDialog(parent)
    , m_lang(lang)
    , m_prompter(prompter)
    , m_check(std::move(check))
{
    setObjectName(QStringLiteral("TFormAktionen"));
    setWindowTitle(lang(15));
    setFixedSize(820, 560);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ListViewAktionen"));
    m_list->setHeaderLabels({lang(15)});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(0, Qt::AscendingOrder);
    m_list->header()->setSectionsClickable(false);
    m_list->setFixedWidth(200);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &TFormAktionen::showSelected);

    auto* descriptionHeading = new QLabel(lang(58), this);
    QFont bold = descriptionHeading->font();
    bold.setBold(true);
    descriptionHeading->setFont(bold);
    m_description = new QLabel(this);
    m_description->setObjectName(QStringLiteral("LabelBeschreibung"));
    m_description->setWordWrap(true);
    m_bound = new QLabel(this);
    m_bound->setObjectName(QStringLiteral("LabelEreignisse"));
    m_bound->setWordWrap(true);
    m_bound->setStyleSheet(QStringLiteral("color: #505050;"));

    QFont code = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    code.setFamilies({QStringLiteral("Courier New"), code.family()});
    code.setPixelSize(13);
    m_editor = new QsciScintilla(this);
    m_editor->setObjectName(QStringLiteral("SynEdit1"));
    m_editor->setUtf8(true);
    m_editor->setEolMode(QsciScintilla::EolWindows);
    m_editor->setLexer(makeLexer(m_editor, code));
    m_editor->setMarginType(0, QsciScintilla::NumberMargin);
    m_editor->setMarginLineNumbers(0, true);
    m_editor->setMarginWidth(0, QStringLiteral("0000"));  // three digits and a little room
    m_editor->setAutoIndent(true);
    m_editor->setTabWidth(2);
    connect(m_editor, &QsciScintilla::textChanged, this, &TFormAktionen::codeEdited);

    m_errorPanel = new QGroupBox(lang(59), this);
    m_errorPanel->setObjectName(QStringLiteral("PanelFehler"));
    m_errors = new QListWidget(m_errorPanel);
    m_errors->setObjectName(QStringLiteral("ListBoxFehler"));
    auto* errorLayout = new QVBoxLayout(m_errorPanel);
    errorLayout->addWidget(m_errors);
    connect(m_errors, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { jumpToMessage(item->text()); });

    m_splitter = new QSplitter(Qt::Vertical, this);
    m_splitter->addWidget(m_editor);
    m_splitter->addWidget(m_errorPanel);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 1);
    m_errorPanel->hide();

    auto* right = new QVBoxLayout;
    right->addWidget(descriptionHeading);
    right->addWidget(m_description);
    right->addWidget(m_bound);
    right->addWidget(m_splitter, 1);

    auto* columns = new QHBoxLayout;
    columns->addWidget(m_list);
    columns->addLayout(right, 1);

    auto* checkButton = new QPushButton(lang(60), this);
    checkButton->setObjectName(QStringLiteral("ButtonCheck"));
    auto* newButton = new QPushButton(QStringLiteral("Neu..."), this);
    newButton->setObjectName(QStringLiteral("ButtonNeu"));
    auto* ok = new QPushButton(lang(61), this);
    ok->setObjectName(QStringLiteral("ButtonOK"));
    auto* cancel = new QPushButton(lang(62), this);
    cancel->setObjectName(QStringLiteral("ButtonCancel"));
    connect(checkButton, &QPushButton::clicked, this, &TFormAktionen::check);
    connect(newButton, &QPushButton::clicked, this, &TFormAktionen::createAction);
    connect(ok, &QPushButton::clicked, this, &TFormAktionen::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(checkButton);
    buttons->addWidget(newButton);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns, 1);
    layout->addLayout(buttons);
}

TFormAktionen::~TFormAktionen() = default;

QStringList TFormAktionen::load(const QString& eventsDir, const TVarContainer& vars)
{
    m_eventsDir = eventsDir.endsWith(u'/') ? eventsDir : eventsDir + u'/';
    m_bindings = vars;
    m_list->clear();
    m_actions.clear();

    QStringList unreadable;
    const QFileInfoList files
        = QDir(m_eventsDir).entryInfoList({QStringLiteral("*.evn")}, QDir::Files | QDir::CaseSensitive, QDir::Name);
    for (const QFileInfo& file : files) {
        QFile input(file.absoluteFilePath());
        if (!input.open(QIODevice::ReadOnly)) {
            unreadable.append(file.fileName() + QStringLiteral(": ") + input.errorString());
            continue;
        }
        TPhotoEvent action;
        const TPhotoEvent::ReadResult read = action.LoadFromBytes(input.readAll());
        if (!read.ok()) {
            unreadable.append(file.fileName() + QStringLiteral(": ") + read.error);
            continue;
        }
        action.SetFileName(m_eventsDir + file.fileName());
        m_actions.push_back(action);
        addListEntry(static_cast<int>(m_actions.size()) - 1);
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    showSelected();
    return unreadable;
}

void TFormAktionen::addListEntry(int index)
{
    auto* item = new ActionItem(QStringList{m_actions.at(static_cast<size_t>(index)).Name});
    item->setData(0, kIndexRole, index);
    m_list->addTopLevelItem(item);
}

int TFormAktionen::selectedIndex() const
{
    const QTreeWidgetItem* item = m_list->currentItem();
    return item && item->isSelected() ? item->data(0, kIndexRole).toInt() : -1;
}

void TFormAktionen::selectAction(int index)
{
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        if (m_list->topLevelItem(i)->data(0, kIndexRole).toInt() == index)
            m_list->setCurrentItem(m_list->topLevelItem(i));
    }
}

void TFormAktionen::showSelected()
{
    const int index = selectedIndex();
    m_showing = true;
    if (index < 0) {
        m_description->clear();
        m_bound->clear();
        m_editor->clear();
    } else {
        const TPhotoEvent& action = m_actions.at(static_cast<size_t>(index));
        m_description->setText(action.Description);
        m_bound->setText(boundEventsText(action));
        m_editor->setText(action.Code);
    }
    m_showing = false;
}

QString TFormAktionen::boundEventsText(const TPhotoEvent& action) const
{
    const QString fileName = QFileInfo(action.FileName).fileName();
    QStringList bound;
    for (const QString& event : events::all()) {
        QString binding = m_bindings.GetValueByName(event);
        if (binding.replace(u'\\', u'/') == fileName)
            bound.append(event);
    }
    return bound.isEmpty() ? QStringLiteral("An kein Ereignis gebunden.")
                           : QStringLiteral("Gebunden an: ") + bound.join(QStringLiteral(", "));
}

void TFormAktionen::codeEdited()
{
    if (m_showing)
        return;
    const int index = selectedIndex();
    if (index >= 0)
        m_actions.at(static_cast<size_t>(index)).Code = joinedWithCrLf(m_editor->text());
}

bool TFormAktionen::errorPanelVisible() const { return !m_errorPanel->isHidden(); }

void TFormAktionen::check()
{
    WaitCursor wait;
    // The checker judges the code as a firing would compile it; $DeviceName and $Filename get their
    // values only when an event fires.
    QStringList messages;
    if (m_check(m_editor->text(), messages)) {
        m_errorPanel->hide();
        return;
    }
    m_errors->clear();
    m_errors->addItems(messages);
    m_errorPanel->show();
}

void TFormAktionen::accept()
{
    check();
    if (!errorPanelVisible())
        QDialog::accept();
}

void TFormAktionen::jumpToMessage(const QString& line)
{
    // "[Error] (3:7): ..." points at row 3, column 7. A line without such a position is not a jump target.
    static const QRegularExpression position(QStringLiteral(R"(\(\s*(\d+)\s*:\s*(\d+)\s*\))"));
    const QRegularExpressionMatch match = position.match(line.trimmed());
    if (!match.hasMatch())
        return;
    const int row = match.captured(1).toInt() - 1;
    const int column = match.captured(2).toInt() - 1;
    if (row < 0 || column < 0 || row >= m_editor->lines())
        return;
    m_editor->setCursorPosition(row, column);
    const int length = m_editor->wordAtLineIndex(row, column).size();
    m_editor->setSelection(row, column, row, column + length);
    m_editor->setFocus();
}

QStringList TFormAktionen::SaveAll() const
{
    WaitCursor wait;
    QStringList failures;
    for (const TPhotoEvent& action : m_actions) {
        const FileResult written = action.WriteToFile();
        if (!written.ok())
            failures.append(written.error);
    }
    return failures;
}

QString TFormAktionen::fileNameFor(const QString& eventsDir, const QString& name)
{
    QString base;
    for (const QChar c : name.trimmed()) {
        if (c == u'ä')
            base += QStringLiteral("ae");
        else if (c == u'ö')
            base += QStringLiteral("oe");
        else if (c == u'ü')
            base += QStringLiteral("ue");
        else if (c == u'Ä')
            base += QStringLiteral("Ae");
        else if (c == u'Ö')
            base += QStringLiteral("Oe");
        else if (c == u'Ü')
            base += QStringLiteral("Ue");
        else if (c == u'ß')
            base += QStringLiteral("ss");
        else if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'
                 || c == u'_')
            base += c;
        else
            base += u'_';
    }
    if (base.isEmpty())
        base = QStringLiteral("Aktion");
    QString candidate = base + QStringLiteral(".evn");
    for (int n = 2; QFileInfo::exists(eventsDir + candidate); ++n)
        candidate = base + u'_' + QString::number(n) + QStringLiteral(".evn");
    return candidate;
}

bool TFormAktionen::addNewAction(const QString& name, const QString& description, QString* error)
{
    TPhotoEvent action;
    action.Name = name;
    action.Description = description;
    action.Code = QStringLiteral("begin\r\n\r\nend.");
    action.SetFileName(m_eventsDir + fileNameFor(m_eventsDir, name));
    const FileResult written = action.WriteToFile();
    if (!written.ok()) {
        if (error)
            *error = written.error;
        return false;
    }
    m_actions.push_back(action);
    const int index = static_cast<int>(m_actions.size()) - 1;
    addListEntry(index);
    selectAction(index);
    return true;
}

void TFormAktionen::createAction()
{
    NewActionDialog dialog(m_lang, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString error;
    if (!addNewAction(dialog.name(), dialog.description(), &error))
        m_prompter.showMessage(Prompter::Icon::Error, error);
}

}  // namespace shutterhand
