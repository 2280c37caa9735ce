#pragma once

#include "common/lang_text.h"
#include "common/prompter.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace shutterhand {

// The value editor: name, type and value of one system variable, with an input suited to the type
// (a True/False list for "Boolean", digits only for "Integer", a folder chooser for "Directory").
class TFormVar : public QDialog {
    Q_OBJECT

public:
    TFormVar(const LangText& lang, Prompter& prompter, QWidget* parent = nullptr);

    // Presets the inputs and shows the dialog modally; true when it ended with OK.
    bool Edit(const QString& name, const QString& type, const QString& value);
    // Presets the inputs without showing the dialog.
    void preset(const QString& name, const QString& type, const QString& value);

    // The edited values: the type is empty without a selection; the value comes from the True/False list
    // when the type is "Boolean", else from the text field.
    QString editedName() const;
    QString editedType() const;
    QString editedValue() const;

    // The type names offered, in list order.
    static const QStringList& typeNames();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showInputFor(const QString& type);
    void onTypeChanged();
    void chooseFolder();

    Prompter& m_prompter;
    QLineEdit* m_name = nullptr;
    QComboBox* m_type = nullptr;
    QLineEdit* m_text = nullptr;
    QComboBox* m_boolean = nullptr;
    QPushButton* m_chooseFolder = nullptr;
    bool m_presetting = false;
};

}  // namespace shutterhand
