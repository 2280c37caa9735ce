#pragma once

#include "common/lang_text.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace shutterhand {

// Asks for the name and the description of a new action.
class NewActionDialog : public QDialog {
    Q_OBJECT

public:
    explicit NewActionDialog(const LangText& lang, QWidget* parent = nullptr);
    QString name() const;
    QString description() const;

private:
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_description = nullptr;
};

}  // namespace shutterhand
