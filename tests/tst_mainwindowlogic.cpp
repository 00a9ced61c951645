// The main window's screen-free rules (core library only).
#include "app/mainwindowlogic.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace MainWindowLogic;

class TestMainWindowLogic : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void neighbouringWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("expected"); // -1: no move
        const QString s = u"It's 10:30, well-known $5 deal"_s;
        QTest::newRow("right from start") << s << 0 << true << 5;
        QTest::newRow("right inside word") << s << 14 << true << 23;
        QTest::newRow("right from separator") << s << 10 << true << 12;
        QTest::newRow("right at last word") << s << 26 << true << -1;
        QTest::newRow("left at first word") << s << 0 << false << -1;
        QTest::newRow("left inside word") << s << 14 << false << 12;
        QTest::newRow("left at word start") << s << 12 << false << 5;
        QTest::newRow("left from the end") << s << int(s.size()) << false << 26;
        QTest::newRow("no words") << u"-- ''"_s << 0 << true << -1;
        QTest::newRow("apostrophe never starts") << u"a 'b"_s << 0 << true << 3;
        QTest::newRow("empty") << QString() << 0 << false << -1;
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

    void findWholeWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("expected");
        QTest::newRow("first cat") << u"cat concat cat's"_s << u"cat"_s << 0 << 0;
        QTest::newRow("concat and cat's do not count")
            << u"cat concat cat's"_s << u"cat"_s << 4 << -1;
        QTest::newRow("case") << u"cat"_s << u"Cat"_s << 0 << -1;
        QTest::newRow("end of text") << u"a cat"_s << u"cat"_s << 0 << 2;
        QTest::newRow("hyphen is a word char") << u"cat-like cat"_s << u"cat"_s << 0 << 9;
        QTest::newRow("punctuation bounds") << u"(cat)"_s << u"cat"_s << 0 << 1;
        QTest::newRow("letters of other scripts") << u"écat cat"_s << u"cat"_s << 0 << 5;
        QTest::newRow("after the start") << u"cat cat"_s << u"cat"_s << 1 << 4;
        QTest::newRow("empty needle") << u"cat"_s << QString() << 0 << -1;
        QTest::newRow("beyond the end") << u"cat"_s << u"cat"_s << 10 << -1;
    }

    void findWholeWord()
    {
        QFETCH(QString, text);
        QFETCH(QString, needle);
        QFETCH(int, from);
        QFETCH(int, expected);
        QCOMPARE(MainWindowLogic::findWholeWord(text, needle, from), expected);
    }

    void captions()
    {
        QCOMPARE(captionPrefix(u"Replaced:5/40=12.50%"), u"Replaced:"_s);
        QCOMPARE(captionPrefix(u"no colon"), u"no colon"_s);
        QCOMPARE(keepFigures(u"Wortanzahl:"_s, u"Word Amount:523"), u"Wortanzahl:523"_s);
        QCOMPARE(keepFigures(u"Wörter:"_s, u"Words:16"), u"Wörter:16"_s);
        QCOMPARE(keepFigures(u"Words:"_s, u""), u"Words:"_s);
        QCOMPARE(wordsButtonText(u"Words:"_s, u"140000"_s), u"Words:140000"_s);
    }

    void languageIds_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("id");
        QTest::newRow("zh_TW") << u"zh_TW"_s << 1028;
        QTest::newRow("zh_Hant_HK") << u"zh_Hant_HK"_s << 3076;
        QTest::newRow("zh_SG") << u"zh_SG"_s << 4100;
        QTest::newRow("zh_MO") << u"zh_MO"_s << 5124;
        QTest::newRow("zh_CN") << u"zh_CN"_s << 2052;
        QTest::newRow("de_DE") << u"de_DE"_s << 1031;
        QTest::newRow("de_CH") << u"de_CH"_s << 2055;
        QTest::newRow("de-AT") << u"de-AT"_s << 3079;
        QTest::newRow("ja_JP") << u"ja_JP"_s << 1041;
        QTest::newRow("en_US") << u"en_US"_s << 0;
        QTest::newRow("C") << u"C"_s << 0;
    }

    void languageIds()
    {
        QFETCH(QString, locale);
        QFETCH(int, id);
        QCOMPARE(windowsLanguageId(locale), id);
    }

    void firstStart_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("stems");
        QTest::addColumn<QString>("expected");
        const QStringList all = {u"English"_s, u"German"_s, u"Japanese"_s, u"Chinese(Simplified)"_s,
                                 u"Chinese(Traditional)"_s};
        QTest::newRow("Singapore picks Traditional")
            << 4100 << all << u"繁體中文 -- Chinese(Traditional)"_s;
        QTest::newRow("Simplified") << 2052 << all << u"简体中文 -- Chinese(Simplified)"_s;
        QTest::newRow("Liechtenstein") << 5127 << all << u"Deutsch -- German"_s;
        QTest::newRow("Japanese") << 1041 << all << u"日本語 -- Japanese"_s;
        QTest::newRow("Japanese missing") << 1041 << QStringList{u"English"_s} << u"English"_s;
        QTest::newRow("other") << 1036 << all << u"English"_s;
        QTest::newRow("no files") << 1031 << QStringList{} << u"English"_s;
    }

    void firstStart()
    {
        QFETCH(int, id);
        QFETCH(QStringList, stems);
        QFETCH(QString, expected);
        QCOMPARE(firstStartLanguage(id, stems), expected);
    }

    void selectAllBox()
    {
        QVERIFY(!selectAllBoxVisible(Mode::Auto, 5));
        QVERIFY(selectAllBoxVisible(Mode::Auto, 6));
        QVERIFY(!selectAllBoxVisible(Mode::Manual, 6));
    }

    void menuTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("aligned") << u"&Undo       Ctrl+Z"_s << u"&Undo\tCtrl+Z"_s;
        QTest::newRow("one blank") << u"Select &All Ctrl+A"_s << u"Select &All\tCtrl+A"_s;
        QTest::newRow("Delete") << u"&Delete     Delete"_s << u"&Delete\tDelete"_s;
        QTest::newRow("German") << u"&Löschen         Entf"_s << u"&Löschen\tEntf"_s;
        QTest::newRow("plain") << u"Save &All"_s << u"Save &All"_s;
        QTest::newRow("words") << u"&Technical Support"_s << u"&Technical Support"_s;
        QTest::newRow("single") << u"&New"_s << u"&New"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    void menuTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(menuText(text), expected);
    }

    void accessKeys_data()
    {
        QTest::addColumn<QStringList>("titles");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("English") << QStringList{u"File"_s, u"Edit"_s, u"Settings"_s, u"Help"_s,
                                                u"English"_s}
                                 << QStringList{u"&File"_s, u"&Edit"_s, u"&Settings"_s, u"&Help"_s,
                                                u"E&nglish"_s};
        QTest::newRow("marked kept") << QStringList{u"&Datei"_s, u"Bearbeiten"_s, u"&Deutsch"_s}
                                     << QStringList{u"&Datei"_s, u"&Bearbeiten"_s, u"&Deutsch"_s};
        QTest::newRow("literal ampersand")
            << QStringList{u"A&&B"_s, u"Ab"_s} << QStringList{u"&A&&B"_s, u"A&b"_s};
        QTest::newRow("no ASCII letter")
            << QStringList{u"文件"_s, u"编辑 E"_s} << QStringList{u"文件"_s, u"编辑 &E"_s};
        QTest::newRow("all taken")
            << QStringList{u"ab"_s, u"ba"_s, u"a"_s} << QStringList{u"&ab"_s, u"&ba"_s, u"a"_s};
    }

    void accessKeys()
    {
        QFETCH(QStringList, titles);
        QFETCH(QStringList, expected);
        QString taken;
        QStringList marked;
        for (const QString &title : std::as_const(titles))
            marked.append(withAccessKey(title, &taken));
        QCOMPARE(marked, expected);
    }

    void articleAmounts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected"); // 0: refused
        QTest::newRow("8") << u"8"_s << 8;
        QTest::newRow("blanks") << u" 20 "_s << 20;
        QTest::newRow("letters") << u"abc"_s << 0;
        QTest::newRow("zero") << u"0"_s << 0;
        QTest::newRow("negative") << u"-3"_s << 0;
        QTest::newRow("letter l") << u"l0"_s << 0;
        QTest::newRow("trailing") << u"8x"_s << 0;
        QTest::newRow("plus") << u"+5"_s << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("too long") << u"99999999999"_s << 0;
    }

    void articleAmounts()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(parseArticleAmount(text).value_or(0), expected);
    }

    void helpAddresses_data()
    {
        QTest::addColumn<QString>("configured");
        QTest::addColumn<QString>("expected");
        QTest::newRow("web") << u"https://example.org/faq"_s << u"https://example.org/faq"_s;
        QTest::newRow("mail") << u"mailto:help@example.org"_s << u"mailto:help@example.org"_s;
        QTest::newRow("beside the program")
            << u"handbook/index.html#faq"_s << u"file:///opt/rw/handbook/index.html#faq"_s;
        QTest::newRow("no section")
            << u"handbook/index.html"_s << u"file:///opt/rw/handbook/index.html"_s;
        QTest::newRow("empty") << QString() << QString();
    }

    void helpAddresses()
    {
        QFETCH(QString, configured);
        QFETCH(QString, expected);
        QCOMPARE(helpAddress(configured, u"/opt/rw"_s).toString(), expected);
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
