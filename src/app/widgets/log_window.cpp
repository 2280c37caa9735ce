#include "app/widgets/log_window.h"

#include "app/core/log_book.h"

#include <QCloseEvent>
#include <QListWidget>
#include <QVBoxLayout>

namespace shutterhand {

QColor logLineColour(int kind)
{
    switch (kind) {
    case 0:
        return QColor(128, 128, 128);
    case 1:
        return QColor(0, 0, 128);
    case 2:
        return QColor(255, 0, 0);
    default:
        return {};
    }
}

TFormLogfenster::TFormLogfenster(const QString& title, QWidget* parent)
    : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("TFormLogfenster"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(title);
    resize(533, 138);
    move(315, 391);

    m_lines = new QListWidget(this);
    m_lines->setObjectName(QStringLiteral("ScrollBoxLog"));
    m_lines->setUniformItemSizes(true);
    m_lines->setSelectionMode(QAbstractItemView::NoSelection);
    m_lines->setFocusPolicy(Qt::NoFocus);
    m_lines->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_lines);
}

void TFormLogfenster::AddEntry(const LogEntry& entry)
{
    // The window shows what the log book holds; the oldest lines go when it is full.
    while (m_lines->count() >= LogBook::MaxLines)
        delete m_lines->takeItem(0);
    auto* item = new QListWidgetItem(entry.text(), m_lines);
    item->setSizeHint(QSize(0, LineHeight));
    const QColor colour = logLineColour(entry.kind);
    if (colour.isValid())
        item->setForeground(colour);
    m_lines->scrollToBottom();
}

void TFormLogfenster::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit closedByUser();
}

}  // namespace shutterhand
