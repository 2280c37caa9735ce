#pragma once

#include "actions/widgets/actions_editor.h"
#include "app/core/application_core.h"
#include "app/core/main_view.h"
#include "app/core/window_drag.h"
#include "app/widgets/log_window.h"
#include "app/widgets/skin.h"

#include <QPointer>
#include <QWidget>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;

namespace shutterhand {

// The frameless, skinned main window. It presents the application core: menus, camera selection,
// shutter button, picture, status line, battery and ISO display and the info panel.
class MainWindow : public QWidget, public MainView {
    Q_OBJECT

public:
    MainWindow(ApplicationCore& core, Prompter& prompter, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the start-up sequence; false when the program cannot go on.
    bool startUp();

    // MainView
    void placeWindow() override;
    void buildLanguageMenu() override;
    void applyLanguage() override;
    void closeMainWindow() override;
    void setWaitCursor(bool on) override;
    void showCameraList(const QStringList& entries, int current, bool enabled) override;
    void setCameraControls(bool release, bool info, bool series) override;
    void showStatus(const QString& text) override;
    void showPicture(const QString& file) override;
    void showExifOverlay(const QString& text, bool visible) override;
    void setSaveAsEnabled(bool enabled) override;
    bool copyPictureToClipboard(const QString& file) override;
    void openCameraInfo(const CameraInfo& info) override;

    void openAboutDialog();
    void openSystemVarsDialog();
    // "Aktionen...": the actions editor; on OK every action is written back.
    void openActionsEditor();
    // How the actions editor checks code (the script runner's check); enables "Aktionen...".
    void setScriptCheck(ScriptCheck check);

    TFormLogfenster* logWindow() const { return m_logWindow; }
    QMenu* languageMenu() const { return m_menuLanguages; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    QAction* addAction(QMenu* menu, const QString& objectName, const QString& text, bool checkable = false);
    void connectCore();
    void syncCheckMarks();
    void onLanguageChosen(QAction* action);
    void openLogWindow();
    void closeLogWindow();
    void showInfoPanel();
    void showPollMarks(const PollMarks& marks);
    void finishSystemMove();
    // The camera's share of the window (main_window_camera.cpp): its controls' commands and the menus
    // of the picture and of the EXIF overlay.
    void connectCameraControls();
    void setOverlayColour(QAction* chosen);

    ApplicationCore& m_core;
    Prompter& m_prompter;
    ScriptCheck m_scriptCheck;
    Skin m_skin;
    WindowDrag m_drag;
    bool m_systemMovePending = false;
    int m_waitCursorDepth = 0;

    QMenuBar* m_menuBar = nullptr;
    QMenu* m_menuFile = nullptr;
    QMenu* m_menuFunctions = nullptr;
    QMenu* m_menuView = nullptr;
    QMenu* m_menuHelp = nullptr;
    QMenu* m_menuLanguages = nullptr;
    QMenu* m_overlayMenu = nullptr;
    QAction* m_actQuit = nullptr;
    QAction* m_actSeries = nullptr;
    QAction* m_actActions = nullptr;
    QAction* m_actWebserver = nullptr;
    QAction* m_actFtpPush = nullptr;
    QAction* m_actDeleteImages = nullptr;
    QAction* m_actClearStore = nullptr;
    QAction* m_actSettings = nullptr;
    QAction* m_actSysVars = nullptr;
    QAction* m_actLanguages = nullptr;
    QAction* m_actLogWindow = nullptr;
    QAction* m_actWebsite = nullptr;
    QAction* m_actUpdate = nullptr;
    QAction* m_actHelp = nullptr;
    QAction* m_actInfo = nullptr;
    QAction* m_actBright = nullptr;
    QAction* m_actDark = nullptr;
    QMenu* m_pictureMenu = nullptr;
    QAction* m_actSaveAs = nullptr;
    QAction* m_actShowExif = nullptr;

    QLabel* m_logo = nullptr;
    QLabel* m_cameraLabel = nullptr;
    QComboBox* m_cameraList = nullptr;
    QPushButton* m_release = nullptr;
    QPushButton* m_cameraInfo = nullptr;
    QFrame* m_pictureFrame = nullptr;
    QLabel* m_picture = nullptr;
    QLabel* m_exifLabel = nullptr;
    QFrame* m_infoPanel = nullptr;
    QLabel* m_infoLabel = nullptr;
    QLabel* m_infoClose = nullptr;
    QLabel* m_isoLabel = nullptr;
    QLabel* m_battery = nullptr;
    QLabel* m_status = nullptr;

    QPointer<TFormLogfenster> m_logWindow;
};

}  // namespace shutterhand
