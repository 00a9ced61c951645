#pragma once

#include <QDialog>
#include <QPoint>

#include <functional>

class ArticleEditor;
class QLabel;
class QLineEdit;
class QPushButton;

// Find and replace of whole words, case-sensitive, in the editor that last had
// the focus. A small modeless window, hidden by Cancel and kept with its texts.
class FindReplaceDialog : public QDialog
{
    Q_OBJECT

public:
    using TargetFn = std::function<ArticleEditor *()>;

    explicit FindReplaceDialog(TargetFn target, QWidget *parent = nullptr);

    // The texts of [Find & Replace Dialog] in the current language.
    void applyLanguage();
    // The caret into the Find box, its text selected, as the dialog comes up.
    void focusFindBox();

    void findNext();
    void replace();
    void replaceAll();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    TargetFn m_target;
    QLabel *m_titleLabel = nullptr;            // 1136
    QPushButton *m_closeButton = nullptr;      // 1102
    QLabel *m_findLabel = nullptr;             // 1084
    QLineEdit *m_findEdit = nullptr;           // 1041
    QLabel *m_replaceLabel = nullptr;          // 1085
    QLineEdit *m_replaceEdit = nullptr;        // 1042
    QPushButton *m_replaceButton = nullptr;    // 1046
    QPushButton *m_replaceAllButton = nullptr; // 1047
    QPushButton *m_findButton = nullptr;       // 1011
    QPushButton *m_cancelButton = nullptr;     // 2
};
