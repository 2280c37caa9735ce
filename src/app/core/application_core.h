#pragma once

#include "actions/event_dispatcher.h"
#include "app/core/camera_service.h"
#include "app/core/lang_table.h"
#include "app/core/log_book.h"
#include "app/core/main_view.h"
#include "app/core/poll_marks.h"
#include "common/atomic_file.h"
#include "common/prompter.h"
#include "config/system_config.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>

namespace shutterhand {

// The application core: owns what the main window owns (configuration, language table, log, the state
// of the camera session and of a series) and offers the operations that every other part calls.
// The main window presents it; tests and the command-line tool drive it without widgets.
class ApplicationCore : public QObject, public DispatchHost {
    Q_OBJECT

public:
    // `programDir` is the folder of the running program (it holds data/var.dat, Lang/, Events/ ...).
    ApplicationCore(const QString& programDir, Prompter& prompter, DesktopServices& desktop, QObject* parent = nullptr);
    ~ApplicationCore() override;

    // The start-up sequence, steps 1 to 18. False when the program cannot go on (var.dat unreadable);
    // the user has been told why.
    bool start(MainView& view);
    // The shutdown sequence: EndShutterhand, then the camera service is released. Runs once.
    void shutdown();
    bool isShutDown() const { return m_shutDown; }
    bool isStarted() const { return m_started; }

    // --- configuration
    TSystemConfig& config() { return *m_config; }
    const TSystemConfig& config() const { return *m_config; }
    QString directory(const QString& name) const;
    // Writes var.dat and raises ConfigSave; on failure nothing is raised and the error is returned.
    FileResult SaveSystemVars();

    // --- language
    QString GetLangText(int32_t id) const { return m_lang.GetText(id); }
    const TLangControl& langControl() const { return m_lang; }
    QList<LanguageChoice> languageChoices() const;
    bool isCurrentLanguage(const LanguageChoice& choice) const;
    // Switches to another language: saves DefaultLang, reloads the table, relabels the main window.
    void SelectLanguage(const LanguageChoice& choice);

    // --- log window
    void WriteLog(int kind, const QString& message) override;
    // The menu entry "Logfenster" (and the window's own close box).
    void ToggleLogWindow();
    const LogBook& logBook() const { return m_log; }

    // --- events
    void FireEvent(const QString& eventVariable) { m_dispatcher.FireEvent(eventVariable); }
    EventDispatcher& dispatcher() { return m_dispatcher; }
    void setActionRunner(ActionRunner* runner) { m_runner = runner; }

    // --- camera session, picture intake and image store (the camera subsystem does the work)
    void setCameraService(CameraService* camera) { m_camera = camera; }
    CameraService* cameraService() const { return m_camera; }
    void setPicturePush(PicturePush* push) { m_picturePush = push; }
    PicturePush* picturePush() const { return m_picturePush; }
    MainView* view() const { return m_view; }
    // The hourglass cursor on or off; calls nest.
    void setWaitCursor(bool on);
    void RefreshDeviceList();
    void SelectDeviceByName(const QString& name);
    // Releases the shutter when a connected camera can take pictures; does nothing otherwise.
    void TriggerPicture();
    // Deletes the pictures on the camera; fails without a connected camera.
    FileResult DeleteCameraItems();
    // Stores the shown picture; a bare name goes into the image store, an empty one asks the user.
    FileResult SaveCurrentImage(const QString& fileName);
    // The number of the next automatically named picture goes up by one (65535 is followed by 0).
    void IncPictureCounter() { ++PictureCounter; }
    // Puts the shown picture on the clipboard; false when there is none or no clipboard.
    bool CopyImageToClipboard();
    void ClearImageStore();
    // Shows the placeholder picture in place of the picture.
    void ClearImage();
    // The camera properties dialog ("Kamerainfos").
    void ShowCameraInfo();
    // The about dialog ("Info über..."), through the callback the main window gives; nothing without one.
    void ShowInfo();
    void setAboutDialog(std::function<void()> open) { m_openAbout = std::move(open); }
    // The shown picture's size; empty without a picture.
    QSize shownImageSize() const;

