#pragma once

#include "common/atomic_file.h"

#include <QString>

namespace shutterhand {

// Where a picture saved under `fileName` goes: a name with a folder part where it says, a bare name
// into the image store folder `imagesDir` (which ends with "/").
QString ImageStoreTarget(const QString& fileName, const QString& imagesDir);

// Writes the bytes of the picture file `source` unchanged to `target`, replacing a file there in one
// step.
FileResult CopyPictureFile(const QString& source, const QString& target);

// Deletes every "*.jpg" file (in any letter case) directly in `imagesDir`, thumbnails included; files in
// subfolders and files that cannot be deleted stay. Returns how many were deleted.
int DeleteStoredPictures(const QString& imagesDir);

// The EXIF overlay's four lines for a picture file: exposure, flash, aperture and largest aperture.
QString ExifOverlayText(const QString& pictureFile);

}  // namespace shutterhand
