#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace shutterhand {

// One line of the log window.
struct LogEntry {
    int kind = 0;  // 0 grey note, 1 navy, 2 red error
    QString message;
    QDateTime time;
    // What the window shows: date and time, three blanks, the message.
    QString text() const;
};

// The lines of the currently open log window. Nothing is kept while the window is closed, and every
// opening starts empty.
class LogBook {
public:
    // A program that runs for days keeps only the newest lines.
    static constexpr int MaxLines = 10000;

    bool isOpen() const { return m_open; }
    const QList<LogEntry>& entries() const { return m_entries; }

    void open();
    void close();
    // Appends when open; returns the new entry, or nothing when the window is closed.
    const LogEntry* add(int kind, const QString& message);

private:
    bool m_open = false;
    QList<LogEntry> m_entries;
};

}  // namespace shutterhand