    // --- series hooks
    void SetSeriesFileName(const QString& fileName) { SeriesFileName = fileName; }
    // Adds the file to the series list only when it exists.
    void AddSeriesPicture(const QString& fileName);
    void ClearSeriesFiles() { SeriesFiles.clear(); }
    QStringList& GetSeriesFiles() { return SeriesFiles; }

    // --- state shared by the parts
    QString CurrentDeviceName;
    QString LastSavedFileName;
    QStringList SeriesFiles;
    bool SeriesMode = false;
    QString SeriesFileName;
    bool PictureRequested = false;
    bool PicturePending = false;
    uint16_t PictureCounter = 1;
    bool FirstTick = true;
    QString InfoAction;

    bool CloseAfterAction() const { return m_closeAfterAction; }
    void SetCloseAfterAction(bool close) { m_closeAfterAction = close; }

    // --- info panel
    void ShowInfoPanel(const QString& text, const QString& action);
    void HideInfoPanel();
    // The close mark of the info panel.
    void CloseInfoPanel();
    bool infoPanelVisible() const { return m_infoVisible; }
    QString infoText() const { return m_infoText; }

    // --- menu entries
    void ToggleDeleteImages();
    bool deleteImagesChecked() const { return m_deleteImages; }
    void ToggleFtpPush();
    bool ftpPushChecked() const { return m_ftpPush; }
    void ToggleWebserver();
    bool webserverChecked() const { return m_webserver; }
    void setWebServerControl(WebServerControl* control) { m_webServerControl = control; }
    void OpenHelp();
    void OpenWebsite();
    // The desktop's "open" of a file with parameters: a program (a path, or a bare name found on the
    // search path) is started with the parameters split as a shell would split them; anything else goes
    // to its default application. Not checked.
    void ShellOpen(const QString& file, const QString& parameters);

    // --- poll timer
    QTimer& pollTimer() { return m_pollTimer; }
    const PollMarks& pollMarks() const { return m_pollMarks; }
    void PollTick();

    Prompter& prompter() { return m_prompter; }

    // DispatchHost
    const TSystemConfig& dispatchConfig() const override { return *m_config; }
    QString currentDeviceName() const override { return CurrentDeviceName; }
    QString lastSavedFileName() const override { return LastSavedFileName; }
    ActionRunner* actionRunner() override { return m_runner; }
    bool closeAfterAction() const override { return m_closeAfterAction; }
    void closeMainWindow() override;

signals:
    void logWindowOpened();
    void logWindowClosed();
    void logEntryAdded(const shutterhand::LogEntry& entry);
    void deleteImagesCheckedChanged(bool checked);
    void ftpPushCheckedChanged(bool checked);
    void webserverCheckedChanged(bool checked);
    void infoPanelChanged();
    void pollMarksChanged(const shutterhand::PollMarks& marks);
    void languageChanged();

private:
    void setDeleteImagesChecked(bool checked);
    void loadLanguageAtStart();
    // Shows a failed save to the user; true when it succeeded.
    bool reportSave(const FileResult& result);

    Prompter& m_prompter;
    DesktopServices& m_desktop;
    MainView* m_view = nullptr;
    QString m_programDir;

    TLangControl m_lang;
    std::unique_ptr<TSystemConfig> m_config;
    LogBook m_log;
    EventDispatcher m_dispatcher;
    ActionRunner* m_runner = nullptr;
    WebServerControl* m_webServerControl = nullptr;
    CameraService* m_camera = nullptr;
    PicturePush* m_picturePush = nullptr;
    std::function<void()> m_openAbout;

    QTimer m_pollTimer;
    PollMarks m_pollMarks;

    bool m_closeAfterAction = false;
    bool m_deleteImages = false;
    bool m_ftpPush = false;
    bool m_webserver = false;
    bool m_infoVisible = false;
    QString m_infoText;
    bool m_started = false;
    bool m_shutDown = false;
};

}  // namespace shutterhand
