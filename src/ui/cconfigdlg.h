#pragma once

#include <QDialog>

class CLexiswapDlg;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The settings dialog: default language, article amount, replace degree,
// whether the source article is always shown, and the ignored and default
// reserved words. OK writes Config.ini and applies the language, the source
// pane and the ignored words to the main window at once.
class CConfigDlg : public QDialog
{
    Q_OBJECT

public:
    explicit CConfigDlg(CLexiswapDlg *mainWindow);

    // Writes the values and applies them; the OK button's action.
    void save();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fillLanguages();
    void applyTexts();
    void loadValues();

    CLexiswapDlg *m_main = nullptr;
    QLabel *m_lblTitle = nullptr;             // 1137
    QPushButton *m_btnClose = nullptr;        // 1109
    QLabel *m_lblLanguage = nullptr;          // 1090
    QComboBox *m_cmbLanguage = nullptr;       // 1088
    QLabel *m_lblArticlesNumber = nullptr;    // 1092
    QComboBox *m_cmbArticlesNumber = nullptr; // 1012
    QLabel *m_lblDegree = nullptr;            // 1097
    QComboBox *m_cmbDegree = nullptr;         // 1096
    QCheckBox *m_chkProtectNames = nullptr;
    QCheckBox *m_chkAlwaysSource = nullptr;   // 1087
    QLabel *m_lblIgnore = nullptr;            // 1094
    QPlainTextEdit *m_editIgnore = nullptr;   // 1055
    QLabel *m_lblReserved = nullptr;          // 1095
    QPlainTextEdit *m_editReserved = nullptr; // 1056
    QPushButton *m_btnOk = nullptr;           // 1
    QPushButton *m_btnCancel = nullptr;       // 2
};
