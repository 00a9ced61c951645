#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"
#include "app/textfile.h"
#include "testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString languageDir = QStringLiteral(REWORDIX_BIN_DIR "/Language");

struct Shipped
{
    QString stem;
    QString displayName;
};

const QList<Shipped> shippedFiles = {
    {u"English"_s, u"English"_s},
    {u"German"_s, u"Deutsch -- German"_s},
    {u"Japanese"_s, u"日本語 -- Japanese"_s},
    {u"Chinese(Simplified)"_s, u"简体中文 -- Chinese(Simplified)"_s},
    {u"Chinese(Traditional)"_s, u"繁體中文 -- Chinese(Traditional)"_s},
};

struct EnglishText
{
    const char16_t *section;
    const char16_t *key;
    const char16_t *text;
};

// Every key of English.ini with the text the program shows for it.
const EnglishText englishTable[] = {
    {u"[General Settings]", u"Language", u"English"},
    {u"[General Settings]", u"Order", u"0"},
    {u"[Menu]", u"ID_FILE", u"File"},
    {u"[Menu]", u"ID_FILE_NEW", u"&New"},
    {u"[Menu]", u"ID_FILE_OPEN", u"&Open"},
    {u"[Menu]", u"ID_FILE_SAVE", u"&Save"},
    {u"[Menu]", u"ID_FILE_SAVEALL", u"Save &All"},
    {u"[Menu]", u"ID_FILE_EXIT", u"E&xit"},
    {u"[Menu]", u"ID_EDIT", u"Edit"},
    {u"[Menu]", u"ID_EDIT_UNDO", u"&Undo       Ctrl+Z"},
    {u"[Menu]", u"ID_EDIT_CUT", u"C&ut        Ctrl+X"},
    {u"[Menu]", u"ID_EDIT_COPY", u"&Copy       Ctrl+C"},
    {u"[Menu]", u"ID_EDIT_PASTE", u"&Paste      Ctrl+V"},
    {u"[Menu]", u"ID_EDIT_DELETE", u"&Delete     Delete"},
    {u"[Menu]", u"ID_EDIT_SELECTALL", u"Select &All Ctrl+A"},
    {u"[Menu]", u"ID_EDIT_FINDANDREPLACE", u"&Find && Replace Ctrl+H"},
    {u"[Menu]", u"ID_CONFIG", u"Settings"},
    {u"[Menu]", u"ID_REGISTER", u"Help"},
    {u"[Menu]", u"ID_REGISTER_UPDATE", u"&Update"},
    {u"[Menu]", u"ID_REGISTER_HANDBOOK", u"&Handbook"},
    {u"[Menu]", u"ID_REGISTER_FAQ", u"&FAQ"},
    {u"[Menu]", u"ID_REGISTER_TECHNICALSUPPORT", u"&Technical Support"},
    {u"[Menu]", u"ID_REGISTER_HOMEPAGE", u"&Homepage"},
    {u"[Menu]", u"ID_HELP_ABOUT", u"&About Rewordix"},
    {u"[Menu]", u"ID_SAVEAS_TXT", u"Save as .txt"},
    {u"[Menu]", u"ID_SAVEAS_ZIP", u"Save as .zip"},
    {u"[Menu]", u"SC_RESTORE", u"Restore(&R)"},
    {u"[Menu]", u"SC_MOVE", u"Move(&M)"},
    {u"[Menu]", u"SC_SIZE", u"Size(&S)"},
    {u"[Menu]", u"SC_MINIMIZE", u"Minimize(&N)"},
    {u"[Menu]", u"SC_MAXIMIZE", u"Maximize(&X)"},
    {u"[Menu]", u"SC_CLOSE", u"Close(&C)  Alt+F4"},
    {u"[Main Dialog]", u"Reserved Words", u"Reserved Words:"},
    {u"[Main Dialog]", u"Articles Number", u"Article Amount:"},
    {u"[Main Dialog]", u"Replace Degree", u"Replace Rate:"},
    {u"[Main Dialog]", u"Replace Degree Item0", u"Topmost"},
    {u"[Main Dialog]", u"Replace Degree Item1", u"Very High"},
    {u"[Main Dialog]", u"Replace Degree Item2", u"High"},
    {u"[Main Dialog]", u"Replace Degree Item3", u"General"},
    {u"[Main Dialog]", u"Replace Degree Item4", u"Low"},
    {u"[Main Dialog]", u"Replace Degree Item5", u"Very Low"},
    {u"[Main Dialog]", u"Analyze", u"Search Phrase"},
    {u"[Main Dialog]", u"Auto Generate", u"Auto-rewrite"},
    {u"[Main Dialog]", u"Display Source Article", u"Display Original Article"},
    {u"[Main Dialog]", u"Articles List", u"Article List:"},
    {u"[Main Dialog]", u"Articles List Column0", u"Article"},
    {u"[Main Dialog]", u"Articles List Column1", u"Replace Rate"},
    {u"[Main Dialog]", u"Magic Generate", u"Magic Rewrite"},
    {u"[Main Dialog]", u"Replace Way0", u"Manual"},
    {u"[Main Dialog]", u"Replace Way1", u"Auto "},
    {u"[Main Dialog]", u"Btn WordsInfo Header", u"Words:"},
    {u"[Main Dialog]", u"Operating Article", u"Operating Article"},
    {u"[Main Dialog]", u"Words Number", u"Word Amount:"},
    {u"[Main Dialog]", u"Statistics", u"Statistics:"},
    {u"[Main Dialog]", u"Replaced", u"Replaced:"},
    {u"[Main Dialog]", u"Save Current Article", u"Save Current Article:"},
    {u"[Main Dialog]", u"Source Article", u"Original Article"},
    {u"[Main Dialog]", u"Save", u"Save"},
    {u"[Main Dialog]", u"Save all", u"Save all"},
    {u"[Main Dialog]", u"Font", u"Font"},
    {u"[Main Dialog]", u"Discard", u"Discard"},
    {u"[Progress Dialog]", u"Pause", u"Pause"},
    {u"[Progress Dialog]", u"Continue", u"Continue"},
    {u"[Progress Dialog]", u"Cancel", u"Abort"},
    {u"[Find & Replace Dialog]", u"Find and Replace", u"Find && Replace"},
    {u"[Find & Replace Dialog]", u"Find Content", u"Find Text:"},
    {u"[Find & Replace Dialog]", u"Replaced By", u"Replaced by:"},
    {u"[Find & Replace Dialog]", u"Replace", u"Replace"},
    {u"[Find & Replace Dialog]", u"Replace all", u"Replace All"},
    {u"[Find & Replace Dialog]", u"Find", u"Find Next"},
    {u"[Find & Replace Dialog]", u"Cancel", u"Cancel"},
    {u"[Config Dialog]", u"Settings", u"Settings"},
    {u"[Config Dialog]", u"Default Language", u"Default Language:"},
    {u"[Config Dialog]", u"Default Articles Number", u"Default Article Amount:"},
    {u"[Config Dialog]", u"Always Display Source Article", u"Always Display Original Article"},
    {u"[Config Dialog]", u"Protect Names", u"Leave names, links and code unchanged"},
    {u"[Config Dialog]", u"Use System Look", u"Use the system look (from the next start)"},
    {u"[Config Dialog]", u"Default Replace Degree", u"Default Replace Rate:"},
    {u"[Config Dialog]", u"Default Replace Degree Item0", u"Topmost"},
    {u"[Config Dialog]", u"Default Replace Degree Item1", u"Very High"},
    {u"[Config Dialog]", u"Default Replace Degree Item2", u"High"},
    {u"[Config Dialog]", u"Default Replace Degree Item3", u"General"},
    {u"[Config Dialog]", u"Default Replace Degree Item4", u"Low"},
    {u"[Config Dialog]", u"Default Replace Degree Item5", u"Very Low"},
    {u"[Config Dialog]", u"Ignore Words", u"Ignore Words (Divided By Comma):"},
    {u"[Config Dialog]", u"Default Reserved Words", u"Reserve Words(Divided By Comma):"},
    {u"[Config Dialog]", u"OK", u"OK"},
    {u"[Config Dialog]", u"Cancel", u"Cancel"},
    {u"[MessageBox]", u"MessageBox_0", u"OLE Init Failed!"},
    {u"[MessageBox]", u"MessageBox_1", u"Can not find Database,Please Reinstall!"},
    {u"[MessageBox]", u"MessageBox_2", u"Database Connection Failure! Error Message: %s"},
    {u"[MessageBox]", u"MessageBox_3", u"File Exists, Overwrite It?"},
    {u"[MessageBox]", u"MessageBox_4", u"Save File Succeed!"},
    {u"[MessageBox]", u"MessageBox_5", u"The Article Not Exists!"},
    {u"[MessageBox]", u"MessageBox_6", u"Article Generation Finished!"},
    {u"[MessageBox]", u"MessageBox_7", u"Please Select or Enter Article Amount!"},
    {u"[MessageBox]", u"MessageBox_8", u"Please open or input article!"},
    {u"[MessageBox]", u"MessageBox_9", u"Text Can Not Be Empty!"},
    {u"[MessageBox]", u"MessageBox_10", u"Replace Finished!"},
    {u"[MessageBox]", u"MessageBox_11", u"Not Found!"},
    {u"[MessageBox]", u"MessageBox_12", u"No Article!"},
    {u"[MessageBox]", u"MessageBox_13", u"Magic Rewriting..."},
    {u"[MessageBox]", u"MessageBox_14", u"Magic Rewrite Not Finished, Please Try Again Later!"},
    {u"[MessageBox]", u"MessageBox_15",
     u"Time Out, Please Try Again Later, And Restore Original Article Automatically!"},
    {u"[MessageBox]", u"MessageBox_16",
     u"Previous Auto-Rewriting Not Finished, Please Try Again Later!"},
    {u"[MessageBox]", u"MessageBox_17", u"Please Select Articles to Save"},
    {u"[MessageBox]", u"MessageBox_18", u"Internet Connection Error"},
    {u"[MessageBox]", u"MessageBox_19", u"A New Version is Available, Please Update the Program!"},
    {u"[MessageBox]", u"MessageBox_20", u"No New Version Available!"},
    {u"[MessageBox]", u"MessageBox_21",
     u"Please Upgrade Your PC Microsoft MDAC to Latest Version!"},
    {u"[MessageBox]", u"MessageBox_24",
     u"Your InternetExplorer is a low version,\\nplease update it to ie7 or higher version"},
    {u"[MessageBox]", u"MessageBox_26", u"Network connection error, please check your network!"},
    {u"[MessageBox]", u"MessageBox_27", u"Auto-rewriting,Please wait..."},
    {u"[MessageBox]", u"MessageBox_28", u"The article has changed. Save it before you go on?"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Search_Phrase",
     u"Found Out All Phrases From Operating Article"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Words_Info",
     u"The Amount of Phrase Within Words Liberary"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Auto_Rewrite",
     u"Auto-replace Article and Generate a Specified Number of Articles"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Save", u"Save The Current Article"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Save_All", u"Save the Selected Articles"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Magic_Rewrite", u"Auto-rewrite A Article For Seconds"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Font",
     u"Modify Font (Effective Only After Restarting the Program)"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Font_Bold", u"Bold"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Font_Italic", u"Italic"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Font_Default_Color", u"Default Font Color"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Font_Replaced_Color", u"Replaced Font Color"},
    {u"[Tooltips]", u"Tooltip_Main_Button_Font_Reserved_Color", u"Reserved Words Font Color"},
    {u"[Tooltips]", u"Tooltip_Check_Select_All_Article", u"Select All"},
    {u"[Tooltips]", u"Tooltip_Button_Close", u"Close"},
    {u"[Tooltips]", u"Tooltip_Button_Minisize", u"Minimize"},
    {u"[Tooltips]", u"Tooltip_Button_Cancel", u"Cancel"},
};

