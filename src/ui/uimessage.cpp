#include "ui/uimessage.h"

#include "app/language.h"

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

void UiMessage::notAvailable(QWidget *parent, const QString &command)
{
    QString name = command;
    name.remove(u'&');
    const qsizetype tab = name.indexOf(u'\t');
    if (tab >= 0)
        name.truncate(tab);
    show(parent,
         (name.isEmpty() ? u"This command"_s : u"\""_s + name.trimmed() + u"\""_s) +
             u" is not available yet in this version of Rewordix."_s,
         QMessageBox::Information);
}
