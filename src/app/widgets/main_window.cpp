#include "app/widgets/main_window.h"

#include "app/core/program_info.h"
#include "app/widgets/log_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace shutterhand {

namespace {

constexpr int kWidth = 433;
constexpr int kHeight = 502;

// Where the window manager lets a program place and move its own window (X11 does, Wayland does not).
bool platformPlacesWindows() { return QGuiApplication::platformName() != QLatin1String("wayland"); }

QLabel* whiteLabel(const QString& objectName, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    return label;
}

}  // namespace

MainWindow::MainWindow(ApplicationCore& core, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint)
    , m_core(core)
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(kMainWindowCaption);
    setFixedSize(kWidth, kHeight);
    QFont font = QApplication::font();
    font.setPointSize(8);
    setFont(font);

    m_skin = loadSkin(QStringLiteral(":/shutterhand/skin.jpg"));
    if (!m_skin.picture.isNull()) {
        // The red parts of the skin are outside the window: the mask gives the shape where there is no
        // compositor, the transparent pixels where there is one.
        setAttribute(Qt::WA_TranslucentBackground);
        setMask(m_skin.mask);
    } else {
        setAutoFillBackground(true);
        QPalette dark = palette();
        dark.setColor(QPalette::Window, Qt::black);
        setPalette(dark);
    }

    buildControls();
    buildMenus();
    connectCore();
    connectCameraControls();
    // Scripts reach the about dialog through the core, which knows no windows.
    m_core.setAboutDialog([this] { openAboutDialog(); });
}

MainWindow::~MainWindow()
{
    m_core.setAboutDialog({});
    if (m_waitCursorDepth > 0)
        QApplication::restoreOverrideCursor();
}

