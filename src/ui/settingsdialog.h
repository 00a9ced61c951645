#pragma once

#include <QDialog>

class MainWindow;
class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The settings dialog: default language, article amount, replace degree,
// whether the source article is always shown, and the ignored and default
// reserved words. OK writes Config.ini and applies the language, the source
// pane and the ignored words to the main window at once.
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit SettingsDialog(MainWindow *mainWindow);

    // Writes the values and applies them; the OK button's action.
    void save();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildButtons();
    void layoutControls();
    void fillLanguages();
    void applyTexts();
    void loadValues();

    MainWindow *m_main = nullptr;
    QLabel *m_titleLabel = nullptr;             // 1137
    QPushButton *m_closeButton = nullptr;       // 1109
    QLabel *m_languageLabel = nullptr;          // 1090
    QComboBox *m_languageCombo = nullptr;       // 1088
    QLabel *m_articlesNumberLabel = nullptr;    // 1092
    QComboBox *m_articlesNumberCombo = nullptr; // 1012
    QLabel *m_degreeLabel = nullptr;            // 1097
    QComboBox *m_degreeCombo = nullptr;         // 1096
    QCheckBox *m_protectNamesCheck = nullptr;
    QCheckBox *m_systemLookCheck = nullptr;   // read at the next start
    QCheckBox *m_alwaysSourceCheck = nullptr; // 1087
    QLabel *m_ignoreLabel = nullptr;          // 1094
    QPlainTextEdit *m_ignoreEdit = nullptr;   // 1055
    QLabel *m_reservedLabel = nullptr;        // 1095
    QPlainTextEdit *m_reservedEdit = nullptr; // 1056
    QPushButton *m_okButton = nullptr;        // 1
    QPushButton *m_cancelButton = nullptr;    // 2
};
