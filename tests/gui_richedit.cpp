#include "gui_testutil.h"
#include "ui/articleeditor.h"

#include <QClipboard>
#include <QSignalSpy>

using namespace Qt::Literals::StringLiterals;

class TestRichEdit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { GuiTest::quietPlatformWarnings(); }

    void positionsCountAParagraphBreakOnce()
    {
        ArticleEditor edit;
        edit.setPlainTextIn(u"one\ntwo\r\nthree"_s, {});
        QCOMPARE(edit.plainText(), u"one\ntwo\nthree"_s);
        QCOMPARE(edit.textLength(), 13);
        edit.select(4, 7);
        QCOMPARE(edit.selectedPlainText(), u"two"_s);
        QCOMPARE(edit.selectionStart(), 4);
        QCOMPARE(edit.selectionEnd(), 7);
        edit.select(-5, 100);
        QCOMPARE(edit.selectionEnd(), 13);
        QVERIFY(!edit.document()->isUndoAvailable());
    }

    void formatsByRange()
    {
        ArticleEditor edit;
        const QTextCharFormat base =
            ArticleEditor::makeFormat(u"DejaVu Serif"_s, 320, true, false, 0x0000FFu);
        QCOMPARE(base.fontPointSize(), 16.0);
        QCOMPARE(base.foreground().color(), QColor(255, 0, 0));
        QVERIFY(!base.hasProperty(QTextFormat::FontItalic));
        edit.setPlainTextIn(u"walk the dog"_s, base);
        edit.mergeFormat(5, 8, ArticleEditor::underlineFormat());
        QVERIFY(edit.formatAt(5).fontUnderline());
        QVERIFY(edit.formatAt(7).fontUnderline());
        QVERIFY(!edit.formatAt(8).fontUnderline());
        QVERIFY(!edit.formatAt(4).fontUnderline());
        // Merging keeps what the merged format leaves unset.
        QCOMPARE(edit.formatAt(5).foreground().color(), QColor(255, 0, 0));
        QCOMPARE(edit.formatAt(5).fontPointSize(), 16.0);
        QVERIFY(edit.formatAt(0).fontWeight() >= QFont::Bold);
    }

    void selectionNotificationCanBeSwitchedOff()
    {
        ArticleEditor edit;
        edit.setPlainText(u"one two"_s);
        QSignalSpy spy(&edit, &ArticleEditor::selectionNotified);
        edit.select(0, 3);
        QVERIFY(spy.count() > 0);
        spy.clear();
        edit.setSelectionNotify(false);
        edit.select(4, 7);
        edit.setCaret(0);
        QCOMPARE(spy.count(), 0);
        edit.setSelectionNotify(true);
        edit.setCaret(2);
        QVERIFY(spy.count() > 0);
    }

    void findAndReplace()
    {
        ArticleEditor edit;
        edit.setPlainText(u"cat concat cat's cat"_s);
        QCOMPARE(edit.findWholeWord(u"cat"_s, 0), 0);
        QCOMPARE(edit.findWholeWord(u"cat"_s, 1), 17);
        edit.select(17, 20);
        edit.replaceSelection(u"dog"_s);
        QCOMPARE(edit.plainText(), u"cat concat cat's dog"_s);
        QCOMPARE(edit.textCursor().position(), 20);
        edit.undo();
        QCOMPARE(edit.plainText(), u"cat concat cat's cat"_s);
    }

    void undoCollapsesTheSelection()
    {
        ArticleEditor edit;
        edit.setPlainText(u"one two"_s);
        edit.select(0, 3);
        edit.replaceSelection(u"three"_s);
        QSignalSpy spy(&edit, &ArticleEditor::selectionNotified);
        edit.undoCollapsed();
        QCOMPARE(edit.plainText(), u"one two"_s);
        QVERIFY(!edit.textCursor().hasSelection());
        QCOMPARE(edit.textCursor().position(), 3);
        QVERIFY(edit.selectionNotify());
    }

    void rtfRoundTrip()
    {
        ArticleEditor edit;
        const QTextCharFormat base =
            ArticleEditor::makeFormat(u"DejaVu Sans"_s, 240, false, false, 0x800000u);
        edit.setPlainTextIn(u"Größe walk\nthe dog"_s, base);
        QTextCharFormat red;
        red.setForeground(QColor(255, 0, 0));
        edit.mergeFormat(6, 10, red);
        edit.mergeFormat(11, 14, ArticleEditor::underlineFormat());
        const QByteArray rtf = edit.rtf();
        QVERIFY(rtf.startsWith("{\\rtf"));

        ArticleEditor copy;
        QVERIFY(copy.setRtf(rtf));
        QCOMPARE(copy.plainText(), edit.plainText());
        QCOMPARE(copy.formatAt(6).foreground().color(), QColor(255, 0, 0));
        QCOMPARE(copy.formatAt(0).foreground().color(), QColor(0, 0, 0x80));
        QVERIFY(copy.formatAt(11).fontUnderline());
        QVERIFY(!copy.formatAt(15).fontUnderline());
        QCOMPARE(copy.formatAt(0).fontPointSize(), 12.0);

        QString error;
        QVERIFY(!copy.setRtf("plain text", &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(copy.plainText(), edit.plainText());
    }

    void copyContentKeepsFormatsWithoutTheClipboard()
    {
        QApplication::clipboard()->setText(u"mine"_s);
        ArticleEditor from;
        ArticleEditor to;
        from.setPlainTextIn(u"look after him"_s, {});
        from.mergeFormat(0, 10, ArticleEditor::underlineFormat());
        to.setPlainText(u"old"_s);
        to.copyContentFrom(from);
        QCOMPARE(to.plainText(), u"look after him"_s);
        QVERIFY(to.formatAt(5).fontUnderline());
        QVERIFY(!to.formatAt(11).fontUnderline());
        QCOMPARE(QApplication::clipboard()->text(), u"mine"_s);
        QVERIFY(!to.document()->isUndoAvailable());
    }

    void escapeIsSwallowed()
    {
        ArticleEditor edit;
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&edit, &escape);
        QVERIFY(escape.isAccepted());
        QCOMPARE(edit.plainText(), QString());
    }
};

QTEST_MAIN(TestRichEdit)
#include "gui_richedit.moc"
