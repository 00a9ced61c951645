#include "ui/uimessage.h"

#include "app/language.h"

#include <QAbstractButton>
#include <QFileDialog>

using namespace Qt::Literals::StringLiterals;

namespace {

UiMessage::Answerer &answerer()
{
    static UiMessage::Answerer instance;
    return instance;
}

} // namespace

void UiMessage::setAnswerer(Answerer answerer)
{
    ::answerer() = std::move(answerer);
}

void UiMessage::show(QWidget *parent, const QString &text, QMessageBox::Icon icon)
{
    if (const Answerer &answer = answerer()) {
        (void)answer(Prompt{Prompt::Kind::Message, text, icon, {}, {}});
        return;
    }
    QMessageBox box(icon, u"Rewordix"_s, text, QMessageBox::Ok, parent);
    box.setObjectName(u"messageBox"_s);
    box.exec();
}

void UiMessage::show(QWidget *parent, int number, QMessageBox::Icon icon)
{
    show(parent, Language::messageText(number), icon);
}

bool UiMessage::askYesNo(QWidget *parent, int number)
{
    const QString text = Language::messageText(number);
    if (const Answerer &answer = answerer())
        return !answer(Prompt{Prompt::Kind::Question, text, QMessageBox::Question, {}, {}})
                    .isEmpty();
    QMessageBox box(QMessageBox::Question, u"Rewordix"_s, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setObjectName(u"messageBox"_s);
    return box.exec() == QMessageBox::Yes;
}

UiMessage::SaveChoice UiMessage::askSaveChanges(QWidget *parent, int number)
{
    const QString text = Language::messageText(number);
    if (const Answerer &answer = answerer()) {
        const QString reply =
            answer(Prompt{Prompt::Kind::Question, text, QMessageBox::Warning, {}, {}});
        if (reply.isEmpty())
            return SaveChoice::Cancel;
        return reply == u"discard" ? SaveChoice::Discard : SaveChoice::Save;
    }
    QMessageBox box(QMessageBox::Warning, u"Rewordix"_s, text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setObjectName(u"messageBox"_s);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    // The buttons speak the interface language as the rest of the window does.
    const QString language = LoadLanguageText(Language::currentName());
    const QStringView main = Language::mainDialogSection(language);
    const std::pair<QMessageBox::StandardButton, QString> captions[] = {
        {QMessageBox::Save, LookupText(u"\r\nSave=", main)},
        {QMessageBox::Discard, LookupText(u"\r\nDiscard=", main)},
        {QMessageBox::Cancel,
         LookupText(u"\r\nCancel=", Language::sectionFrom(language, u"[Config Dialog]"))},
    };
    for (const auto &[button, caption] : captions) {
        if (!caption.isEmpty())
            box.button(button)->setText(caption);
    }
    switch (box.exec()) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

QString UiMessage::askFile(QWidget *parent, FileDialog kind, const QString &filter)
{
    if (const Answerer &answer = answerer())
        return answer(Prompt{Prompt::Kind::File, {}, QMessageBox::NoIcon, kind, filter});
    switch (kind) {
    case FileDialog::Open:
        return QFileDialog::getOpenFileName(parent, {}, {}, filter);
    case FileDialog::Save:
        return QFileDialog::getSaveFileName(parent, {}, {}, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    case FileDialog::Folder:
        return QFileDialog::getExistingDirectory(parent, {}, {}, QFileDialog::ShowDirsOnly);
    }
    return {};
}
