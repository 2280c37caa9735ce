#include "camera/image_store.h"

#include "common/legacy_text.h"
#include "exif/exif_reader.h"

#include <QDir>
#include <QFile>

namespace shutterhand {

QString ImageStoreTarget(const QString& fileName, const QString& imagesDir)
{
    if (fileName.contains(u'/'))
        return fileName;
    return imagesDir + fileName;
}

FileResult CopyPictureFile(const QString& source, const QString& target)
{
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly))
        return FileResult::failure(QStringLiteral("%1 kann nicht gelesen werden: %2").arg(source, file.errorString()));
    return writeFileAtomically(target, file.readAll());
}

int DeleteStoredPictures(const QString& imagesDir)
{
    // The store's names were matched without regard to letter case where the program began, so a
    // camera's "DSC_0001.JPG" is cleared too.
    QDir dir(imagesDir);
    int deleted = 0;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (!name.endsWith(QLatin1String(".jpg"), Qt::CaseInsensitive))
            continue;
        if (dir.remove(name))
            ++deleted;
    }
    return deleted;
}

QString ExifOverlayText(const QString& pictureFile)
{
    TExif exif;
    exif.LoadExif(pictureFile);
    const QString lineBreak = QStringLiteral("\r\n");
    return QStringLiteral("Belichtung: ") + decodeLegacyText(exif.ExposureTime) + lineBreak + QStringLiteral("Blitz: ")
        + QStringLiteral(" %1 (%2)").arg(exif.Flash).arg(decodeLegacyText(exif.FlashText)) + lineBreak
        + QStringLiteral("Blendenzahl: ") + decodeLegacyText(exif.FNumber) + lineBreak + QStringLiteral("Max. Blende: ")
        + decodeLegacyText(exif.MaxApertureValue);
}

}  // namespace shutterhand
