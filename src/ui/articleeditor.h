#pragma once

#include <QTextCharFormat>
#include <QTextEdit>

#include <optional>

// The article editors: a QTextEdit with the operations the windows need on a
// rich-edit control. Positions are document positions (a paragraph break is
// one character), the same as those of plainText().
class ArticleEditor : public QTextEdit
{
    Q_OBJECT

public:
    explicit ArticleEditor(QWidget *parent = nullptr);

    [[nodiscard]] QString plainText() const;
    [[nodiscard]] int textLength() const;

    // Replaces the whole text as plain text in format; clears the undo history.
    void setPlainTextIn(const QString &text, const QTextCharFormat &format);

    // Selection by position; anchor at from, caret at to.
    void select(int from, int to);
    void setCaret(int position);
    [[nodiscard]] int selectionStart() const;
    [[nodiscard]] int selectionEnd() const;
    [[nodiscard]] QString selectedPlainText() const;

    // Character formats of a range: merge (only the properties format sets) or
    // read the format at the start of a range.
    void mergeFormat(int from, int to, const QTextCharFormat &format);
    [[nodiscard]] QTextCharFormat formatAt(int position) const;
    // Formats many ranges as one edit: one layout pass instead of one per range.
    void mergeFormats(const QList<std::pair<int, int>> &ranges, const QTextCharFormat &format);

    // A format for the editors from its parts (height in twips, 20 per point;
    // colour as a Windows colour reference). Only what is given is set.
    [[nodiscard]] static QTextCharFormat makeFormat(const QString &face, int twips, bool bold,
                                                    bool italic, std::optional<quint32> colorRef);
    [[nodiscard]] static QTextCharFormat underlineFormat();

    // While off, selectionNotified is not emitted: the program moves the
    // selection itself and the synonym popup must not follow.
    void setSelectionNotify(bool on) { m_notify = on; }
    [[nodiscard]] bool selectionNotify() const { return m_notify; }

    // The first counting whole-word, case-sensitive hit of needle at or after
    // from; -1 when none.
    [[nodiscard]] int findWholeWord(const QString &needle, int from) const;
    // Replaces the selection by text as one undo step; the caret ends after it.
    void replaceSelection(const QString &text);

    // Undo, then the selection collapsed to its end without a notification.
    void undoCollapsed();
    // Delete: clears the selection's text.
    void clearSelection();

    // The document as an RTF stream, and RTF read into the editor. Reading
    // returns false with the reason when the bytes are not RTF.
    [[nodiscard]] QByteArray rtf() const;
    bool setRtf(QByteArrayView bytes, QString *error = nullptr);

    // Copies text and formats of other into this editor without the clipboard.
    void copyContentFrom(const ArticleEditor &other);

Q_SIGNALS:
    // The selection or caret moved while notifications are on.
    void selectionNotified();
    void focusReceived();
    void scrolled();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    bool m_notify = true;
};
