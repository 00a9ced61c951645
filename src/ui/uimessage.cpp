#include "ui/uimessage.h"

#include "app/language.h"

using namespace Qt::Literals::StringLiterals;

void UiMessage::show(QWidget *parent, const QString &text, QMessageBox::Icon icon)
{
    QMessageBox box(icon, u"Rewordix"_s, text, QMessageBox::Ok, parent);
    box.setObjectName(u"messageBox"_s);
    box.exec();
}

void UiMessage::show(QWidget *parent, int number, QMessageBox::Icon icon)
{
    show(parent, Language::messageText(number), icon);
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
