#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"
#include "app/startup.h"
#include "filetestutil.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QString languageFile(const QString &displayName, const QString &body)
{
    return u"\uFEFF[General Settings]\r\nLanguage="_s + displayName + u"\r\nOrder=0\r\n"_s + body;
}

const QString EnglishBody = u"[Menu]\r\nID_FILE=File\r\n"
                            u"[Main Dialog]\r\nWords Number=Word Amount:\r\nSave=Save\r\n"
                            u"[Progress Dialog]\r\nPause=Pause\r\nCancel=Abort\r\n"
                            u"[Find & Replace Dialog]\r\nFind=Find Next\r\nCancel=Cancel\r\n"
                            u"[MessageBox]\r\nMessageBox_12=No Article!\r\n"
                            u"[Tooltips]\r\nTooltip_Button_Close=Close\r\n"_s;

} // namespace

class TestLanguage : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString lang(const QString &name) const { return m_dir.filePath(u"Language/"_s + name); }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        AppPaths::initialise(m_dir.path(), m_dir.path());
        Startup::prepareWorkingFiles(m_dir.path());
        TestUtil::writeUtf16(lang(u"English.ini"_s), languageFile(u"English"_s, EnglishBody));
        TestUtil::writeUtf16(lang(u"German.ini"_s),
                             languageFile(u"Deutsch -- German"_s,
                                          u"[MessageBox]\r\nMessageBox_12=Kein Artikel!\r\n"_s));
        TestUtil::writeUtf16(
            lang(u"Japanese.ini"_s),
            languageFile(u"日本語 -- Japanese"_s,
                         u"[MessageBox]\r\nMessageBox_12=記事がありません!\r\n"_s));
        Language::setCurrentName(u"English"_s);
    }

    void filePathFor_data() { TestUtil::addTableRows(u"language/file-path-for.tsv"_s); }
    void filePathFor()
    {
        QFETCH(QString, name);
        QFETCH(QString, file);
        QCOMPARE(Language::filePathFor(name), file.isEmpty() ? QString() : lang(file));
    }

    void lookupText_data()
    {
        TestUtil::addTableRows(u"language/lookup-text.tsv"_s);
        QTest::newRow("backslash n kept")
            << QString() << u"x\r\nM=a,\\nb\r\n"_s << u"\r\nM="_s << u"a,\\nb"_s;
    }
    void lookupText()
    {
        FETCH_WITH_CONTROLS(text);
        FETCH_WITH_CONTROLS(key);
        QFETCH(QString, expected);
        QCOMPARE(LookupText(key, text), expected);
    }

    void sectionCuts()
    {
        const QString text = LoadLanguageText(u"English"_s);
        // Whole-file lookups take the first occurrence: the progress dialog's Cancel.
        QCOMPARE(LookupText(u"\r\nCancel=", text), u"Abort"_s);
        QCOMPARE(
            LookupText(u"\r\nCancel=", Language::sectionFrom(text, u"[Find & Replace Dialog]")),
            u"Cancel"_s);
        const QStringView main = Language::mainDialogSection(text);
        QCOMPARE(LookupText(u"\r\nWords Number=", main), u"Word Amount:"_s);
        QCOMPARE(LookupText(u"\r\nPause=", main), QString()); // not searched elsewhere
        QCOMPARE(
            LookupText(u"\r\nTooltip_Button_Close=", Language::sectionFrom(text, u"[Tooltips]")),
            u"Close"_s);
        QVERIFY(Language::sectionFrom(text, u"[Nope]").isEmpty());
        // Nothing after the [Main Dialog] header: no section.
        QVERIFY(Language::mainDialogSection(u"x\r\n[Main Dialog]\r\nSave=Save\r\n").isEmpty());
    }

    void messagesInEachLanguage()
    {
        QCOMPARE(Language::messageText(12), u"No Article!"_s);
        Language::setCurrentName(u"Deutsch -- German"_s);
        QCOMPARE(Language::messageText(12), u"Kein Artikel!"_s);
        Language::setCurrentName(u"日本語 -- Japanese"_s);
        QCOMPARE(Language::messageText(12), u"記事がありません!"_s);
        // The file is read anew for every message.
        TestUtil::writeUtf16(
            lang(u"Japanese.ini"_s),
            languageFile(u"日本語 -- Japanese"_s, u"[MessageBox]\r\nMessageBox_12=新\r\n"_s));
        QCOMPARE(Language::messageText(12), u"新"_s);
    }

    void missingLanguageFallsBackToEnglish()
    {
        Language::setCurrentName(u"日本語 -- Japanese"_s);
        QVERIFY(QFile::remove(lang(u"Japanese.ini"_s)));
        QCOMPARE(Language::messageText(12), u"No Article!"_s);
        QCOMPARE(Language::currentName(), u"English"_s);
        // Config.ini is not written by the fallback.
        QCOMPARE(Config::language(), QString());
        // A name that leads out of Language/ is not followed.
        TestUtil::writeUtf16(lang(u"../x.ini"_s),
                             languageFile(u"x"_s, u"[MessageBox]\r\nMessageBox_12=outside\r\n"_s));
        Language::setCurrentName(u"../x"_s);
        QCOMPARE(Language::messageText(12), u"No Article!"_s);
        QCOMPARE(Language::currentName(), u"English"_s);

        // Without an English file the texts are empty and the name stays.
        QVERIFY(QFile::remove(lang(u"English.ini"_s)));
        Language::setCurrentName(u"Klingon"_s);
        QCOMPARE(LoadLanguageText(u"Klingon"_s), QString());
        QCOMPARE(Language::currentName(), u"Klingon"_s);
    }

    void menuItems()
    {
        auto items = Language::menuItems();
        QVERIFY(items.has_value());
        QCOMPARE(items->size(), 3);
        QCOMPARE(items->at(0).command, 32800);
        QCOMPARE(items->at(0).displayName, u"English"_s);
        QCOMPARE(items->at(0).icon, Language::MenuIcon::English);
        QCOMPARE(items->at(1).command, 32801);
        QCOMPARE(items->at(1).displayName, u"Deutsch -- German"_s);
        QCOMPARE(items->at(1).icon, Language::MenuIcon::German);
        QCOMPARE(items->at(2).command, 32802);
        QCOMPARE(items->at(2).icon, Language::MenuIcon::Japanese);

        // An icon file of the same stem wins over the built-in one.
        TestUtil::writeUtf16(lang(u"German.ico"_s), u"x"_s);
        items = Language::menuItems();
        QCOMPARE(items->at(1).icon, Language::MenuIcon::IconFile);
        QCOMPARE(items->at(1).iconFile, lang(u"German.ico"_s));

        // Commands stop at the last language command.
        for (int i = 0; i < 40; ++i)
            TestUtil::writeUtf16(lang(u"X%1.ini"_s.arg(i, 2, 10, QChar(u'0'))),
                                 languageFile(u"X"_s, {}));
        items = Language::menuItems();
        QCOMPARE(items->size(), 30);
        QCOMPARE(items->last().command, Language::LastCommand);

        QVERIFY(QDir(m_dir.filePath(u"Language"_s)).removeRecursively());
        QVERIFY(!Language::menuItems().has_value());
    }

    void chooseLanguage()
    {
        QVERIFY(Language::chooseLanguage(32801));
        QCOMPARE(Language::currentName(), u"Deutsch -- German"_s);
        QCOMPARE(Config::language(), u"Deutsch -- German"_s);
        // The same language again writes nothing.
        const QByteArray before = TestUtil::fileBytes(AppPaths::configFile());
        QVERIFY(!Language::chooseLanguage(32801));
        QCOMPARE(TestUtil::fileBytes(AppPaths::configFile()), before);

        QVERIFY(Language::chooseLanguage(32800));
        QCOMPARE(Config::language(), u"English"_s);
        QVERIFY(!Language::chooseLanguage(32829)); // no such file
        QVERIFY(!Language::chooseLanguage(12345));
    }

    void displayNameIsCutAtLastDot()
    {
        TestUtil::writeUtf16(lang(u"German.ini"_s), languageFile(u"Deutsch.v2.ini"_s, {}));
        QVERIFY(Language::chooseLanguage(32801));
        QCOMPARE(Config::language(), u"Deutsch.v2"_s);
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
