#pragma once

#include "camera/device/device_types.h"
#include "common/atomic_file.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace shutterhand {

// A picture file that the worker has already copied off the camera. The copy is removed when the last
// owner lets go of it, unless it has been saved under its final name.
class StagedFile {
public:
    explicit StagedFile(QString path)
        : m_path(std::move(path))
    { }
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    const QString& path() const { return m_path; }
    // Moves the copy to `target`, replacing a file there; the copy is gone afterwards.
    FileResult moveTo(const QString& target);

private:
    QString m_path;
    bool m_moved = false;
};

// The picture of a transfer, ready to be written under its name.
class ImageFile {
public:
    explicit ImageFile(std::shared_ptr<StagedFile> staged)
        : m_staged(std::move(staged))
    { }

    // Writes the picture to `fileName`, replacing a file of that name in one step, so that readers of
    // the old file never see a half-written one.
    FileResult SaveFile(const QString& fileName) const { return m_staged->moveTo(fileName); }

private:
    std::shared_ptr<StagedFile> m_staged;
};

// One picture on the camera.
class DeviceItem {
public:
    DeviceItem(CameraFile file, std::shared_ptr<StagedFile> staged, QString stagingError = {});

    QString ItemID() const { return m_file.id(); }
    const CameraFile& file() const { return m_file; }
    // The formats the item can be transferred in: the JPEG format for a JPEG picture, otherwise the
    // file's own type as the camera names it.
    QStringList Formats() const;
    // The picture in a format of Formats(). Only a picture that came as an item-created event can be
    // transferred (its copy was made then); any other fails with a message.
    DeviceResult<ImageFile> Transfer(const QString& formatId) const;
    // Drops the copy that has not been transferred (after the item's event has been handled).
    void discardStaging() { m_staged.reset(); }

private:
    CameraFile m_file;
    std::shared_ptr<StagedFile> m_staged;
    QString m_stagingError;
};

}  // namespace shutterhand
