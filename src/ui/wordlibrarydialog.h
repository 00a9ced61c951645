#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class Dictionary;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The word-library editor (template 192, "WordsLib Optimization"): for the
// headword in 1159 the parts of speech recorded for it (1156) and the synonyms
// of the chosen one (1158), which the user adds to (1161, 1164), reorders
// ("Up" 1167, "Down" 1172) and deletes (the list's menu); 1160 and 1162 add a
// part of speech, 1166 deletes a whole sense. Every change is written to the
// dictionary at once, and the alternatives cached in temp.dat are dropped so
// that the popup looks the words up again. Its texts are fixed Chinese ones.
class WordLibraryDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WordLibraryDialog(QWidget *parent = nullptr);

    void setDictionary(Dictionary *dictionary) { m_dictionary = dictionary; }
    void setStore(const QString &storePath, bool scrambled);
    // Puts word into 1159 and loads it, also when it is there already.
    void setWord(const QString &word);

    // The synonyms of the list, row by row.
    [[nodiscard]] QStringList listedSynonyms() const;
    [[nodiscard]] QTreeWidget *synonymList() const { return m_synonymList; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void layoutControls(QLabel *synonymLabel, QLabel *typeLabel);
    void loadWord();
    void showSense();
    bool saveSense();
    void addSynonyms();
    void addType();
    void moveSynonym(int step);
    void deleteSynonym();
    void deleteSense();
    void refreshStore();
    void showListMenu(const QPoint &pos);
    void listSynonyms(const QString &value, const QString &type);
    void selectRow(int row);
    [[nodiscard]] QString word() const;
    [[nodiscard]] QString chosenType() const;
    void message(const QString &text);

    QLineEdit *m_wordEdit = nullptr;            // 1159
    QComboBox *m_typeCombo = nullptr;           // 1156
    QComboBox *m_newTypeCombo = nullptr;        // 1160
    QLineEdit *m_synonymEdit = nullptr;         // 1161
    QPushButton *m_deleteSenseButton = nullptr; // 1166
    QPushButton *m_addTypeButton = nullptr;     // 1162
    QPushButton *m_addSynonymButton = nullptr;  // 1164
    QTreeWidget *m_synonymList = nullptr;       // 1158
    QPushButton *m_upButton = nullptr;          // 1167
    QPushButton *m_downButton = nullptr;        // 1172

    Dictionary *m_dictionary = nullptr;
    QString m_storePath;
    bool m_scrambled = false;
};
