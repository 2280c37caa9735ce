#include "camera/device/device_item.h"

#include "camera/device/device_ids.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace shutterhand {

StagedFile::~StagedFile()
{
    if (!m_moved)
        QFile::remove(m_path);
}

FileResult StagedFile::moveTo(const QString& target)
{
    if (m_moved)
        return FileResult::failure(QStringLiteral("Das Bild %1 wurde schon gespeichert.").arg(m_path));
    if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(target).constData()) == 0) {
        m_moved = true;
        // The copy was made private while it was a staging file; the picture is an ordinary file now.
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        return FileResult::success();
    }
    const int renameError = errno;
    if (renameError != EXDEV) {
        return FileResult::failure(QStringLiteral("%1 kann nicht geschrieben werden: %2")
                                       .arg(target, QString::fromLocal8Bit(std::strerror(renameError))));
    }
    // Another file system: copy the bytes into a new file beside the target, then rename that.
    QFile source(m_path);
    if (!source.open(QIODevice::ReadOnly))
        return FileResult::failure(
            QStringLiteral("%1 kann nicht gelesen werden: %2").arg(m_path, source.errorString()));
    const FileResult written = writeFileAtomically(target, source.readAll());
    if (written.ok()) {
        source.close();
        QFile::remove(m_path);
        m_moved = true;
    }
    return written;
}

DeviceItem::DeviceItem(CameraFile file, std::shared_ptr<StagedFile> staged, QString stagingError)
    : m_file(std::move(file))
    , m_staged(std::move(staged))
    , m_stagingError(std::move(stagingError))
{ }

QStringList DeviceItem::Formats() const
{
    if (m_file.isJpeg())
        return {wia::FormatJpeg};
    return {m_file.mimeType.isEmpty() ? QStringLiteral("application/octet-stream") : m_file.mimeType};
}

DeviceResult<ImageFile> DeviceItem::Transfer(const QString& formatId) const
{
    if (!Formats().contains(formatId))
        return deviceError(DeviceErrorKind::NotSupported,
                           QStringLiteral("%1 liegt nicht im Format %2 vor.").arg(m_file.name, formatId));
    if (!m_staged) {
        const QString why
            = m_stagingError.isEmpty() ? QStringLiteral("es wurde nicht von der Kamera kopiert") : m_stagingError;
        return deviceError(DeviceErrorKind::Failed,
                           QStringLiteral("%1 kann nicht übertragen werden: %2").arg(m_file.name, why));
    }
    return ImageFile(m_staged);
}

}  // namespace shutterhand
