// The main window's share of the camera: the camera list and the two buttons, the status line, the
// picture with its context menu, the EXIF overlay with its colour menu, and the properties dialog.

#include "app/widgets/main_window.h"
#include "camera/widgets/camera_properties_dialog.h"
#include "camera/widgets/picture_loader.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>

namespace shutterhand {

void MainWindow::connectCameraControls()
{
    connect(m_cameraList, &QComboBox::activated, this, [this](int index) {
        if (CameraService* camera = m_core.cameraService())
            camera->ComboBox1Change(index);
    });
    connect(m_release, &QPushButton::clicked, this, [this] {
        if (CameraService* camera = m_core.cameraService())
            camera->BitBtn1Click();
    });
    connect(m_cameraInfo, &QPushButton::clicked, this, [this] { m_core.ShowCameraInfo(); });
    connect(m_actClearStore, &QAction::triggered, this, [this] {
        if (CameraService* camera = m_core.cameraService())
            camera->AskClearImageStore();
    });

    // The picture's context menu.
    m_pictureMenu = new QMenu(this);
    m_pictureMenu->setObjectName(QStringLiteral("PopupMenu1"));
    m_actSaveAs
        = addAction(m_pictureMenu, QStringLiteral("Bildspeichernunter1"), QStringLiteral("Bild speichern unter..."));
    m_actSaveAs->setEnabled(false);
    m_actShowExif = addAction(m_pictureMenu, QStringLiteral("ExifDateneinblenden1"),
                              QStringLiteral("Exif- Daten einblenden"), true);
    connect(m_actSaveAs, &QAction::triggered, this, [this] {
        if (CameraService* camera = m_core.cameraService())
            camera->SaveShownPictureAs();
    });
    connect(m_actShowExif, &QAction::triggered, this, [this] {
        if (CameraService* camera = m_core.cameraService())
            camera->ToggleExifOverlay();
    });
    m_picture->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_picture, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const CameraService* camera = m_core.cameraService();
        m_actShowExif->setChecked(camera && camera->exifOverlayChecked());
        m_pictureMenu->popup(m_picture->mapToGlobal(at));
    });

    // The overlay's colour menu is the overlay's own context menu, so that a user who cannot read the
    // red text on a picture finds the remedy where the text is.
    m_actBright->setCheckable(true);
    m_actDark->setCheckable(true);
    connect(m_actBright, &QAction::triggered, this, [this] { setOverlayColour(m_actBright); });
    connect(m_actDark, &QAction::triggered, this, [this] { setOverlayColour(m_actDark); });
    m_exifLabel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_exifLabel, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_overlayMenu->popup(m_exifLabel->mapToGlobal(at)); });
}

void MainWindow::setOverlayColour(QAction* chosen)
{
    const bool bright = chosen == m_actBright;
    m_actBright->setChecked(bright);
    m_actDark->setChecked(!bright);
    // A bright picture gets black text, a dark one white.
    m_exifLabel->setStyleSheet(bright ? QStringLiteral("color: black; background: transparent;")
                                      : QStringLiteral("color: white; background: transparent;"));
}

void MainWindow::showCameraList(const QStringList& entries, int current, bool enabled)
{
    const QSignalBlocker blocker(m_cameraList);
    m_cameraList->clear();
    m_cameraList->addItems(entries);
    m_cameraList->setCurrentIndex(current);
    m_cameraList->setEnabled(enabled);
}

void MainWindow::setCameraControls(bool release, bool info, bool series)
{
    m_release->setEnabled(release);
    m_cameraInfo->setEnabled(info);
    m_actSeries->setEnabled(series);
}

void MainWindow::showStatus(const QString& text) { m_status->setText(text); }

void MainWindow::showPicture(const QString& file)
{
    QImage picture;
    if (!file.isEmpty())
        picture = LoadPictureForFrame(file, m_picture->size());
    if (picture.isNull())
        picture = LoadPictureForFrame(QStringLiteral(":/shutterhand/placeholder.jpg"), m_picture->size());
    m_picture->setPixmap(QPixmap::fromImage(picture));
}

void MainWindow::showExifOverlay(const QString& text, bool visible)
{
    QString lines = text;
    m_exifLabel->setText(lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_exifLabel->setVisible(visible);
}

void MainWindow::setSaveAsEnabled(bool enabled) { m_actSaveAs->setEnabled(enabled); }

bool MainWindow::copyPictureToClipboard(const QString& file)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QImage picture(file);
    if (!clipboard || picture.isNull())
        return false;
    clipboard->setImage(picture);
    return true;
}

void MainWindow::openCameraInfo(const CameraInfo& info)
{
    TFormKameraeigenschaften dialog([this](int id) { return m_core.GetLangText(id); }, info, this);
    dialog.exec();
}

}  // namespace shutterhand
