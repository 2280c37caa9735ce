#include "app/core/log_book.h"

#include <QLocale>

namespace shutterhand {

QString LogEntry::text() const
{
    const QLocale locale = QLocale::system();
    return locale.toString(time.date(), QLocale::ShortFormat) + u' ' + time.toString(QStringLiteral("HH:mm:ss"))
        + QStringLiteral("   ") + message;
}

void LogBook::open()
{
    m_open = true;
    m_entries.clear();
}

void LogBook::close()
{
    m_open = false;
    m_entries.clear();
}

const LogEntry* LogBook::add(int kind, const QString& message)
{
    if (!m_open)
        return nullptr;
    if (m_entries.size() >= MaxLines)
        m_entries.removeFirst();
    m_entries.append(LogEntry{kind, message, QDateTime::currentDateTime()});
    return &m_entries.last();
}

}  // namespace shutterhand
