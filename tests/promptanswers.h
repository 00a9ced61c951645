#pragma once

#include "ui/uimessage.h"

#include <QList>
#include <QMessageBox>
#include <QStringList>

// Answers the program's message boxes, questions and file dialogs in place of
// the user while it lives, and records what was asked.
class PromptAnswers
{
public:
    PromptAnswers()
    {
        UiMessage::setAnswerer([this](const UiMessage::Prompt &prompt) { return answer(prompt); });
    }
    ~PromptAnswers() { UiMessage::setAnswerer({}); }
    PromptAnswers(const PromptAnswers &) = delete;
    PromptAnswers &operator=(const PromptAnswers &) = delete;

    // Paths handed to the next file dialogs, in order; none left means Cancel.
    QStringList files;
    // Answers to the next questions, in order; none left means yesByDefault.
    QList<bool> answers;
    bool yesByDefault = true;

    QStringList messages;
    QList<QMessageBox::Icon> icons;
    QStringList questions;
    QList<UiMessage::FileDialog> dialogs;
    QStringList filters;

    void clear()
    {
        messages.clear();
        icons.clear();
        questions.clear();
        dialogs.clear();
        filters.clear();
    }

private:
    QString answer(const UiMessage::Prompt &prompt)
    {
        switch (prompt.kind) {
        case UiMessage::Prompt::Kind::Message:
            messages.append(prompt.text);
            icons.append(prompt.icon);
            return {};
        case UiMessage::Prompt::Kind::Question: {
            questions.append(prompt.text);
            const bool yes = answers.isEmpty() ? yesByDefault : answers.takeFirst();
            return yes ? QStringLiteral("yes") : QString();
        }
        case UiMessage::Prompt::Kind::File:
            dialogs.append(prompt.fileDialog);
            filters.append(prompt.filter);
            return files.isEmpty() ? QString() : files.takeFirst();
        }
        return {};
    }
};
