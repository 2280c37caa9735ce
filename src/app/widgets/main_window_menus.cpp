// The main window's menus: building them, their captions from the language table, and their commands.

#include "actions/widgets/actions_editor.h"
#include "app/core/program_info.h"
#include "app/widgets/about_dialog.h"
#include "app/widgets/main_window.h"
#include "config/widgets/system_vars_dialog.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace shutterhand {

namespace {

const char* const kLanguageCodeProperty = "languageCode";
const char* const kLanguagePathProperty = "languagePath";

const QString kMenuBarStyle = QStringLiteral("QMenuBar { background: black; color: white; font-family: Verdana, "
                                             "\"DejaVu Sans\"; font-size: 8pt; spacing: 0px; padding: 0px; }"
                                             "QMenuBar::item { background: black; color: white; padding: 4px 3px; }"
                                             "QMenuBar::item:selected { background: #303030; }"
                                             "QMenu { background: black; color: white; font-family: Verdana, \"DejaVu "
                                             "Sans\"; font-size: 8pt; border: 1px solid #404040; }"
                                             "QMenu::item:selected { background: #303030; }"
                                             "QMenu::item:disabled { color: #707070; }"
                                             "QMenu::separator { height: 1px; background: #404040; margin: 3px 6px; }");

}  // namespace

QAction* MainWindow::addAction(QMenu* menu, const QString& objectName, const QString& text, bool checkable)
{
    QAction* action = menu->addAction(text);
    action->setObjectName(objectName);
    action->setCheckable(checkable);
    return action;
}

