#include "camera/device/file_names.h"

#include <algorithm>

namespace shutterhand {

QString SafeLocalFileName(const QString& cameraName)
{
    QString name = cameraName;
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (slash >= 0)
        name = name.mid(slash + 1);
    for (QChar& c : name) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format
            || c.category() == QChar::Other_Surrogate || c.category() == QChar::Other_NotAssigned)
            c = u'_';
    }
    name = name.trimmed();
    bool onlyDots = true;
    for (const QChar c : name)
        onlyDots = onlyDots && c == u'.';
    if (name.isEmpty() || onlyDots)
        return QStringLiteral("picture.jpg");
    // File systems take names of up to 255 bytes.
    while (name.toUtf8().size() > 255)
        name.chop(name.size() >= 2 && name.back().isLowSurrogate() ? 2 : 1);
    return name;
}

}  // namespace shutterhand
