#include "common/name_order.h"

#include <QCollator>
#include <QLocale>

namespace shutterhand {

int compareNames(const QString& a, const QString& b)
{
    thread_local const QCollator collator = [] {
        QCollator c(QLocale::system());
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int order = collator.compare(a, b);
    return order != 0 ? order : QString::compare(a, b);
}

}  // namespace shutterhand
