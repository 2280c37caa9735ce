#pragma once

#include <QDialog>

class QLabel;

namespace shutterhand {

// The about dialog: program version, date of the last update and the credits.
class TFormInfo : public QDialog {
    Q_OBJECT

public:
    TFormInfo(const QString& title, const QString& closeText, QWidget* parent = nullptr);

    // "Shutterhand V" + version, and the text beside "Letztes Update:".
    void setVersion(const QString& version);
    void setLastUpdate(const QString& updateVer);

private:
    QLabel* m_heading = nullptr;
    QLabel* m_update = nullptr;
};

}  // namespace shutterhand
