// The shipped dictionary's content, read through the program's own lookups:
// expected and forbidden synonyms from golden files, rules that hold for
// every row (no blocked word, no name offered for a lower-case word), and
// what an automatic rewrite offers for a word in a real sentence.
#include "dictionary/dictionary.h"
#include "engine/autorewrite.h"
#include "engine/jobcontrol.h"
#include "engine/postagger.h"
#include "engine/storescrambler.h"
#include "testutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString DictionaryPath = QStringLiteral(REWORDIX_BIN_DIR "/SysFuns.dll");
const QString Golden = QStringLiteral(REWORDIX_TEST_DATA "/dictionary");
const QString BlocklistPath =
    QStringLiteral(REWORDIX_TEST_DATA "/../../data/dictionary/blocklist.txt");

// Golden lines "word: item, item" or "word first: item, item"; "#" comments.
struct GoldenLine
{
    int number = 0;
    QString word;
    bool first = false;
    QStringList items;
};

QList<GoldenLine> readGolden(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<GoldenLine> lines;
    const QStringList text = QString::fromUtf8(file.readAll()).split(u'\n');
    for (qsizetype n = 0; n < text.size(); ++n) {
        const QString line = text.at(n).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        GoldenLine golden{int(n + 1), line.section(u':', 0, 0).trimmed(), false, {}};
        if (golden.word.endsWith(u" first"_s)) {
            golden.first = true;
            golden.word.chop(6);
        }
        for (const QString &item : line.section(u':', 1).split(u','))
            golden.items << item.trimmed();
        lines << golden;
    }
    return lines;
}

// The builder's matching: whole words, any case, a hyphen as a blank.
QString normalised(const QString &text)
{
    return u' ' + text.toLower().replace(u'-', u' ').simplified() + u' ';
}

QStringList blockedEntries()
{
    QFile file(BlocklistPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList entries;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const QString entry = line.section(u'#', 0, 0).trimmed();
        if (!entry.isEmpty() && !entry.startsWith(u'['))
            entries << normalised(entry);
    }
    return entries;
}

// Every word row of the file: headword and plain synonyms.
QList<std::pair<QString, QStringList>> allRows()
{
    QList<std::pair<QString, QStringList>> rows;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(DictionaryPath).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK) {
        QStringList tables{u"Other"_s};
        for (char16_t c = u'A'; c <= u'Z'; ++c)
            tables << QString(QChar(c));
        for (const QString &table : tables) {
            sqlite3_stmt *query = nullptr;
            const QByteArray sql = uR"(SELECT Words, Synonyms FROM "%1")"_s.arg(table).toUtf8();
            if (sqlite3_prepare_v2(db, sql.constData(), -1, &query, nullptr) != SQLITE_OK)
                continue;
            while (sqlite3_step(query) == SQLITE_ROW) {
                const auto text = [&](int column) {
                    return QString::fromUtf8(
                        reinterpret_cast<const char *>(sqlite3_column_text(query, column)));
                };
                rows.append({text(0), StoreScrambler::applied(text(1)).split(u',')});
            }
            sqlite3_finalize(query);
        }
    }
    sqlite3_close(db);
    return rows;
}

// The rows of a marked list "<type>a,b<type>c": the synonyms of each row.
QList<QStringList> rowsOfList(const QString &marked)
{
    QList<QStringList> rows;
    for (const QString &segment : marked.split(u'<', Qt::SkipEmptyParts))
        rows << segment.section(u'>', 1).split(u',', Qt::SkipEmptyParts);
    return rows;
}

} // namespace

