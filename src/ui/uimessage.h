#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

// Every message box and file dialog of the program. Message boxes have the
// caption "Rewordix" and their text from the [MessageBox] section of the
// current language file, read anew each time.
namespace UiMessage {

// Shows text modally over parent and returns when the user closed it.
void show(QWidget *parent, const QString &text, QMessageBox::Icon icon = QMessageBox::NoIcon);
// The text of "MessageBox_<number>" in the current language.
void show(QWidget *parent, int number, QMessageBox::Icon icon = QMessageBox::NoIcon);
// "MessageBox_<number>" with Yes and No and a question icon; true for Yes.
[[nodiscard]] bool askYesNo(QWidget *parent, int number);

enum class SaveChoice
{
    Save,
    Discard,
    Cancel
};
// "MessageBox_<number>" with Save, Discard and Cancel and a warning icon.
[[nodiscard]] SaveChoice askSaveChanges(QWidget *parent, int number);

enum class FileDialog
{
    Open,  // an existing file
    Save,  // a file to write; the caller asks before overwriting
    Folder // an existing folder, created by the caller when typed new
};

// The chosen path; empty on Cancel. filter is a Qt name filter list
// ("Text Files(*.txt);;Formated Files(*.rtf)"); a folder picker has none.
[[nodiscard]] QString askFile(QWidget *parent, FileDialog kind, const QString &filter = {});

// Tests answer instead of the user: while an answerer is set, its answer is
// taken and no window opens. An empty function restores the real dialogs.
struct Prompt
{
    enum class Kind
    {
        Message,
        Question,
        File
    };
    Kind kind = Kind::Message;
    QString text; // messages and questions
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    FileDialog fileDialog = FileDialog::Open; // file dialogs
    QString filter;
};
// For a question: non-empty means Yes; for the Save/Discard/Cancel question
// "discard" means Discard, other non-empty answers Save, empty Cancel. For a file dialog: the path
// (empty cancels). For a message: ignored.
using Answerer = std::function<QString(const Prompt &prompt)>;
void setAnswerer(Answerer answerer);

} // namespace UiMessage
