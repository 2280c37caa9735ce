#include "app/widgets/widget_prompter.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>

namespace shutterhand {

namespace {

const QString kTitle = QStringLiteral("Shutterhand");

QMessageBox::Icon messageIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void WidgetPrompter::showMessage(Icon icon, const QString& text)
{
    QMessageBox box(messageIcon(icon), kTitle, text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool WidgetPrompter::askYesNo(Icon icon, const QString& text)
{
    QMessageBox box(messageIcon(icon), kTitle, text, QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString WidgetPrompter::askSaveFileName(const QString& title, const QString& startPath, const QString& filter)
{
    return QFileDialog::getSaveFileName(m_parent, title, startPath, filter);
}

QString WidgetPrompter::askDirectory(const QString& title, const QString& startDir)
{
    return QFileDialog::getExistingDirectory(m_parent, title, startDir);
}

void WidgetDesktop::openUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

}  // namespace shutterhand
