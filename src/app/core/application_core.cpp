#include "app/core/application_core.h"

#include "actions/event_names.h"
#include "app/core/program_info.h"
#include "config/var_file.h"

#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

Q_LOGGING_CATEGORY(lcApp, "shutterhand.app", QtInfoMsg)

namespace shutterhand {

namespace {

// Shows the wait cursor for the lifetime of the object.
class WaitCursor {
public:
    explicit WaitCursor(MainView* view)
        : m_view(view)
    {
        if (m_view)
            m_view->setWaitCursor(true);
    }
    ~WaitCursor()
    {
        if (m_view)
            m_view->setWaitCursor(false);
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    MainView* m_view;
};

QString withTrailingSlash(const QString& dir) { return dir.endsWith(u'/') ? dir : dir + u'/'; }

}  // namespace

ApplicationCore::ApplicationCore(const QString& programDir, Prompter& prompter, DesktopServices& desktop,
                                 QObject* parent)
    : QObject(parent)
    , m_prompter(prompter)
    , m_desktop(desktop)
    , m_programDir(withTrailingSlash(QDir(programDir).absolutePath()))
    , m_config(std::make_unique<TSystemConfig>())
    , m_dispatcher(*this)
{
    // The poll timer runs from creation: first tick after half a second, later ticks 5 s after the
    // end of the previous one.
    m_pollTimer.setInterval(500);
    connect(&m_pollTimer, &QTimer::timeout, this, &ApplicationCore::PollTick);
}

ApplicationCore::~ApplicationCore() = default;

bool ApplicationCore::start(MainView& view)
{
    m_view = &view;

    // Steps 1 to 4 (language table, series list, first tick, configuration) happened on construction.
    m_config->setVersion(GetFileVersionString());                                  // 5
    m_config->Directorys().SetDirectory(QStringLiteral("WorkDir"), m_programDir);  // 6

    const FileResult loaded = LoadSystemVars(*m_config);  // 8
    if (!loaded.ok()) {
        // Going on with empty settings would let the next save wipe out the user's file.
        m_prompter.showMessage(Prompter::Icon::Error, loaded.error);
        return false;
    }
    setDeleteImagesChecked(isTrueValue(m_config->Vars().GetValueByName(QStringLiteral("system_deleteimages"))));
    ApplyDirectoryVars(*m_config);  // 9
    loadLanguageAtStart();          // 10
    FireEvent(events::ConfigLoad);  // 11
    view.placeWindow();             // 12
    SeriesMode = false;             // 13
    PictureRequested = false;
    m_closeAfterAction = false;
    PictureCounter = 1;
    if (m_camera) {
        m_camera->RefreshDeviceList();     // 14
        m_camera->RegisterDeviceEvents();  // 15
    }
    FireEvent(events::StartShutterhand);  // 16
    view.buildLanguageMenu();             // 17
    view.applyLanguage();                 // 18
    m_started = true;
    // The poll timer runs from the window's creation, but its first tick can only come once the
    // start-up has returned to the event loop; the camera list of step 14 may run the event loop while
    // it waits for the cameras, and no tick must come in the middle of the start-up.
    m_pollTimer.start();
    qCDebug(lcApp) << "started in" << m_programDir;
    return true;
}

void ApplicationCore::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_pollTimer.stop();
    if (m_started)
        FireEvent(events::EndShutterhand);
    if (m_camera)
        m_camera->ReleaseDeviceService();
    qCDebug(lcApp) << "shut down";
}

QString ApplicationCore::directory(const QString& name) const
{
    return m_config->Directorys().GetDirectoryByName(name);
}

FileResult ApplicationCore::SaveSystemVars()
{
    WaitCursor wait(m_view);
    const FileResult result = WriteSystemVars(*m_config);
    if (result.ok())
        FireEvent(events::ConfigSave);
    return result;
}

bool ApplicationCore::reportSave(const FileResult& result)
{
    if (!result.ok())
        m_prompter.showMessage(Prompter::Icon::Error, result.error);
    return result.ok();
}

void ApplicationCore::loadLanguageAtStart()
{
    const QString langDir = directory(QStringLiteral("Lang"));
    const QString code = m_config->Vars().GetValueByName(QStringLiteral("DefaultLang"));
    const QString file = findLanguageFile(langDir, code);
    if (!file.isEmpty() && m_lang.LoadFromFile(file))
        return;
    m_prompter.showMessage(
        Prompter::Icon::Error,
        QStringLiteral("Sprachdatei: \n%1\nnicht gefunden.").arg(langDir + code + QStringLiteral(".dat")));
}

QList<LanguageChoice> ApplicationCore::languageChoices() const
{
    return listLanguages(directory(QStringLiteral("Lang")));
}

bool ApplicationCore::isCurrentLanguage(const LanguageChoice& choice) const
{
    return choice.code.compare(m_config->Vars().GetValueByName(QStringLiteral("DefaultLang")), Qt::CaseInsensitive)
        == 0;
}

void ApplicationCore::SelectLanguage(const LanguageChoice& choice)
{
    if (isCurrentLanguage(choice))
        return;
    // Read the file first: a language that cannot be loaded must not become the saved default.
    TLangControl table;
    if (!table.LoadFromFile(choice.path)) {
        m_prompter.showMessage(Prompter::Icon::Error,
                               QStringLiteral("Sprachdatei: \n%1\nkann nicht gelesen werden.").arg(choice.path));
        return;
    }
    m_config->Vars().SetValueByName(QStringLiteral("DefaultLang"), choice.code);
    reportSave(SaveSystemVars());
    m_lang = table;
    if (m_view)
        m_view->applyLanguage();
    emit languageChanged();
}

void ApplicationCore::WriteLog(int kind, const QString& message)
{
    if (!m_log.isOpen() && kind == 2)
        ToggleLogWindow();
    if (const LogEntry* entry = m_log.add(kind, message))
        emit logEntryAdded(*entry);
}

void ApplicationCore::ToggleLogWindow()
{
    if (!m_log.isOpen()) {
        m_log.open();
        emit logWindowOpened();
        FireEvent(events::OpenLogWindow);
    } else {
        m_log.close();
        emit logWindowClosed();
        FireEvent(events::CloseLogWindow);
    }
}

void ApplicationCore::ShowInfoPanel(const QString& text, const QString& action)
{
    InfoAction = action;
    m_infoText = text;
    m_infoVisible = true;
    emit infoPanelChanged();
}

void ApplicationCore::HideInfoPanel()
{
    m_infoVisible = false;
    m_infoText.clear();
    emit infoPanelChanged();
}

void ApplicationCore::CloseInfoPanel()
{
    HideInfoPanel();
    InfoAction.clear();
}

void ApplicationCore::setDeleteImagesChecked(bool checked)
{
    m_deleteImages = checked;
    emit deleteImagesCheckedChanged(checked);
}

void ApplicationCore::ToggleDeleteImages()
{
    if (m_deleteImages) {
        setDeleteImagesChecked(false);
        m_config->Vars().SetValueByName(QStringLiteral("system_deleteimages"), QStringLiteral("0"));
        reportSave(SaveSystemVars());
        return;
    }
    const bool confirmed = m_prompter.askYesNo(
        Prompter::Icon::Warning,
        QStringLiteral("Wenn diese Funktion aktiviert ist, werden nach dem Auslösen alle Bilder auf dem "
                       "Speichermedium gelöscht.\nSind Sie sicher, dass Sie diese Funktion aktivieren möchten?"));
    if (!confirmed)
        return;
    setDeleteImagesChecked(true);
    m_config->Vars().SetValueByName(QStringLiteral("system_deleteimages"), QStringLiteral("1"));
    reportSave(SaveSystemVars());
}

void ApplicationCore::ToggleFtpPush()
{
    m_ftpPush = !m_ftpPush;
    emit ftpPushCheckedChanged(m_ftpPush);
}

void ApplicationCore::ToggleWebserver()
{
    if (!m_webServerControl)
        return;  // the web server is not part of this build
    WaitCursor wait(m_view);
    if (m_webserver) {
        m_webserver = false;
        emit webserverCheckedChanged(false);
        m_webServerControl->stopServer();
    } else if (m_webServerControl->startServer()) {
        m_webserver = true;
        emit webserverCheckedChanged(true);
    }
}

void ApplicationCore::OpenHelp()
{
    ShellOpen(directory(QStringLiteral("HelpDir")) + QStringLiteral("shutterhand.html"), {});
}

void ApplicationCore::OpenWebsite() { m_desktop.openUrl(QUrl(kProductWebsite)); }

void ApplicationCore::ShellOpen(const QString& file, const QString& parameters)
{
    const QFileInfo info(file);
    if (info.isFile() && info.isExecutable()) {
        QProcess::startDetached(info.absoluteFilePath(), QProcess::splitCommand(parameters), info.absolutePath());
        return;
    }
    // A bare program name ("gimp") is looked up on the search path, as the shell would.
    if (!info.exists() && !file.isEmpty() && !file.contains(u'/')) {
        const QString program = QStandardPaths::findExecutable(file);
        if (!program.isEmpty()) {
            QProcess::startDetached(program, QProcess::splitCommand(parameters));
            return;
        }
    }
    const QUrl url = QUrl::fromUserInput(file, QDir::currentPath(), QUrl::AssumeLocalFile);
    m_desktop.openUrl(url);
}

void ApplicationCore::PollTick()
{
    m_pollTimer.setInterval(5000);
    if (FirstTick && isTrueValue(m_config->Vars().GetValueByName(QStringLiteral("StartWebserverOnStartup"))))
        ToggleWebserver();
    m_pollTimer.stop();

    PollMarks marks;
    if (m_camera) {
        // The camera's values were fetched off the UI thread for this tick; reading them does not wait.
        for (const auto& [name, value] : m_camera->PollDeviceProperties())
            applyDeviceProperty(marks, name, value);
    }
    m_pollMarks = marks;
    emit pollMarksChanged(m_pollMarks);

    FirstTick = false;
    if (!m_shutDown)
        m_pollTimer.start();
}

void ApplicationCore::setWaitCursor(bool on)
{
    if (m_view)
        m_view->setWaitCursor(on);
}

void ApplicationCore::RefreshDeviceList()
{
    if (m_camera)
        m_camera->RefreshDeviceList();
}

void ApplicationCore::SelectDeviceByName(const QString& name)
{
    if (m_camera)
        m_camera->SelectDeviceByName(name);
}

void ApplicationCore::TriggerPicture()
{
    if (m_camera)
        m_camera->TriggerPicture();
}

FileResult ApplicationCore::DeleteCameraItems()
{
    if (!m_camera)
        return FileResult::failure(QStringLiteral("Es ist keine Kamera verbunden."));
    return m_camera->DeleteCameraItems();
}

FileResult ApplicationCore::SaveCurrentImage(const QString& fileName)
{
    if (!m_camera)
        return FileResult::failure(QStringLiteral("Es wird kein Bild angezeigt."));
    return m_camera->SaveCurrentImage(fileName);
}

bool ApplicationCore::CopyImageToClipboard()
{
    if (!m_camera || !m_view || m_camera->shownPictureFile().isEmpty())
        return false;
    return m_view->copyPictureToClipboard(m_camera->shownPictureFile());
}

void ApplicationCore::ClearImageStore()
{
    if (m_camera)
        m_camera->ClearImageStore();
}

void ApplicationCore::ClearImage()
{
    if (m_camera)
        m_camera->ClearImage();
}

void ApplicationCore::ShowCameraInfo()
{
    if (!m_view)
        return;
    CameraInfo info;
    {
        WaitCursor wait(m_view);
        if (m_camera)
            info = m_camera->cameraInfo();
    }
    m_view->openCameraInfo(info);
}

void ApplicationCore::ShowInfo()
{
    if (m_openAbout)
        m_openAbout();
}

QSize ApplicationCore::shownImageSize() const { return m_camera ? m_camera->shownPictureSize() : QSize(); }

void ApplicationCore::AddSeriesPicture(const QString& fileName)
{
    if (QFileInfo(fileName).isFile())
        SeriesFiles.append(fileName);
}

void ApplicationCore::closeMainWindow()
{
    if (m_view)
        m_view->closeMainWindow();
}

}  // namespace shutterhand
