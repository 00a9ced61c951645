#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"
#include "app/textfile.h"
#include "filetestutil.h"

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

    // The table lists every key of English.ini, in the file's order.
    void tableCoversEnglishFile()
    {
        QStringList fromFile;
        QStringList fromTable;
        for (const IniEntry &e : m_english.entries)
            fromFile.append(e.section + e.key);
        for (const QStringList &row : FileTest::tableRows(u"language/english-texts.tsv"_s))
            fromTable.append(row.at(1) + row.at(0));
        QCOMPARE(fromFile, fromTable);
    }

    void englishTexts_data() { TestUtil::addTableRows(u"language/english-texts.tsv"_s); }
    void englishTexts()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        const QString text = LoadLanguageText(u"English"_s);
        // The table reads a written "\\n" as a line break.
        QCOMPARE(programLookup(text, section, key).replace(u"\\n"_s, u"\n"_s), expected);
    }

    void sectionsKeepTheirCancel()
    {
        const QString text = LoadLanguageText(u"English"_s);
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