class TestDictionaryData : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Dictionary> m_dictionary;

    void golden(const QString &name)
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("first");
        QTest::addColumn<QStringList>("items");
        const QList<GoldenLine> lines = readGolden(Golden + u'/' + name);
        QVERIFY2(!lines.isEmpty(), qPrintable(name));
        for (const GoldenLine &line : lines)
            QTest::addRow("%s:%d %s", qPrintable(name), line.number, qPrintable(line.word))
                << line.word << line.first << line.items;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!QFile::exists(DictionaryPath))
            QSKIP("SysFuns.dll has not been built");
        QString error;
        m_dictionary = Dictionary::open(DictionaryPath, /*scrambled*/ true, false, &error);
        QVERIFY2(m_dictionary, qPrintable(error));
    }

    // "word: a, b": each listed. "word first: a, b": the main row starts with
    // one of them.
    void expected_data() { golden(u"synonyms-expected.txt"_s); }
    void expected()
    {
        QFETCH(QString, word);
        QFETCH(bool, first);
        QFETCH(QStringList, items);
        const QString marked = m_dictionary->synonyms(word);
        const QList<QStringList> rows = rowsOfList(marked);
        QVERIFY2(!rows.isEmpty(), qPrintable(word));
        if (first) {
            QVERIFY2(items.contains(rows.first().first()), qPrintable(marked));
            return;
        }
        QStringList all;
        for (const QStringList &row : rows)
            all << row;
        for (const QString &item : items)
            QVERIFY2(all.contains(item), qPrintable(item + u" not in "_s + marked));
    }

    // "word: a, b": none listed. "word: *": no row at all.
    void forbidden_data() { golden(u"synonyms-forbidden.txt"_s); }
    void forbidden()
    {
        QFETCH(QString, word);
        QFETCH(QStringList, items);
        const QString marked = m_dictionary->synonyms(word);
        if (items == QStringList{u"*"_s}) {
            QVERIFY2(marked.isEmpty(), qPrintable(marked));
            return;
        }
        QStringList all;
        for (const QStringList &row : rowsOfList(marked))
            all << row;
        for (const QString &item : items)
            QVERIFY2(!all.contains(item, Qt::CaseInsensitive),
                     qPrintable(item + u" in "_s + marked));
    }

    void wholeDictionary()
    {
        const QStringList blocked = blockedEntries();
        QVERIFY(blocked.size() > 20);
        const QList<std::pair<QString, QStringList>> rows = allRows();
        QVERIFY(rows.size() > 50000);
        QStringList blockedItems;
        QStringList capitalised;
        for (const auto &[headword, synonyms] : rows) {
            const bool lower = headword == headword.toLower();
            for (const QString &item : synonyms) {
                const QString text = normalised(item);
                if (std::any_of(blocked.cbegin(), blocked.cend(),
                                [&](const QString &entry) { return text.contains(entry); }))
                    blockedItems << headword + u": "_s + item;
                // A name, not an abbreviation written in capitals (TV).
                if (lower && !item.isEmpty() && item.at(0).isUpper() && item != item.toUpper())
                    capitalised << headword + u": "_s + item;
            }
        }
        QVERIFY2(blockedItems.isEmpty(), qPrintable(blockedItems.mid(0, 5).join(u"; "_s)));
        QVERIFY2(capitalised.isEmpty(), qPrintable(capitalised.mid(0, 5).join(u"; "_s)));
    }

    // The alternatives group a sentence's word gets at degree 3, with the
    // shipped tagger: none of the forbidden items, or no group at all ("*").
    void inContext_data() { TestUtil::addTableRows(u"engine/context-rewrites.tsv"_s); }
    void inContext()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, word);
        QFETCH(QString, forbidden);
        QString error;
        const PosTagger *tagger = TestUtil::shippedTagger(&error);
        QVERIFY2(tagger, qPrintable(error));
        QTemporaryDir work;
        AutoRewriteParams params;
        params.article = sentence;
        params.degree = AutoRewrite::General;
        params.requestedCount = 0;
        params.richArticles = false;
        params.storePath = work.filePath(u"temp.dat"_s);
        params.replacedStorePath = work.filePath(u"replacedtemp.dat"_s);
        params.articlesDir = work.filePath(u"temp"_s);
        params.tagger = tagger;
        JobControl control;
        const AutoRewriteResult result =
            AutoRewrite::runAutoRewrite(params, *m_dictionary, control);
        QCOMPARE(result.status, AutoRewriteStatus::Finished);
        const qsizetype open = result.spintax.indexOf(u'{' + word + u'|');
        if (forbidden == u"*") {
            QVERIFY2(open < 0, qPrintable(result.spintax));
            return;
        }
        const QStringList group =
            result.spintax.mid(open + 1, result.spintax.indexOf(u'}', open) - open - 1).split(u'|');
        for (const QString &item : forbidden.split(u", "_s))
            QVERIFY2(!group.contains(item), qPrintable(result.spintax));
    }
};

QTEST_GUILESS_MAIN(TestDictionaryData)
#include "tst_dictionarydata.moc"