struct IniEntry
{
    QString section;
    QString key;
    QString value;
};

struct ParsedIni
{
    QList<IniEntry> entries;
    QStringList errors;

    QString value(QStringView section, QStringView key) const
    {
        for (const IniEntry &e : entries) {
            if (e.section == section && e.key == key)
                return e.value;
        }
        return {};
    }
};

// Splits the text (mark removed, CR LF lines) into section and key lines.
ParsedIni parseIni(QStringView text)
{
    ParsedIni ini;
    QString section;
    if (text.startsWith(QChar(0xFEFF)))
        text = text.mid(1);
    const QList<QStringView> lines = text.split(u"\r\n");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringView line = lines.at(i);
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = line.toString();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0 || section.isEmpty()) {
            ini.errors.append(u"line %1: %2"_s.arg(i + 1).arg(line));
            continue;
        }
        ini.entries.append({section, line.left(eq).toString(), line.mid(eq + 1).toString()});
    }
    return ini;
}

// The text the program finds for a key of a section: the main dialog's keys
// within its cut, the find-and-replace, settings and tooltip keys from their
// header onward, everything else in the whole file.
QString programLookup(QStringView text, QStringView section, QStringView key)
{
    const QString needle = u"\r\n" + key + u'=';
    if (section == u"[Main Dialog]")
        return LookupText(needle, Language::mainDialogSection(text));
    if (section == u"[Find & Replace Dialog]" || section == u"[Config Dialog]" ||
        section == u"[Tooltips]")
        return LookupText(needle, Language::sectionFrom(text, section));
    return LookupText(needle, text);
}

