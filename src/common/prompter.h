#pragma once

#include <QString>

namespace shutterhand {

// Every modal question, message box and file dialog of the program goes through this one interface:
// the program answers with widgets, tests with a scripted fake, the command-line tool without asking.
class Prompter {
public:
    enum class Icon { Information, Question, Warning, Error };

    virtual ~Prompter() = default;

    // A message box with a single OK button; returns when it is closed.
    virtual void showMessage(Icon icon, const QString& text) = 0;
    // A question with the buttons Yes and No; true for Yes.
    virtual bool askYesNo(Icon icon, const QString& text) = 0;
    // A save-file dialog; the chosen path, or the empty text when cancelled.
    virtual QString askSaveFileName(const QString& title, const QString& startPath, const QString& filter) = 0;
    // A folder chooser; the chosen folder, or the empty text when cancelled.
    virtual QString askDirectory(const QString& title, const QString& startDir) = 0;
};

}  // namespace shutterhand
