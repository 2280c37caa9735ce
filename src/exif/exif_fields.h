#pragma once

#include "exif/exif_reader.h"

#include <QByteArray>
#include <QList>
#include <utility>

namespace shutterhand {

// Every field of `exif` as name and text, in the order of the fields of TExif: numbers in decimal,
// Booleans as 1 or 0, texts as the bytes taken from the file.
QList<std::pair<const char*, QByteArray>> ExifFieldList(const TExif& exif);

}  // namespace shutterhand