void MainWindow::buildControls()
{
    // Dark controls that suit the skin.
    setStyleSheet(QStringLiteral(
        "QPushButton { color: white; background: #2b2d31; border: 1px solid #55585e; border-radius: 3px; }"
        "QPushButton:hover { background: #383b40; }"
        "QPushButton:pressed { background: #1e1f22; }"
        "QPushButton:disabled { color: #6c6f75; border-color: #3a3c40; }"
        "QComboBox { color: white; background: #2b2d31; border: 1px solid #55585e; border-radius: 3px;"
        "            padding: 1px 6px; }"
        "QComboBox:disabled { color: #8a8d93; border-color: #3a3c40; }"
        "QComboBox QAbstractItemView { color: white; background: #2b2d31; selection-background-color: #4a4d52; }"));

    m_logo = new QLabel(this);
    m_logo->setObjectName(QStringLiteral("Image2"));
    m_logo->setPixmap(QPixmap(QStringLiteral(":/shutterhand/logo.png")));
    m_logo->adjustSize();
    m_logo->move(208, 16);
    m_logo->installEventFilter(this);

    m_cameraLabel = whiteLabel(QStringLiteral("Label2"), this);
    m_cameraLabel->setText(QStringLiteral("Kameramodel:"));
    m_cameraLabel->move(16, 56);

    m_cameraList = new QComboBox(this);
    m_cameraList->setObjectName(QStringLiteral("ComboBox1"));
    m_cameraList->setGeometry(16, 72, 393, 21);
    m_cameraList->setEditable(false);
    // Until the camera session fills it, the list holds only its placeholder and is disabled.
    m_cameraList->addItem(QString());
    m_cameraList->setEnabled(false);

    m_release = new QPushButton(QStringLiteral("Auslösen"), this);
    m_release->setObjectName(QStringLiteral("BitBtn1"));
    m_release->setGeometry(16, 96, 75, 25);
    m_release->setEnabled(false);

    m_cameraInfo = new QPushButton(QStringLiteral("Kamerainfos"), this);
    m_cameraInfo->setObjectName(QStringLiteral("BitBtn2"));
    m_cameraInfo->setGeometry(312, 96, 97, 25);
    m_cameraInfo->setEnabled(false);

    m_pictureFrame = new QFrame(this);
    m_pictureFrame->setObjectName(QStringLiteral("Panel1"));
    m_pictureFrame->setGeometry(18, 128, 391, 297);
    m_pictureFrame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_pictureFrame->setStyleSheet(QStringLiteral("#Panel1 { background: white; }"));

    m_picture = new QLabel(m_pictureFrame);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setGeometry(m_pictureFrame->contentsRect());
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setPixmap(QPixmap(QStringLiteral(":/shutterhand/placeholder.jpg"))
                             .scaled(m_picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));

    m_exifLabel = new QLabel(m_pictureFrame);
    m_exifLabel->setObjectName(QStringLiteral("LabelExif"));
    m_exifLabel->setGeometry(230, 222, 160, 74);
    m_exifLabel->setWordWrap(true);
    m_exifLabel->setStyleSheet(QStringLiteral("color: red; background: transparent;"));
    m_exifLabel->hide();

    m_infoPanel = new QFrame(this);
    m_infoPanel->setObjectName(QStringLiteral("PanelInfo"));
    m_infoPanel->setGeometry(18, 368, 391, 58);
    m_infoPanel->setStyleSheet(QStringLiteral("#PanelInfo { background: rgb(0, 64, 0); }"));
    m_infoLabel = new QLabel(m_infoPanel);
    m_infoLabel->setObjectName(QStringLiteral("LabelInfo"));
    m_infoLabel->setGeometry(4, 3, 365, 52);
    m_infoLabel->setWordWrap(true);
    m_infoLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_infoLabel->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_infoLabel->installEventFilter(this);
    m_infoClose = new QLabel(m_infoPanel);
    m_infoClose->setObjectName(QStringLiteral("Image3"));
    m_infoClose->setGeometry(371, 3, 16, 16);
    m_infoClose->setPixmap(QPixmap(QStringLiteral(":/shutterhand/close.png")));
    m_infoClose->setCursor(Qt::PointingHandCursor);
    m_infoClose->installEventFilter(this);
    m_infoPanel->hide();

    m_isoLabel = whiteLabel(QStringLiteral("LabelISO"), this);
    m_isoLabel->setGeometry(16, 432, 200, 16);
    m_isoLabel->hide();

    m_battery = new QLabel(this);
    m_battery->setObjectName(QStringLiteral("ImageBattarie"));
    m_battery->setGeometry(393, 433, 16, 16);
    m_battery->hide();

    m_status = whiteLabel(QStringLiteral("Statusbar"), this);
    m_status->setGeometry(16, 472, 401, 17);
    m_status->setStyleSheet(QStringLiteral("color: white; background: black;"));
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void MainWindow::connectCore()
{
    connect(&m_core, &ApplicationCore::logWindowOpened, this, &MainWindow::openLogWindow);
    connect(&m_core, &ApplicationCore::logWindowClosed, this, &MainWindow::closeLogWindow);
    connect(&m_core, &ApplicationCore::logEntryAdded, this, [this](const LogEntry& entry) {
        if (m_logWindow)
            m_logWindow->AddEntry(entry);
    });
    connect(&m_core, &ApplicationCore::deleteImagesCheckedChanged, this, &MainWindow::syncCheckMarks);
    connect(&m_core, &ApplicationCore::ftpPushCheckedChanged, this, &MainWindow::syncCheckMarks);
    connect(&m_core, &ApplicationCore::webserverCheckedChanged, this, &MainWindow::syncCheckMarks);
    connect(&m_core, &ApplicationCore::infoPanelChanged, this, &MainWindow::showInfoPanel);
    connect(&m_core, &ApplicationCore::pollMarksChanged, this, &MainWindow::showPollMarks);
}

bool MainWindow::startUp() { return m_core.start(*this); }

void MainWindow::placeWindow()
{
    if (!platformPlacesWindows())
        return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(screen->geometry().width() - width() - 20, 10);
}

void MainWindow::closeMainWindow()
{
    // An action may ask for this while it runs: close once its handler has returned.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::setWaitCursor(bool on)
{
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_waitCursorDepth;
    } else if (m_waitCursorDepth > 0) {
        QApplication::restoreOverrideCursor();
        --m_waitCursorDepth;
    }
}

void MainWindow::openLogWindow()
{
    if (m_logWindow)
        return;
    m_logWindow = new TFormLogfenster(m_core.GetLangText(76), this);
    connect(m_logWindow, &TFormLogfenster::closedByUser, this, [this] {
        if (m_core.logBook().isOpen())
            m_core.ToggleLogWindow();
    });
    m_logWindow->show();
    syncCheckMarks();
}

void MainWindow::closeLogWindow()
{
    if (m_logWindow) {
        m_logWindow->hide();
        m_logWindow->deleteLater();
        m_logWindow = nullptr;
    }
    syncCheckMarks();
}

void MainWindow::showInfoPanel()
{
    m_infoLabel->setText(m_core.infoText());
    m_infoLabel->setCursor(m_core.InfoAction.trimmed().isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    m_infoPanel->setVisible(m_core.infoPanelVisible());
}

void MainWindow::showPollMarks(const PollMarks& marks)
{
    if (marks.battery) {
        m_battery->setPixmap(QPixmap(QStringLiteral(":/shutterhand/battery_%1.png").arg(marks.batteryIcon)));
        m_battery->setToolTip(marks.batteryHint);
        m_battery->repaint();
    }
    m_battery->setVisible(marks.battery);
    m_isoLabel->setText(marks.isoText);
    m_isoLabel->setVisible(marks.iso);
}

void MainWindow::paintEvent(QPaintEvent*)
{
    if (m_skin.picture.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_skin.picture);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (!m_drag.press(event->position().toPoint()))
        return;
    if (!platformPlacesWindows() && windowHandle() && windowHandle()->startSystemMove()) {
        // The compositor moves the window and keeps the pointer until the button is let go; the next
        // pointer event that reaches us tells that the move has ended.
        m_drag.markMoved();
        m_systemMovePending = true;
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_systemMovePending) {
        finishSystemMove();
        return;
    }
    if (!m_drag.dragging())
        return;
    const QPoint delta = m_drag.move(event->position().toPoint());
    if (!delta.isNull())
        move(pos() + delta);
}

void MainWindow::mouseReleaseEvent(QMouseEvent*)
{
    if (m_systemMovePending) {
        finishSystemMove();
        return;
    }
    if (m_drag.release())
        m_core.FireEvent(QStringLiteral("ApplicationMove"));
}

void MainWindow::finishSystemMove()
{
    m_systemMovePending = false;
    if (m_drag.release())
        m_core.FireEvent(QStringLiteral("ApplicationMove"));
}

bool MainWindow::event(QEvent* event)
{
    if (m_systemMovePending && (event->type() == QEvent::Enter || event->type() == QEvent::WindowActivate))
        finishSystemMove();
    return QWidget::event(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_logo && event->type() == QEvent::MouseButtonDblClick) {
        openAboutDialog();
        return true;
    }
    if (watched == m_infoClose && event->type() == QEvent::MouseButtonRelease) {
        m_core.CloseInfoPanel();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    m_core.shutdown();
    if (m_logWindow) {
        // The log window goes with the program; that is not the user closing it.
        m_logWindow->disconnect(this);
        m_logWindow->close();
    }
    event->accept();
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

}  // namespace shutterhand
