// The main window's screen-free rules (core library only).
#include "app/mainwindowlogic.h"
#include "testutil.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace MainWindowLogic;

class TestMainWindowLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void neighbouringWord_data()
    {
        TestUtil::addTableRows(u"mainwindowlogic/neighbouring-word.tsv"_s);
    }

    void neighbouringWord()
    {
        QFETCH(QString, text);
        QFETCH(int, caret);
        QFETCH(bool, forward);
        QFETCH(int, expected);
        const auto result = neighbouringWordStart(text, caret, forward);
        QCOMPARE(result.value_or(-1), expected);
    }

    void findWholeWord_data() { TestUtil::addTableRows(u"mainwindowlogic/find-whole-word.tsv"_s); }

    void findWholeWord()
    {
        QFETCH(QString, text);
        QFETCH(QString, needle);
        QFETCH(int, from);
        QFETCH(int, expected);
        QCOMPARE(MainWindowLogic::findWholeWord(text, needle, from), expected);
    }

    void rules_data() { TestUtil::addTableRows(u"mainwindowlogic/rules.tsv"_s); }
    void rules()
    {
        TestUtil::checkRule({
            {u"languageId"_s,
             [](auto &in, auto &) {
                 return QString::number(windowsLanguageId(in));
             }},
            {u"firstStartLanguage"_s,
             [](auto &in, auto &arg) {
                 return firstStartLanguage(in.toInt(), arg.split(u'|', Qt::SkipEmptyParts));
             }},
            {u"menuText"_s,
             [](auto &in, auto &) {
                 return menuText(in);
             }},
            {u"accessKeys"_s,
             [](auto &in, auto &) {
                 QString taken;
                 QStringList marked;
                 for (const QString &title : in.split(u'|'))
                     marked.append(withAccessKey(title, &taken));
                 return marked.join(u'|');
             }},
            {u"articleAmount"_s,
             [](auto &in, auto &) {
                 return QString::number(parseArticleAmount(in).value_or(0));
             }},
            {u"helpAddress"_s,
             [](auto &in, auto &) {
                 return helpAddress(in, u"/opt/rw"_s).toString();
             }},
            {u"captionPrefix"_s,
             [](auto &in, auto &) {
                 return captionPrefix(in);
             }},
            {u"keepFigures"_s,
             [](auto &in, auto &arg) {
                 return keepFigures(in, arg);
             }},
            {u"wordsButtonText"_s,
             [](auto &in, auto &arg) {
                 return wordsButtonText(in, arg);
             }},
        });
    }

    void selectAllBox()
    {
        QVERIFY(!selectAllBoxVisible(Mode::Auto, 5));
        QVERIFY(selectAllBoxVisible(Mode::Auto, 6));
        QVERIFY(!selectAllBoxVisible(Mode::Manual, 6));
    }

    void saveQuestion()
    {
        QVERIFY(needsSaveQuestion(true, false, false));
        QVERIFY(!needsSaveQuestion(false, false, false));
        QVERIFY(!needsSaveQuestion(true, true, false));
        QVERIFY(!needsSaveQuestion(true, false, true));
    }
};

QTEST_GUILESS_MAIN(TestMainWindowLogic)
#include "tst_mainwindowlogic.moc"