QString filePath(const QString &stem)
{
    return languageDir + u'/' + stem + u".ini"_s;
}

// Access-key marks: "&" before a character, "&&" being a literal ampersand.
int accessKeyCount(QStringView text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != u'&')
            continue;
        if (i + 1 < text.size() && text.at(i + 1) != u'&')
            ++count;
        ++i;
    }
    return count;
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_work;
    ParsedIni m_english;

    static void addFileRows(bool withEnglish)
    {
        QTest::addColumn<QString>("stem");
        QTest::addColumn<QString>("displayName");
        for (const Shipped &f : shippedFiles) {
            if (withEnglish || f.stem != u"English")
                QTest::newRow(qPrintable(f.stem)) << f.stem << f.displayName;
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFileInfo::exists(filePath(u"English"_s)))
            QSKIP("The language files have not been built.");
        QVERIFY(m_work.isValid());
        AppPaths::initialise(QStringLiteral(REWORDIX_BIN_DIR), m_work.path());
        m_english = parseIni(TextFile::readUtf16(filePath(u"English"_s)));
        QVERIFY2(m_english.errors.isEmpty(), qPrintable(m_english.errors.join(u'\n')));
    }

    void encoding_data() { addFileRows(true); }
    void encoding()
    {
        QFETCH(QString, stem);
        const QByteArray bytes = TestUtil::fileBytes(filePath(stem));
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        QCOMPARE(bytes.size() % 2, 0);

        QStringDecoder decoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless);
        const QString text = decoder(bytes.mid(2));
        QVERIFY(!decoder.hasError());
        QVERIFY(!text.contains(QChar(0xFEFF)));
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text.at(i);
            if (c.isHighSurrogate()) {
                QVERIFY2(i + 1 < text.size() && text.at(i + 1).isLowSurrogate(),
                         qPrintable(u"unpaired surrogate at %1"_s.arg(i)));
                ++i;
            } else {
                QVERIFY2(!c.isLowSurrogate(), qPrintable(u"unpaired surrogate at %1"_s.arg(i)));
            }
            if (c == u'\r')
                QVERIFY2(i + 1 < text.size() && text.at(i + 1) == u'\n',
                         qPrintable(u"lone CR at %1"_s.arg(i)));
            if (c == u'\n')
                QVERIFY2(i > 0 && text.at(i - 1) == u'\r', qPrintable(u"lone LF at %1"_s.arg(i)));
        }
        QVERIFY(text.endsWith(u"\r\n"));
    }

    void displayName_data() { addFileRows(true); }
    void displayName()
    {
        QFETCH(QString, stem);
        QFETCH(QString, displayName);
        QCOMPARE(ReadKeyValue(filePath(stem), u"\r\nLanguage="_s), displayName);
        QCOMPARE(Language::filePathFor(displayName), filePath(stem));

        Language::setCurrentName(displayName);
        QCOMPARE(LoadLanguageText(displayName), TextFile::readUtf16(filePath(stem)));
        QCOMPARE(Language::currentName(), displayName);
    }

    void sameKeysAsEnglish_data() { addFileRows(false); }
    void sameKeysAsEnglish()
    {
        QFETCH(QString, stem);
        const ParsedIni ini = parseIni(TextFile::readUtf16(filePath(stem)));
        QVERIFY2(ini.errors.isEmpty(), qPrintable(ini.errors.join(u'\n')));
        QStringList expected;
        QStringList actual;
        for (const IniEntry &e : m_english.entries)
            expected.append(e.section + e.key);
        for (const IniEntry &e : ini.entries)
            actual.append(e.section + e.key);
        QCOMPARE(actual, expected);
    }

    void tableCoversEnglishFile()
    {
        QStringList fromFile;
        QStringList fromTable;
        for (const IniEntry &e : m_english.entries)
            fromFile.append(e.section + e.key);
        for (const EnglishText &t : englishTable)
            fromTable.append(QString::fromUtf16(t.section) + QString::fromUtf16(t.key));
        QCOMPARE(fromFile, fromTable);
    }

    void englishTexts_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        for (const EnglishText &t : englishTable) {
            const QString section = QString::fromUtf16(t.section);
            const QString key = QString::fromUtf16(t.key);
            QTest::addRow("%s %s", qPrintable(section), qPrintable(key))
                << section << key << QString::fromUtf16(t.text);
        }
    }
    void englishTexts()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString text = LoadLanguageText(u"English"_s);
        QCOMPARE(programLookup(text, section, key), expected);
    }

    void sectionsKeepTheirCancel()
    {
        const QString text = LoadLanguageText(u"English"_s);
        QCOMPARE(LookupText(u"\r\nCancel=", text), u"Abort"_s);
        QCOMPARE(
            LookupText(u"\r\nCancel=", Language::sectionFrom(text, u"[Find & Replace Dialog]")),
            u"Cancel"_s);
        QCOMPARE(LookupText(u"\r\nCancel=", Language::mainDialogSection(text)), QString());
        Language::setCurrentName(u"English"_s);
        QCOMPARE(Language::messageText(12), u"No Article!"_s);
        QCOMPARE(Language::text(u"ID_FILE_SAVEALL"), u"Save &All"_s);
    }

    // Every text is found where the program looks for it, and not empty
    // where the English one is not.
    void lookupsFindOwnSection_data() { addFileRows(true); }
    void lookupsFindOwnSection()
    {
        QFETCH(QString, stem);
        const QString text = TextFile::readUtf16(filePath(stem));
        const ParsedIni ini = parseIni(text);
        for (const IniEntry &e : ini.entries) {
            const QString where = e.section + u' ' + e.key;
            const QString found = programLookup(text, e.section, e.key);
            QVERIFY2(found == e.value, qPrintable(where + u" gives "_s + found));
            if (!m_english.value(e.section, e.key).isEmpty())
                QVERIFY2(!e.value.trimmed().isEmpty(), qPrintable(where + u" is empty"_s));
        }
    }

    void mainDialogSectionIsWhole_data() { addFileRows(true); }
    void mainDialogSectionIsWhole()
    {
        QFETCH(QString, stem);
        const QString text = TextFile::readUtf16(filePath(stem));
        const QStringView cut = Language::mainDialogSection(text);
        QVERIFY(!cut.isEmpty());
        const ParsedIni ini = parseIni(text);
        int keys = 0;
        for (const IniEntry &e : ini.entries) {
            if (e.section != u"[Main Dialog]")
                continue;
            ++keys;
            QVERIFY2(!e.value.contains(u'['), qPrintable(e.key));
            QVERIFY2(cut.contains(QString(u"\r\n" + e.key + u'=' + e.value + u"\r\n")),
                     qPrintable(e.key));
        }
        QCOMPARE(keys, 29);
    }

    void formatsKept_data() { addFileRows(true); }
    void formatsKept()
    {
        QFETCH(QString, stem);
        const QString text = TextFile::readUtf16(filePath(stem));
        const QString message2 = LookupText(u"\r\nMessageBox_2=", text);
        QCOMPARE(message2.count(u"%s"), 1);
        QCOMPARE(message2.count(u'%'), 1);
        const QString message24 = LookupText(u"\r\nMessageBox_24=", text);
        QCOMPARE(message24.count(u"\\n"), 1);
        QVERIFY(!message24.contains(u'\n'));
    }

    // The main window keeps what follows the first ":" of these captions (the
    // counts) across a language switch, and leaves the operated-article caption
    // alone once it holds a ".".
    void captionRules_data() { addFileRows(true); }
    void captionRules()
    {
        QFETCH(QString, stem);
        const QString text = TextFile::readUtf16(filePath(stem));
        const QStringView cut = Language::mainDialogSection(text);
        for (const QStringView key : {u"Btn WordsInfo Header", u"Words Number", u"Replaced"}) {
            const QString value = LookupText(QString(u"\r\n" + key + u'='), cut);
            QVERIFY2(value.endsWith(u':'), qPrintable(key.toString()));
        }
        QVERIFY(!LookupText(u"\r\nOperating Article=", cut).contains(u'.'));
    }

    void accessKeysKept_data() { addFileRows(false); }
    void accessKeysKept()
    {
        QFETCH(QString, stem);
        const ParsedIni ini = parseIni(TextFile::readUtf16(filePath(stem)));
        for (const IniEntry &e : m_english.entries) {
            if (e.section != u"[Menu]")
                continue;
            QCOMPARE(accessKeyCount(ini.value(e.section, e.key)), accessKeyCount(e.value));
        }
    }

    void menuListsAllFiles()
    {
        const auto items = Language::menuItems();
        QVERIFY(items.has_value());
        QStringList names;
        for (const Language::MenuItem &item : *items)
            names.append(item.displayName);
        QVERIFY(!names.isEmpty());
        QCOMPARE(names.first(), u"English"_s);
        for (const Shipped &f : shippedFiles)
            QVERIFY2(names.contains(f.displayName), qPrintable(f.displayName));
    }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
