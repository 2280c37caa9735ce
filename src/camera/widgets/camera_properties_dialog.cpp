#include "camera/widgets/camera_properties_dialog.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace shutterhand {

QIcon ReadOnlyMark()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.6));
    painter.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
    painter.drawLine(QPointF(4.5, 5.5), QPointF(4.5, 7.5));
    painter.drawLine(QPointF(11.5, 5.5), QPointF(11.5, 7.5));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(200, 150, 40));
    painter.drawRoundedRect(QRectF(2.5, 7, 11, 8), 1.5, 1.5);
    return QIcon(pixmap);
}

TFormKameraeigenschaften::TFormKameraeigenschaften(const std::function<QString(int)>& langText, const CameraInfo& info,
                                                   QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TFormKameraeigenschaften"));
    setWindowTitle(langText(37));
    setFixedSize(320, 377);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setGeometry(8, 8, 305, 329);
    m_properties
        = addPage(QStringLiteral("ListView1"), QStringLiteral("TabSheet1"), langText(38), langText(41), langText(42));
    m_events
        = addPage(QStringLiteral("ListView2"), QStringLiteral("TabSheet2"), langText(39), langText(43), langText(44));
    m_commands
        = addPage(QStringLiteral("ListView3"), QStringLiteral("TabSheet3"), langText(40), langText(45), langText(44));

    const QIcon readOnly = ReadOnlyMark();
    for (const CameraInfoRow& row : info.properties) {
        auto* item = new QTreeWidgetItem(m_properties, {row.name, row.value});
        if (row.readOnly)
            item->setIcon(0, readOnly);
    }
    for (const CameraInfoRow& row : info.events)
        new QTreeWidgetItem(m_events, {row.name, row.value});
    for (const CameraInfoRow& row : info.commands)
        new QTreeWidgetItem(m_commands, {row.name, row.value});

    auto* close = new QPushButton(langText(46), this);
    close->setObjectName(QStringLiteral("BitBtn1"));
    close->setGeometry(240, 344, 75, 25);
    close->setDefault(true);
    close->setAutoDefault(true);
    // Escape closes the dialog too (it is also the cancel button).
    connect(close, &QPushButton::clicked, this, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

QTreeWidget* TFormKameraeigenschaften::addPage(const QString& objectName, const QString& pageObjectName,
                                               const QString& caption, const QString& first, const QString& second)
{
    auto* page = new QWidget;
    page->setObjectName(pageObjectName);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* list = new QTreeWidget(page);
    list->setObjectName(objectName);
    layout->addWidget(list);
    list->setColumnCount(2);
    list->setHeaderLabels({first, second});
    list->setRootIsDecorated(false);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setIconSize(QSize(16, 16));
    list->header()->setStretchLastSection(false);
    list->setColumnWidth(0, 100);
    list->setColumnWidth(1, 175);
    m_pages->addTab(page, caption);
    return list;
}

}  // namespace shutterhand
