#pragma once

#include <QMessageBox>
#include <QString>

// Every message box of the program: caption "Rewordix", text from the
// [MessageBox] section of the current language file, read anew each time.
namespace UiMessage {

// Shows text modally over parent and returns when the user closed it.
void show(QWidget *parent, const QString &text, QMessageBox::Icon icon = QMessageBox::NoIcon);
// The text of "MessageBox_<number>" in the current language.
void show(QWidget *parent, int number, QMessageBox::Icon icon = QMessageBox::NoIcon);
// For commands whose implementation has not arrived in this build.
void notAvailable(QWidget *parent, const QString &command);

} // namespace UiMessage