void MainWindow::buildMenus()
{
    // A menu bar sizes itself to its parent's width; a frame of the bar's own size keeps it in its place.
    auto* menuFrame = new QWidget(this);
    menuFrame->setGeometry(17, 16, 192, 29);
    m_menuBar = new QMenuBar(menuFrame);
    m_menuBar->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    m_menuBar->setNativeMenuBar(false);
    m_menuBar->setStyleSheet(kMenuBarStyle);
    auto* menuLayout = new QVBoxLayout(menuFrame);
    menuLayout->setContentsMargins(0, 0, 0, 0);
    menuLayout->addWidget(m_menuBar);

    m_menuFile = m_menuBar->addMenu(QStringLiteral("&Datei"));
    m_menuFile->setObjectName(QStringLiteral("MenuDatei"));
    m_actQuit = addAction(m_menuFile, QStringLiteral("ActionBeenden"), QStringLiteral("B&eenden"));

    m_menuFunctions = m_menuBar->addMenu(QStringLiteral("&Funktionen"));
    m_menuFunctions->setObjectName(QStringLiteral("MenuFunktionen"));
    m_actSeries
        = addAction(m_menuFunctions, QStringLiteral("ActionSerienaufnahme"), QStringLiteral("Serienaufnahme..."));
    m_actActions = addAction(m_menuFunctions, QStringLiteral("ActionAktionen"), QStringLiteral("Aktionen..."));
    m_menuFunctions->addSeparator();
    m_actWebserver = addAction(m_menuFunctions, QStringLiteral("ActionWebserver"), QStringLiteral("Webserver"), true);
    m_menuFunctions->addSeparator();
    m_actFtpPush = addAction(m_menuFunctions, QStringLiteral("ActionFtpPush"), QStringLiteral("FTP- Push"), true);
    m_menuFunctions->addSeparator();
    m_actDeleteImages
        = addAction(m_menuFunctions, QStringLiteral("ActionBildLoeschen"), QStringLiteral("Bild löschen"), true);
    m_actClearStore = addAction(m_menuFunctions, QStringLiteral("ActionBildspeicherLoeschen"),
                                QStringLiteral("Bildspeicher löschen..."));

    m_menuView = m_menuBar->addMenu(QStringLiteral("&Ansicht"));
    m_menuView->setObjectName(QStringLiteral("MenuAnsicht"));
    m_actSettings = addAction(m_menuView, QStringLiteral("ActionEinstellungen"), QStringLiteral("Einstellungen..."));
    m_actSysVars = addAction(m_menuView, QStringLiteral("ActionSystemvariablen"), QStringLiteral("Systemvariablen..."));
    m_menuLanguages = m_menuView->addMenu(QStringLiteral("Sprachen"));
    m_menuLanguages->setObjectName(QStringLiteral("MenuSprachen"));
    m_actLanguages = m_menuLanguages->menuAction();
    m_menuView->addSeparator();
    m_actLogWindow = addAction(m_menuView, QStringLiteral("ActionLogfenster"), QStringLiteral("Logfenster"), true);

    m_menuHelp = m_menuBar->addMenu(QStringLiteral("?"));
    m_menuHelp->setObjectName(QStringLiteral("MenuHilfe"));
    m_actWebsite = addAction(m_menuHelp, QStringLiteral("ActionWebseite"), QStringLiteral("Shutterhand im Internet"));
    m_actUpdate = addAction(m_menuHelp, QStringLiteral("ActionOnlineUpdate"), QStringLiteral("Online Update..."));
    m_actHelp = addAction(m_menuHelp, QStringLiteral("ActionHilfe"), QStringLiteral("Hilfe öffnen"));
    m_menuHelp->addSeparator();
    m_actInfo = addAction(m_menuHelp, QStringLiteral("ActionInfo"), QStringLiteral("Info über..."));

    // The colour of the EXIF overlay; the picture intake offers this menu on the overlay.
    m_overlayMenu = new QMenu(this);
    m_overlayMenu->setObjectName(QStringLiteral("PopupMenuExif"));
    m_actBright = addAction(m_overlayMenu, QStringLiteral("ActionHellesBild"), QStringLiteral("Helles Bild"));
    m_actDark = addAction(m_overlayMenu, QStringLiteral("ActionDunklesBild"), QStringLiteral("Dunkles Bild"));

    // "Serienaufnahme..." waits for a chosen camera (the camera session enables it), "Aktionen..." for the
    // script runner's check. The entries of the web server and the online update stay disabled until
    // their parts are in the program.
    for (QAction* later : {m_actSeries, m_actActions, m_actWebserver, m_actSettings, m_actUpdate})
        later->setEnabled(false);

    connect(m_actQuit, &QAction::triggered, this, &QWidget::close);
    connect(m_actInfo, &QAction::triggered, this, &MainWindow::openAboutDialog);
    connect(m_actDeleteImages, &QAction::triggered, this, [this] {
        m_core.ToggleDeleteImages();
        syncCheckMarks();
    });
    connect(m_actFtpPush, &QAction::triggered, this, [this] { m_core.ToggleFtpPush(); });
    connect(m_actWebserver, &QAction::triggered, this, [this] {
        m_core.ToggleWebserver();
        syncCheckMarks();
    });
    connect(m_actLogWindow, &QAction::triggered, this, [this] {
        m_core.ToggleLogWindow();
        syncCheckMarks();
    });
    connect(m_actSysVars, &QAction::triggered, this, &MainWindow::openSystemVarsDialog);
    connect(m_actActions, &QAction::triggered, this, &MainWindow::openActionsEditor);
    connect(m_actWebsite, &QAction::triggered, this, [this] { m_core.OpenWebsite(); });
    connect(m_actHelp, &QAction::triggered, this, [this] { m_core.OpenHelp(); });
    connect(m_menuLanguages, &QMenu::triggered, this, &MainWindow::onLanguageChosen);
}

void MainWindow::syncCheckMarks()
{
    m_actDeleteImages->setChecked(m_core.deleteImagesChecked());
    m_actFtpPush->setChecked(m_core.ftpPushChecked());
    m_actWebserver->setChecked(m_core.webserverChecked());
    m_actLogWindow->setChecked(m_core.logBook().isOpen());
}

