#include "ui/articleeditor.h"

#include "app/mainwindowlogic.h"
#include "rtf/rtfcharformat.h"
#include "rtf/rtfreader.h"
#include "rtf/rtftextdocument.h"
#include "rtf/rtfwriter.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

ArticleEditor::ArticleEditor(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(true);
    setContextMenuPolicy(Qt::NoContextMenu);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    setPalette(p);
    const auto notify = [this] {
        if (m_notify)
            Q_EMIT selectionNotified();
    };
    connect(this, &QTextEdit::selectionChanged, this, notify);
    connect(this, &QTextEdit::cursorPositionChanged, this, notify);
}

QString ArticleEditor::plainText() const
{
    return document()->toPlainText();
}

int ArticleEditor::textLength() const
{
    return std::max(0, document()->characterCount() - 1);
}

void ArticleEditor::setPlainTextIn(const QString &text, const QTextCharFormat &format)
{
    const bool notify = m_notify;
    m_notify = false;
    document()->setUndoRedoEnabled(false);
    clear();
    QTextCursor cursor(document());
    cursor.setCharFormat(format);
    cursor.beginEditBlock();
    cursor.insertText(text, format);
    cursor.endEditBlock();
    cursor.setPosition(0);
    setTextCursor(cursor);
    setCurrentCharFormat(format);
    document()->setUndoRedoEnabled(true);
    m_notify = notify;
}

void ArticleEditor::select(int from, int to)
{
    const int length = textLength();
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(from, 0, length));
    cursor.setPosition(std::clamp(to, 0, length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void ArticleEditor::setCaret(int position)
{
    select(position, position);
}

int ArticleEditor::selectionStart() const
{
    return textCursor().selectionStart();
}

int ArticleEditor::selectionEnd() const
{
    return textCursor().selectionEnd();
}

QString ArticleEditor::selectedPlainText() const
{
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    text.replace(QChar::LineSeparator, u'\n');
    return text;
}

void ArticleEditor::mergeFormat(int from, int to, const QTextCharFormat &format)
{
    mergeFormats({{from, to}}, format);
}

void ArticleEditor::mergeFormats(const QList<std::pair<int, int>> &ranges,
                                 const QTextCharFormat &format)
{
    if (ranges.isEmpty())
        return;
    const int length = textLength();
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const auto &[from, to] : ranges) {
        cursor.setPosition(std::clamp(from, 0, length));
        cursor.setPosition(std::clamp(to, 0, length), QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(format);
    }
    cursor.endEditBlock();
}

QTextCharFormat ArticleEditor::formatAt(int position) const
{
    // A cursor reports the format of the character before it.
    QTextCursor cursor(document());
    cursor.setPosition(std::clamp(position + 1, 0, textLength()));
    return cursor.charFormat();
}

QTextCharFormat ArticleEditor::makeFormat(const QString &face, int twips, bool bold, bool italic,
                                          std::optional<quint32> colorRef)
{
    QTextCharFormat format;
    if (!face.isEmpty())
        format.setFontFamilies({face});
    if (twips > 0)
        format.setFontPointSize(twips / 20.0);
    if (bold)
        format.setFontWeight(QFont::Bold);
    if (italic)
        format.setFontItalic(true);
    if (colorRef)
        format.setForeground(QColor::fromRgb(Rtf::rgbFromColorRef(*colorRef)));
    return format;
}

QTextCharFormat ArticleEditor::underlineFormat()
{
    QTextCharFormat format;
    format.setFontUnderline(true);
    return format;
}

int ArticleEditor::findWholeWord(const QString &needle, int from) const
{
    return MainWindowLogic::findWholeWord(plainText(), needle, from);
}

void ArticleEditor::replaceSelection(const QString &text)
{
    QTextCursor cursor = textCursor();
    cursor.beginEditBlock();
    cursor.insertText(text);
    cursor.endEditBlock();
    setTextCursor(cursor);
}

void ArticleEditor::undoCollapsed()
{
    undo();
    const bool notify = m_notify;
    m_notify = false;
    QTextCursor cursor = textCursor();
    const int end = cursor.selectionEnd();
    cursor.clearSelection();
    cursor.setPosition(end);
    setTextCursor(cursor);
    m_notify = notify;
}

void ArticleEditor::clearSelection()
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection()) {
        cursor.removeSelectedText();
        setTextCursor(cursor);
    }
}

QByteArray ArticleEditor::rtf() const
{
    return Rtf::write(Rtf::fromTextDocument(*document()));
}

bool ArticleEditor::setRtf(QByteArrayView bytes, QString *error)
{
    const RtfReadResult result = Rtf::read(bytes);
    if (!result.ok()) {
        if (error)
            *error = result.error;
        return false;
    }
    Rtf::toTextDocument(result.document, document());
    return true;
}

void ArticleEditor::copyContentFrom(const ArticleEditor &other)
{
    const bool notify = m_notify;
    m_notify = false;
    document()->setUndoRedoEnabled(false);
    clear();
    QTextCursor cursor(document());
    cursor.insertFragment(QTextDocumentFragment(other.document()));
    document()->setUndoRedoEnabled(true);
    m_notify = notify;
}

void ArticleEditor::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}

void ArticleEditor::focusInEvent(QFocusEvent *event)
{
    QTextEdit::focusInEvent(event);
    Q_EMIT focusReceived();
}

void ArticleEditor::scrollContentsBy(int dx, int dy)
{
    QTextEdit::scrollContentsBy(dx, dy);
    Q_EMIT scrolled();
}
