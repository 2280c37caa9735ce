#pragma once

#include "app/core/log_book.h"

#include <QWidget>

class QListWidget;

namespace shutterhand {

// The log window "Hinweise": a non-modal tool window with one coloured line per entry.
class TFormLogfenster : public QWidget {
    Q_OBJECT

public:
    static constexpr int LineHeight = 18;

    explicit TFormLogfenster(const QString& title, QWidget* parent = nullptr);

    void AddEntry(const LogEntry& entry);
    QListWidget* lines() const { return m_lines; }

signals:
    // The user closed the window with its close box.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QListWidget* m_lines = nullptr;
};

// The colour of a line of the given kind: grey notes, navy, red errors; other kinds the default.
QColor logLineColour(int kind);

}  // namespace shutterhand
