#pragma once

#include "ui/uimessage.h"

#include <QList>
#include <QMessageBox>
#include <QStringList>

#include <utility>

// Answers the program's message boxes, questions and file dialogs in place of
// the user while it lives, and records what was asked. reply answers the
// questions that answers does not: "yes", "discard", or empty for Cancel.
class PromptAnswers
{
public:
    explicit PromptAnswers(QString reply = QStringLiteral("yes"), QStringList nextFiles = {})
        : files(std::move(nextFiles)), m_reply(std::move(reply))
    {
        UiMessage::setAnswerer([this](const UiMessage::Prompt &prompt) { return answer(prompt); });
    }
    ~PromptAnswers() { UiMessage::setAnswerer({}); }
    PromptAnswers(const PromptAnswers &) = delete;
    PromptAnswers &operator=(const PromptAnswers &) = delete;

    // Paths handed to the next file dialogs, in order; none left means Cancel.
    QStringList files;
    // Answers to the next questions, in order (true: Yes, false: No).
    QList<bool> answers;

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
            if (answers.isEmpty())
                return m_reply;
            return answers.takeFirst() ? QStringLiteral("yes") : QString();
        }
        case UiMessage::Prompt::Kind::File:
            dialogs.append(prompt.fileDialog);
            filters.append(prompt.filter);
            return files.isEmpty() ? QString() : files.takeFirst();
        }
        return {};
    }

    QString m_reply;
};
