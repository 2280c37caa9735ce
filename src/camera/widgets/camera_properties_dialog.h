#pragma once

#include "app/core/camera_service.h"

#include <QDialog>

#include <functional>

class QTabWidget;
class QTreeWidget;

namespace shutterhand {

// "Kameraeigenschaften": what the connected camera offers, read-only, on three pages (properties with
// their values and a mark for read-only ones, events, commands).
class TFormKameraeigenschaften : public QDialog {
    Q_OBJECT

public:
    // `langText` gives the captions by their numbers in the language table.
    TFormKameraeigenschaften(const std::function<QString(int)>& langText, const CameraInfo& info,
                             QWidget* parent = nullptr);

    QTreeWidget* propertiesList() const { return m_properties; }
    QTreeWidget* eventsList() const { return m_events; }
    QTreeWidget* commandsList() const { return m_commands; }

private:
    QTreeWidget* addPage(const QString& objectName, const QString& pageObjectName, const QString& caption,
                         const QString& first, const QString& second);

    QTabWidget* m_pages = nullptr;
    QTreeWidget* m_properties = nullptr;
    QTreeWidget* m_events = nullptr;
    QTreeWidget* m_commands = nullptr;
};

// The 16 × 16 mark of a read-only property: a small padlock.
QIcon ReadOnlyMark();

}  // namespace shutterhand
