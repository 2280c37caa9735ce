#include "actions/script/script_objects.h"

#include "actions/event_names.h"
#include "app/core/application_core.h"
#include "web/thumbnail.h"

#include <QFile>
#include <QFileInfo>

namespace shutterhand {

namespace {

// A bare name means a file in the image store, as for Image.SaveToFile; a name with a folder part is
// taken as it stands.
QString storePath(const ApplicationCore& core, const QString& fileName)
{
    return fileName.contains(u'/') ? fileName : core.directory(QStringLiteral("Images")) + fileName;
}

// Removes one file (or a link, dangling or not); a name with nothing behind it is no error.
FileResult removeIfPresent(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return FileResult::success();
    if (info.isDir() && !info.isSymLink())
        return FileResult::failure(QStringLiteral("%1 ist ein Ordner und wird nicht gelöscht.").arg(path));
    QFile file(path);
    if (!file.remove())
        return FileResult::failure(
            QStringLiteral("Die Datei %1 kann nicht gelöscht werden: %2").arg(path, file.errorString()));
    return FileResult::success();
}

}  // namespace

TMyApplication::TMyApplication(ApplicationCore& core, std::shared_ptr<TSystemConfig> config)
    : m_core(core)
    , m_config(std::move(config))
{ }

void TMyApplication::close() { m_core.SetCloseAfterAction(true); }

void TMyApplication::SelectDevice(const QString& deviceName) { m_core.SelectDeviceByName(deviceName); }

void TMyApplication::StartApp(const QString& appName, const QString& parameter)
{
    m_core.ShellOpen(appName, parameter);
}

void TMyApplication::ShowCameraInfo() { m_core.ShowCameraInfo(); }

void TMyApplication::ShowInfo() { m_core.ShowInfo(); }

void TMyApplication::TakePicture() { m_core.TriggerPicture(); }

FileResult TMyCamera::DeleteItems() { return m_core.DeleteCameraItems(); }

FileResult TMyFile::Delete(const QString& fileName)
{
    if (fileName.isEmpty())
        return FileResult::success();  // names no file, so there is nothing to delete
    const QString target = storePath(m_core, fileName);
    if (const FileResult removed = removeIfPresent(target); !removed.ok())
        return removed;
    // The gallery shows a thumbnail only beside its picture; one left behind would be an orphan.
    const QString thumbnail = ThumbnailPath(target);
    if (thumbnail == target)
        return FileResult::success();  // not a picture name: there is no thumbnail
    return removeIfPresent(thumbnail);
}

FileResult TMyImage::SaveToFile(ImageSaveType saveType, const QString& fileName)
{
    m_core.FireEvent(events::SaveImage);
    switch (saveType) {
    case ImageSaveType::STAuto: {
        // The name is taken after SaveImage's action, which may have saved pictures of its own.
        const QString name = QString::number(m_core.PictureCounter) + QStringLiteral("_Image.jpg");
        const FileResult saved = m_core.SaveCurrentImage(name);
        if (saved.ok())
            m_core.IncPictureCounter();
        return saved;
    }
    case ImageSaveType::STFilename:
        return m_core.SaveCurrentImage(fileName);
    case ImageSaveType::STDialog:
        return m_core.SaveCurrentImage(QString());
    }
    return FileResult::failure(QStringLiteral("Unbekannte Art des Speicherns: %1").arg(static_cast<int>(saveType)));
}

void TMyImage::ToClipboard() { m_core.CopyImageToClipboard(); }

void TMyImage::Clear() { m_core.ClearImage(); }

int TMyImage::Count() const { return m_core.PictureCounter; }

int TMyImage::Width() const
{
    const QSize size = m_core.shownImageSize();
    return size.isValid() ? size.width() : 0;
}

int TMyImage::Height() const
{
    const QSize size = m_core.shownImageSize();
    return size.isValid() ? size.height() : 0;
}

}  // namespace shutterhand