void MainWindow::buildLanguageMenu()
{
    m_menuLanguages->clear();
    for (const LanguageChoice& choice : m_core.languageChoices()) {
        QAction* action = m_menuLanguages->addAction(choice.caption);
        action->setCheckable(true);
        action->setChecked(m_core.isCurrentLanguage(choice));
        action->setProperty(kLanguageCodeProperty, choice.code);
        action->setProperty(kLanguagePathProperty, choice.path);
    }
}

void MainWindow::onLanguageChosen(QAction* action)
{
    const LanguageChoice choice{action->property(kLanguageCodeProperty).toString(), action->text(),
                                action->property(kLanguagePathProperty).toString()};
    m_core.SelectLanguage(choice);
    // The check marks follow the saved choice, whatever the click did to them.
    for (QAction* entry : m_menuLanguages->actions())
        entry->setChecked(
            m_core.isCurrentLanguage({entry->property(kLanguageCodeProperty).toString(), QString(), QString()}));
}

void MainWindow::applyLanguage()
{
    const auto text = [this](int id) { return m_core.GetLangText(id); };
    m_actQuit->setText(text(12));
    m_actInfo->setText(text(27));
    m_actSeries->setText(text(14));
    m_actDeleteImages->setText(text(20));
    m_actActions->setText(text(15));
    m_actWebserver->setText(text(16));
    m_actSettings->setText(text(85));
    m_actClearStore->setText(text(21));
    m_actFtpPush->setText(text(18));
    m_actLogWindow->setText(text(24));
    m_actSysVars->setText(text(23));
    m_actWebsite->setText(text(26));
    m_actLanguages->setText(text(35));
    m_menuFile->setTitle(text(10));
    m_menuFunctions->setTitle(text(13));
    m_menuView->setTitle(text(22));
    m_menuHelp->setTitle(text(25));
    m_release->setText(text(29));
    m_cameraInfo->setText(text(30));
    m_cameraLabel->setText(text(28));
    m_cameraLabel->adjustSize();
    m_actBright->setText(text(32));
    m_actDark->setText(text(33));
    if (!m_cameraList->isEnabled()) {
        m_cameraList->clear();
        m_cameraList->addItem(text(34));
        m_cameraList->setCurrentIndex(0);
    }
    syncCheckMarks();
}

void MainWindow::openAboutDialog()
{
    TFormInfo about(m_core.GetLangText(27), m_core.GetLangText(46), this);
    about.setVersion(m_core.config().Version());
    about.setLastUpdate(m_core.config().Vars().GetValueByName(QStringLiteral("UpdateVer")));
    about.exec();
}

void MainWindow::openSystemVarsDialog()
{
    TFormSystemVars dialog([this](int id) { return m_core.GetLangText(id); }, m_prompter, this);
    if (!dialog.Fill(m_core.config().Vars()))
        return;
    dialog.Store(m_core.config().Vars());
    const FileResult saved = m_core.SaveSystemVars();
    if (!saved.ok())
        m_prompter.showMessage(Prompter::Icon::Error, saved.error);
}

void MainWindow::setScriptCheck(ScriptCheck check)
{
    m_scriptCheck = std::move(check);
    m_actActions->setEnabled(static_cast<bool>(m_scriptCheck));
}

void MainWindow::openActionsEditor()
{
    if (!m_scriptCheck)
        return;
    TFormAktionen dialog([this](int id) { return m_core.GetLangText(id); }, m_prompter, m_scriptCheck, this);
    const QStringList unreadable = dialog.load(m_core.directory(QStringLiteral("Events")), m_core.config().Vars());
    if (!unreadable.isEmpty()) {
        const QString heading
            = QStringLiteral("Diese Aktionsdateien können nicht gelesen werden und fehlen in der Liste:");
        m_prompter.showMessage(Prompter::Icon::Warning, heading + u'\n' + unreadable.join(u'\n'));
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList failures = dialog.SaveAll();
    if (!failures.isEmpty()) {
        const QString heading = QStringLiteral("Diese Aktionen konnten nicht gespeichert werden:");
        m_prompter.showMessage(Prompter::Icon::Error, heading + u'\n' + failures.join(u'\n'));
    }
}

}  // namespace shutterhand
