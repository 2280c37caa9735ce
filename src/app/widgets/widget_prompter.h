#pragma once

#include "app/core/main_view.h"
#include "common/prompter.h"

#include <QPointer>
#include <QWidget>

namespace shutterhand {

// Asks the user with Qt's message boxes and file dialogs, over the main window.
class WidgetPrompter : public Prompter {
public:
    void setParentWidget(QWidget* parent) { m_parent = parent; }

    void showMessage(Icon icon, const QString& text) override;
    bool askYesNo(Icon icon, const QString& text) override;
    QString askSaveFileName(const QString& title, const QString& startPath, const QString& filter) override;
    QString askDirectory(const QString& title, const QString& startDir) override;

private:
    QPointer<QWidget> m_parent;
};

// Opens documents and addresses with the desktop's default applications.
class WidgetDesktop : public DesktopServices {
public:
    void openUrl(const QUrl& url) override;
};

}  // namespace shutterhand
