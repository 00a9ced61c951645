#include "app/apppaths.h"
#include "app/config.h"
#include "app/startup.h"
#include "filetestutil.h"

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

    void readKeyValue_data() { TestUtil::addTableRows(u"config/read-key-value.tsv"_s); }
    void readKeyValue()
    {
        FETCH_WITH_CONTROLS(text);
        FETCH_WITH_CONTROLS(key);
        FETCH_WITH_CONTROLS(expected);
        writeConfig(text);
        QCOMPARE(ReadKeyValue(m_path, key), expected);
    }

    void readMissingFile()
    {
        QCOMPARE(ReadKeyValue(m_dir.filePath(u"nope.ini"_s), u"A="_s), QString());
    }

    void writeConfigValue_data() { TestUtil::addTableRows(u"config/write-config-value.tsv"_s); }
    void writeConfigValue()
    {
        FETCH_WITH_CONTROLS(before);
        FETCH_WITH_CONTROLS(key);
        QFETCH(QString, value);
        FETCH_WITH_CONTROLS(after);
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

    void parseNumber_data() { TestUtil::addTableRows(u"config/parse-number.tsv"_s); }
    void parseNumber()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(Config::parseNumber(text), expected.toInt());
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

    void optimizationSwitch_data() { TestUtil::addTableRows(u"config/optimization-switch.tsv"_s); }
    void optimizationSwitch()
    {
        FETCH_WITH_CONTROLS(text);
        QFETCH(QString, enabled);
        writeConfig(text);
        QCOMPARE(Config::optimizationEnabled(), FileTest::isTrue(enabled));
    }

    void sourceDb_data()
    {
        TestUtil::addTableRows(u"config/source-db.tsv"_s);
        QTest::newRow("long value cut")
            << u"long value cut"_s << u"[General Settings]\r\nSourceDB="_s + QString(2000, u'a')
            << QString(1023, u'a');
    }
    void sourceDb()
    {
        FETCH_WITH_CONTROLS(text);
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
