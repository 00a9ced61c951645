#include "app/apppaths.h"
#include "app/config.h"
#include "app/startup.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestConfig : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_path;

    void writeConfig(const QString &text) { TestUtil::writeUtf16(m_path, text); }
    QString configText() const { return TextFile::readUtf16(m_path); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        AppPaths::initialise(m_dir.path(), m_dir.path());
        m_path = AppPaths::configFile();
        QFile::remove(m_path);
    }

    void readKeyValue_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("value to line end")
            << u"\uFEFF[G]\r\nA=1 2 \r\nB=x\r\n"_s << u"A="_s << u"1 2 "_s;
        QTest::newRow("last line without end") << u"[G]\r\nA=1\r\nB=tail"_s << u"B="_s << u"tail"_s;
        QTest::newRow("empty value") << u"[G]\r\nA=\r\nB=2\r\n"_s << u"A="_s << QString();
        QTest::newRow("missing key") << u"[G]\r\nA=1\r\n"_s << u"C="_s << QString();
        QTest::newRow("case-sensitive") << u"[G]\r\nabc=1\r\n"_s << u"ABC="_s << QString();
        QTest::newRow("first occurrence, anywhere")
            << u"[G]\r\nXA=1\r\nA=2\r\n"_s << u"A="_s << u"1"_s;
        QTest::newRow("key with leading line end")
            << u"\uFEFF[G]\r\nLanguage=Deutsch -- German\r\n"_s << u"\r\nLanguage="_s
            << u"Deutsch -- German"_s;
        QTest::newRow("lone LF does not end the value") << u"A=1\nB=2"_s << u"A="_s << u"1\nB=2"_s;
        QTest::newRow("empty key") << u"A=1\r\n"_s << QString() << QString();
    }
    void readKeyValue()
    {
        QFETCH(QString, text);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeConfig(text);
        QCOMPARE(ReadKeyValue(m_path, key), expected);
    }

    void readMissingFile()
    {
        QCOMPARE(ReadKeyValue(m_dir.filePath(u"nope.ini"_s), u"A="_s), QString());
    }

    void writeConfigValue_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("after");
        QTest::newRow("replace, CR LF") << u"\uFEFF[G]\r\nA=1\r\nB=2\r\n"_s << u"A="_s << u"xyz"_s
                                        << u"\uFEFF[G]\r\nA=xyz\r\nB=2\r\n"_s;
        QTest::newRow("replace, lone CR")
            << u"[G]\r\nA=1\rB=2"_s << u"A="_s << u"9"_s << u"[G]\r\nA=9\rB=2"_s;
        QTest::newRow("replace, lone LF")
            << u"[G]\nA=1\nB=2"_s << u"A="_s << u"9"_s << u"[G]\nA=9\nB=2"_s;
        QTest::newRow("CR LF after a lone LF wins")
            << u"A=1\nB=2\r\nC=3"_s << u"A="_s << u"9"_s << u"A=9\r\nC=3"_s;
        QTest::newRow("no line end after the key")
            << u"[G]\r\nReplaced Words Color=255"_s << u"Replaced Words Color="_s << u"128"_s
            << u"[G]\r\nReplaced Words Color=128\r\n"_s;
        QTest::newRow("append") << u"\uFEFF[G]\r\nA=1\r\n"_s << u"Default Words Font="_s
                                << u"Arial"_s
                                << u"\uFEFF[G]\r\nA=1\r\nDefault Words Font=Arial\r\n"_s;
        QTest::newRow("append with leading line end leaves an empty line")
            << u"[G]\r\nA=1\r\n"_s << u"\r\nLanguage="_s << u"English"_s
            << u"[G]\r\nA=1\r\n\r\nLanguage=English\r\n"_s;
        QTest::newRow("empty value") << u"[G]\r\nWords Number=523\r\n"_s << u"Words Number="_s
                                     << QString() << u"[G]\r\nWords Number=\r\n"_s;
    }
    void writeConfigValue()
    {
        QFETCH(QString, before);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QString, after);
        writeConfig(before);
        QVERIFY(WriteConfigValue(m_path, key, value));
        QCOMPARE(configText(), after);
    }

    void writeCreatesFileWithoutMark()
    {
        QVERIFY(WriteConfigValue(u"Default Words Bold="_s, u"0"_s));
        QCOMPARE(TestUtil::fileBytes(m_path), TextFile::toUtf16Le(u"Default Words Bold=0\r\n"));
    }

    void defaultFileKeepsMarkAndLength()
    {
        Startup::prepareWorkingFiles(m_dir.path());
        const QByteArray before = TestUtil::fileBytes(m_path);
        QCOMPARE(before.size(), 678);
        QVERIFY(Config::setWordsBold(false));
        const QByteArray after = TestUtil::fileBytes(m_path);
        QCOMPARE(after.size(), 678);
        QVERIFY(after.startsWith("\xFF\xFE"));
        QVERIFY(!Config::wordsBold());
        // Only the one digit changed.
        int differences = 0;
        for (int i = 0; i < before.size(); ++i)
            differences += before[i] != after[i];
        QCOMPARE(differences, 1);
    }

    void parseNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << u"16"_s << 16;
        QTest::newRow("leading blanks") << u"  \t42"_s << 42;
        QTest::newRow("sign") << u"-7"_s << -7;
        QTest::newRow("plus") << u"+7"_s << 7;
        QTest::newRow("trailing text") << u"12px"_s << 12;
        QTest::newRow("no digits") << u"abc"_s << 0;
        QTest::newRow("sign only") << u"-"_s << 0;
        QTest::newRow("blank between sign and digits") << u"- 5"_s << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("overflow saturates") << u"99999999999999"_s << 2147483647;
        QTest::newRow("colour above int") << u"16711680"_s << 16711680;
    }
    void parseNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(Config::parseNumber(text), expected);
    }

    void fallbacks()
    {
        // A missing file reads as if every key were empty.
        QCOMPARE(Config::articlesNumber(), u"2"_s);
        QCOMPARE(Config::replaceDegree(), 0);
        QCOMPARE(Config::wordsFont(), u"Times New Roman"_s);
        QCOMPARE(Config::wordsSize(), 12);
        QCOMPARE(Config::wordsColor(), 0u);
        QCOMPARE(Config::replacedColor(), 16711680u);
        QCOMPARE(Config::reservedColor(), 255u);
        QCOMPARE(Config::saveAllFormat(), 0);
        QVERIFY(!Config::wordsBold());
        QVERIFY(!Config::alwaysDisplaySourceArticle());

        Startup::prepareWorkingFiles(m_dir.path());
        QCOMPARE(Config::articlesNumber(), u"10"_s);
        QCOMPARE(Config::replaceDegree(), 5);
        QCOMPARE(Config::wordsSize(), 16);
        QVERIFY(Config::wordsBold());
        QCOMPARE(Config::wordsColor(), 8388608u);
        QCOMPARE(Config::replacedColor(), 255u);
        QCOMPARE(Config::reservedColor(), 12632256u);
        QCOMPARE(Config::language(), QString());

        // Black cannot be chosen for the two marking colours.
        QVERIFY(Config::setReplacedColor(0));
        QVERIFY(Config::setReservedColor(0));
        QCOMPARE(Config::replacedColor(), 16711680u);
        QCOMPARE(Config::reservedColor(), 255u);
        QVERIFY(Config::setWordsSize(u"abc"_s));
        QCOMPARE(Config::wordsSize(), 0);
    }

    void typedWritersRoundTrip()
    {
        Startup::prepareWorkingFiles(m_dir.path());
        QVERIFY(Config::setLanguage(u"Deutsch -- German"_s));
        QVERIFY(Config::setReplaceDegree(3));
        QVERIFY(Config::setWordsFont(u"DejaVu Serif"_s));
        QVERIFY(Config::setWordsColor(0x123456));
        QVERIFY(Config::setSaveAllFormat(1));
        QVERIFY(Config::setAlwaysDisplaySourceArticle(true));
        QCOMPARE(Config::language(), u"Deutsch -- German"_s);
        QCOMPARE(Config::replaceDegree(), 3);
        QCOMPARE(Config::wordsFont(), u"DejaVu Serif"_s);
        QCOMPARE(Config::wordsColor(), 0x123456u);
        QCOMPARE(Config::saveAllFormat(), 1);
        QVERIFY(Config::alwaysDisplaySourceArticle());
        // Language was in the file, so it changed in place; the font was appended.
        QVERIFY(
            configText().startsWith(u"\uFEFF[General Settings]\r\nLanguage=Deutsch -- German\r\n"));
        QVERIFY(configText().endsWith(u"Default Words Font=DejaVu Serif\r\n"));
    }

    void optimizationSwitch_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("own line") << u"[General Settings]\r\nEnable Optimization=1\r\n"_s << true;
        QTest::newRow("inside another value")
            << u"[G]\r\nDefault Ignore Words=Enable Optimization=1\r\n"_s << true;
        QTest::newRow("value 0") << u"[G]\r\nEnable Optimization=0\r\n"_s << false;
        QTest::newRow("value true") << u"[G]\r\nEnable Optimization=true\r\n"_s << false;
        QTest::newRow("blank before =") << u"[G]\r\nEnable Optimization =1\r\n"_s << false;
    }
    void optimizationSwitch()
    {
        QFETCH(QString, text);
        QFETCH(bool, enabled);
        writeConfig(text);
        QCOMPARE(Config::optimizationEnabled(), enabled);
    }

    void sourceDb_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << u"\uFEFF[General Settings]\r\nSourceDB=/data/dict.db\r\n"_s
                               << u"/data/dict.db"_s;
        QTest::newRow("case and blanks")
            << u"[general settings]\r\n  sourcedb =  x.db  \r\n"_s << u"x.db"_s;
        QTest::newRow("quoted") << u"[General Settings]\r\nSourceDB=\"my dict.db\"\r\n"_s
                                << u"my dict.db"_s;
        QTest::newRow("other section")
            << u"[Other]\r\nSourceDB=x.db\r\n[General Settings]\r\nA=1\r\n"_s << QString();
        QTest::newRow("missing") << u"[General Settings]\r\nEnable Optimization=1\r\n"_s
                                 << QString();
        QTest::newRow("LF lines") << u"[General Settings]\nSourceDB=y.db\n"_s << u"y.db"_s;
        QTest::newRow("long value cut")
            << u"[General Settings]\r\nSourceDB="_s + QString(2000, u'a') + u"\r\n"_s
            << QString(1023, u'a');
    }
    void sourceDb()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        writeConfig(text);
        QCOMPARE(Config::sourceDb(), expected);
    }

    void settingsDialogReadsOnlyCompleteLines()
    {
        writeConfig(u"\uFEFF[General Settings]\r\nDefault Articles Number=\r\n"
                    u"Always Display Source Article=01\r\nDefault Ignore Words=a,b\r\n"
                    u"Default Reserved Words=x"_s);
        Config::DialogValues values = Config::dialogValues();
        QCOMPARE(values.articlesNumber, QString()); // empty: not set
        QCOMPARE(values.ignoreWords, u"a,b"_s);
        QCOMPARE(values.reservedWords, QString()); // no line end after it: not taken
        QVERIFY(!values.replaceDegree.has_value());
        QVERIFY(!values.alwaysDisplaySourceArticle); // only exactly "1"

        writeConfig(u"[General Settings]\r\nDefault Replace Degree=2\r\n"
                    u"Always Display Source Article=1\r\nDefault Articles Number=7\r\n"_s);
        values = Config::dialogValues();
        QCOMPARE(values.replaceDegree, std::optional<int>(2));
        QVERIFY(values.alwaysDisplaySourceArticle);
        QCOMPARE(values.articlesNumber, u"7"_s);
    }

    void unwritableFileReportsFailure()
    {
        const QString dir = m_dir.filePath(u"missing-folder/deeper"_s);
        QVERIFY(!WriteConfigValue(dir + u"/Config.ini"_s, u"A="_s, u"1"_s));
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
