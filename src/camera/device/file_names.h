#pragma once

#include <QString>

namespace shutterhand {

// A camera's name for one of its files, made safe as a local file name: only the part after the last
// "/" or "\", control characters replaced by "_", and "picture.jpg" for a name that is empty or only
// dots. The camera decides these names, so they must not reach another folder.
QString SafeLocalFileName(const QString& cameraName);

}  // namespace shutterhand
