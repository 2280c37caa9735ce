#pragma once

#include "common/prompter.h"

#include <QList>
#include <QQueue>
#include <QString>

namespace shutterhand::test {

// Answers the program's questions from a script and records every question asked.
class ScriptedPrompter : public Prompter {
public:
    struct Question {
        Icon icon;
        QString text;
    };

    void showMessage(Icon icon, const QString& text) override { messages.append({icon, text}); }
    bool askYesNo(Icon icon, const QString& text) override
    {
        questions.append({icon, text});
        return yesNoAnswers.isEmpty() ? false : yesNoAnswers.dequeue();
    }
    QString askSaveFileName(const QString& title, const QString&, const QString&) override
    {
        questions.append({Icon::Question, title});
        return pathAnswers.isEmpty() ? QString() : pathAnswers.dequeue();
    }
    QString askDirectory(const QString& title, const QString&) override
    {
        questions.append({Icon::Question, title});
        return pathAnswers.isEmpty() ? QString() : pathAnswers.dequeue();
    }

    QList<Question> messages;
    QList<Question> questions;
    QQueue<bool> yesNoAnswers;    // unanswered questions get No
    QQueue<QString> pathAnswers;  // unanswered dialogs are cancelled
};

}  // namespace shutterhand::test
