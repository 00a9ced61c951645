#pragma once

#include "engine/popuplist.h"

#include <QString>
#include <QWidget>

class MainWindow;
class ArticleEditor;
class WordLibraryDialog;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabBar;
class QTextCursor;

// The synonym popup of the article editor (template 106): the clicked word
// (1020), one tab per part of speech (1098), the alternatives with the current
// choice checked (1018), Auto Jump (1019) and the buttons Opt (1163), "<"
// (1135) and ">" (1134). A frameless tool window shown without taking the
// focus: typing goes on in the article editor while it is up, and keys typed
// into the popup itself are handed on to the editor.
class SynonymPopup : public QWidget
{
    Q_OBJECT

public:
    explicit SynonymPopup(MainWindow *window);
    ~SynonymPopup() override;

    // The article editor's selection changed: show the alternatives of the
    // word or phrase there below it, or hide. Selection changes that follow
    // an edit of the text (typing, pasting, undo) are left alone.
    void openFromEditor();
    // ">" and "<": the caret into the next or previous word, which opens the
    // popup there. Forward navigation skips words without alternatives.
    void goNext();
    void goPrevious();

    [[nodiscard]] QString popupWord() const { return m_popupWord; }
    [[nodiscard]] QString alternatives() const { return m_alternatives; }
    [[nodiscard]] bool editorEnabled() const { return m_editorEnabled; }
    [[nodiscard]] WordLibraryDialog *wordsOptimization() const { return m_libraryDialog; }
    // How long the last opening took, filling included.
    [[nodiscard]] double lastOpeningMs() const { return m_lastOpeningMs; }

Q_SIGNALS:
    // A choice replaced or deleted a text of words words: the Replaced figure.
    void replacementCounted(int words);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void buildControls();
    void connectControls();
    void watchEditor();
    ArticleEditor *editor() const;
    void openOnce();
    TextRange clickedRange(QStringView text, int start, int end);
    void place(int position);
    void fill(const QString &selected);
    void listGroup(const PopupGroup &group);
    void markChoice(const QString &selected);
    void choose(int row);
    void replaceSelection(QTextCursor &cursor, const QString &newText);
    void tabChanged(int index);
    // The caret into the next or previous word; false when there is none.
    bool navigate(bool forward, bool setForward);
    void openLibraryEditor();
    void returnFocus();
    bool handleKey(QKeyEvent *event);
    // Keys pressed in the article editor while the popup's own selection is
    // there; true when the popup took the key.
    bool handleEditorKey(QKeyEvent *event);
    // Up and Down: the highlighted alternative, chosen by Enter or Space.
    void moveHighlight(int step);
    // Up and Down move the highlight; Return, Enter and Space choose the
    // highlighted row when mayChoose. True when the key was used.
    bool useListKey(int key, bool mayChoose);
    [[nodiscard]] bool ownsEditorSelection() const;
    bool isUnderlined(int position) const;

    MainWindow *m_window;
    // The article editor and its viewport, compared with (never called
    // through) in the event filter, which also sees them being destroyed.
    QObject *m_watchedEditor = nullptr;
    QObject *m_watchedViewport = nullptr;
    bool m_eventsEnabled = true;
    QListWidget *m_synonymList = nullptr;    // 1018
    QLineEdit *m_wordEdit = nullptr;         // 1020
    QTabBar *m_typeTabs = nullptr;           // 1098
    QCheckBox *m_autoJumpCheck = nullptr;    // 1019
    QPushButton *m_optButton = nullptr;      // 1163
    QPushButton *m_previousButton = nullptr; // 1135
    QPushButton *m_nextButton = nullptr;     // 1134
    bool m_editorEnabled = false;
    WordLibraryDialog *m_libraryDialog = nullptr; // created on the first Opt
    bool m_autoJump = false;
    bool m_forward = false;

    // The word shown, the caret and mouse ties of the main window's popup state.
    QString m_popupWord;
    QString m_wordType; // its part of speech in its sentence, as a dictionary type
    bool m_cursorFollowsPopup = false;
    bool m_mouseSelected = false;

    QString m_alternatives; // the grouped list shown, capitalised as shown
    TextRange m_lastSelection{-1, -1};
    bool m_followsEdit = false;
    bool m_keyboardChoice = false; // a row was highlighted by Up or Down
    bool m_opening = false;
    bool m_reopen = false;
    double m_lastOpeningMs = 0;
    bool m_pressedByUser = false;
};
