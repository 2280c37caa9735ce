// The camera session's picture intake and image store: new pictures from the camera, the EXIF
// overlay, storing the shown picture and clearing the store.

#include "actions/event_names.h"
#include "app/core/application_core.h"
#include "camera/camera_session.h"
#include "camera/device/device_ids.h"
#include "camera/image_store.h"
#include "imaging/file_bytes.h"
#include "imaging/jpeg_decoder.h"
#include "web/thumbnail.h"

#include <QDir>
#include <QFileInfo>

namespace shutterhand {

namespace {

const QString kSaveTitle = QStringLiteral("Bild speichern unter...");
const QString kSaveFilter = QStringLiteral("Jpeg- Dateien (*.jpg)");

}  // namespace

void CameraSession::takeInPicture(const QString& itemId)
{
    // The device stays alive while the actions of the picture events run, whatever they do.
    const std::shared_ptr<Device> device = m_device;
    const std::shared_ptr<DeviceItem> item = device->GetItem(itemId);
    if (!item) {
        intakeFailed(QStringLiteral("Die Kamera kennt das Bild %1 nicht.").arg(itemId));
        return;
    }
    bool jpeg = false;
    for (const QString& format : item->Formats()) {
        if (format != wia::FormatJpeg)
            continue;
        jpeg = true;
        if (!takeInJpeg(item))
            return;  // the handling of the event ends with the failure
    }
    if (!jpeg && m_releasing && m_releaseDevice == device.get() && !m_noJpegGrace.isActive()) {
        // A RAW file: its JPEG twin, if the camera makes one, follows within moments.
        m_noJpegGrace.start();
    }
    if (m_device && m_device->ItemCount() > 0 && m_core.deleteImagesChecked())
        DeleteCameraItems();
}

bool CameraSession::takeInJpeg(const std::shared_ptr<DeviceItem>& item)
{
    // The picture is here: the time limit of the release stops.
    m_releaseLimit.stop();
    m_noJpegGrace.stop();
    DeviceResult<ImageFile> transfer = item->Transfer(wia::FormatJpeg);
    if (!transfer.ok()) {
        intakeFailed(transfer.error().message);
        return false;
    }
    const QString tmpDir = m_core.directory(QStringLiteral("WorkDir")) + QStringLiteral("tmp");
    if (!QDir().mkpath(tmpDir)) {
        intakeFailed(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.").arg(tmpDir));
        return false;
    }
    const QString tmpFile = tmpDir + QStringLiteral("/tmp.jpg");
    if (const FileResult saved = transfer.value().SaveFile(tmpFile); !saved.ok()) {
        intakeFailed(saved.error);
        return false;
    }
    UpdateExifLabel();
    m_shownFile = tmpFile;
    if (MainView* view = m_core.view())
        view->showPicture(tmpFile);
    if (m_core.ftpPushChecked() && m_core.picturePush())
        m_core.picturePush()->pushPicture(tmpFile);

    QString event;
    if (!m_core.PictureRequested) {
        event = events::TakePicture;
    } else if (m_core.SeriesMode) {
        const QString seriesFile = m_core.SeriesFileName;
        if (const FileResult written = CopyPictureFile(tmpFile, seriesFile); !written.ok()) {
            intakeFailed(written.error);
            return false;
        }
        m_core.AddSeriesPicture(seriesFile);
        event = events::TakeSeriesPicture;
    } else {
        event = events::TakeRemotePicture;
    }
    // The release is over before the picture's action runs, so that the action can release the shutter
    // again and its own release keeps its marks.
    m_core.PictureRequested = false;
    m_core.PicturePending = false;
    m_saveAsEnabled = true;
    if (MainView* view = m_core.view())
        view->setSaveAsEnabled(true);
    if (m_releasing)
        endRelease();
    m_core.FireEvent(event);
    return true;
}

void CameraSession::intakeFailed(const QString& message)
{
    m_core.WriteLog(2, QStringLiteral("Das Bild der Kamera konnte nicht übernommen werden: ") + message);
    // A wait for this picture (a release, the end of a series) must be able to end.
    if (m_releasing || m_core.PicturePending) {
        m_core.PicturePending = false;
        releaseCursor();
        endRelease();
    }
}

void CameraSession::UpdateExifLabel()
{
    m_exifText = ExifOverlayText(m_core.directory(QStringLiteral("WorkDir")) + QStringLiteral("tmp/tmp.jpg"));
    if (MainView* view = m_core.view())
        view->showExifOverlay(m_exifText, m_exifChecked);
}

void CameraSession::ToggleExifOverlay()
{
    m_exifChecked = !m_exifChecked;
    if (MainView* view = m_core.view())
        view->showExifOverlay(m_exifText, m_exifChecked);
}

FileResult CameraSession::SaveCurrentImage(const QString& fileName)
{
    m_core.LastSavedFileName.clear();
    if (m_shownFile.isEmpty())
        return FileResult::failure(QStringLiteral("Es wird kein Bild angezeigt, das gespeichert werden könnte."));
    const QString images = m_core.directory(QStringLiteral("Images"));
    QString name = fileName;
    if (name.trimmed().isEmpty()) {
        name = m_core.prompter().askSaveFileName(kSaveTitle, images, kSaveFilter);
        if (name.trimmed().isEmpty())
            return FileResult::success();  // cancelled: nothing is stored
    }
    const QString target = ImageStoreTarget(name, images);
    if (const FileResult written = CopyPictureFile(m_shownFile, target); !written.ok())
        return written;
    m_core.LastSavedFileName = target;
    const ThumbnailResult thumbnail
        = MakeThumbnail(target, true, [this](const QString&) { m_core.FireEvent(events::CreateThumbnail); });
    if (thumbnail.outcome == ThumbnailOutcome::Failed)
        m_core.WriteLog(1, QStringLiteral("Vorschaubild zu %1: %2").arg(target, thumbnail.error));
    return FileResult::success();
}

void CameraSession::SaveShownPictureAs()
{
    if (m_shownFile.isEmpty())
        return;
    const QString target
        = m_core.prompter().askSaveFileName(kSaveTitle, m_core.directory(QStringLiteral("Images")), kSaveFilter);
    if (target.isEmpty())
        return;
    if (const FileResult written = CopyPictureFile(m_shownFile, target); !written.ok())
        m_core.prompter().showMessage(Prompter::Icon::Error, written.error);
}

void CameraSession::AskClearImageStore()
{
    if (m_core.prompter().askYesNo(
            Prompter::Icon::Question,
            QStringLiteral("Sind Sie sicher, dass Sie jetzt den Bildspeicher von Shutterhand löschen möchten?")))
        ClearImageStore();
}

void CameraSession::ClearImageStore()
{
    m_core.setWaitCursor(true);
    m_core.WriteLog(0, QStringLiteral("Bilder aus dem Bildbuffer werden gelöscht..."));
    showStatus(QStringLiteral("Bilder werden gelöscht"));
    DeleteStoredPictures(m_core.directory(QStringLiteral("Images")));
    m_core.PictureCounter = 1;
    showStatus({});
    m_core.setWaitCursor(false);
}

void CameraSession::ClearImage()
{
    const QString placeholder = m_core.directory(QStringLiteral("Data")) + QStringLiteral("img/shutter_hand.jpg");
    m_shownFile = QFileInfo(placeholder).isFile() ? placeholder : QString();
    if (MainView* view = m_core.view())
        view->showPicture(m_shownFile);
}

QSize CameraSession::shownPictureSize() const
{
    if (m_shownFile.isEmpty())
        return {};
    const auto bytes = imaging::ReadFileBytes(QFile::encodeName(m_shownFile).toStdString());
    if (!bytes)
        return {};
    const auto header = imaging::ReadJpegHeader(bytes.value());
    return header ? QSize(header.value().width, header.value().height) : QSize();
}

}  // namespace shutterhand
