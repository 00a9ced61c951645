#include "dictionary/dictionary.h"

#include "dictionary/dictionaryschema.h"
#include "dictionary/wordshape.h"
#include "engine/storescrambler.h"

#include <QSet>

#include <algorithm>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

using namespace WordShape;

namespace {

// Resets a cached statement when a query is done with it.
class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt *s) : m_s(s) {}
    // A step that fails (a damaged page, a lock) is recorded in *error.
    StatementUse(QString *error, sqlite3_stmt *s) : m_s(s), m_error(error) {}
    ~StatementUse()
    {
        if (m_s) {
            sqlite3_reset(m_s);
            sqlite3_clear_bindings(m_s);
        }
    }
    StatementUse(const StatementUse &) = delete;
    StatementUse &operator=(const StatementUse &) = delete;

    explicit operator bool() const { return m_s != nullptr; }
    void bind(int index, QStringView text)
    {
        // The text outlives the statement's use, so SQLite need not copy it.
        sqlite3_bind_text16(m_s, index, text.utf16(), int(text.size() * 2), SQLITE_STATIC);
    }
    bool step()
    {
        if (!m_s)
            return false;
        const int code = sqlite3_step(m_s);
        if (code != SQLITE_ROW && code != SQLITE_DONE && m_error && m_error->isEmpty())
            *m_error = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(m_s)));
        return code == SQLITE_ROW;
    }
    int stepCode() { return sqlite3_step(m_s); }
    QString text(int column) const
    {
        const void *data = sqlite3_column_text16(m_s, column);
        const int bytes = sqlite3_column_bytes16(m_s, column);
        return data ? QString(reinterpret_cast<const QChar *>(data), bytes / 2) : QString();
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_s, column); }

private:
    sqlite3_stmt *m_s;
    QString *m_error = nullptr;
};

struct Segment
{
    QStringView marker;
    QStringView tag; // the tag its items are bent by
};

// The segments a tag inflects, in order. An -s form is a verb's third person
// and a noun's plural, whichever tag it carries: verbs are bent as "tp",
// nouns and pronouns as "pl" (owns: has, not haves; falls: children).
QList<Segment> segmentsFor(QStringView tagName)
{
    if (tagName == u"sp" || tagName == u"pp" || tagName == u"ip")
        return {{u"<verb>", tagName}};
    if (tagName == u"pl")
        return {{u"<verb>", u"tp"}, {u"<pronoun>", u"pl"}, {u"<noun>", u"pl"}};
    if (tagName == u"tp")
        return {{u"<pronoun>", u"pl"}, {u"<noun>", u"pl"}, {u"<verb>", u"tp"}};
    return {};
}

// The preferred form of an IR field with variants ("dreamed|dreamt").
QString firstVariant(const QString &forms)
{
    const qsizetype bar = forms.indexOf(u'|');
    return bar < 0 ? forms : forms.left(bar);
}

// True when one of the readings "tags:bases" is the word itself: a base equal
// to the word (a zero plural, a past like put) or the tag "if".
bool readsAsItself(QStringView readings, QStringView word)
{
    const qsizetype colon = readings.indexOf(u':');
    if (colon < 0)
        return false;
    const QList<QStringView> tags = readings.left(colon).split(u'|');
    const QList<QStringView> bases = readings.mid(colon + 1).split(u'|');
    for (qsizetype i = 0; i < bases.size(); ++i) {
        if (bases[i] == word || (i < tags.size() && tags[i] == u"if"))
            return true;
    }
    return false;
}

// Orders and matches texts as SQLite's NOCASE and LIKE do: only the 26 ASCII
// letters fold.
char16_t asciiFold(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') ? char16_t(u + 32) : u;
}

bool asciiFoldLess(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = asciiFold(a[i]);
        const char16_t y = asciiFold(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

bool asciiFoldStartsWith(QStringView text, QStringView prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (qsizetype i = 0; i < prefix.size(); ++i) {
        if (asciiFold(text[i]) != asciiFold(prefix[i]))
            return false;
    }
    return true;
}

struct PhrasePass
{
    QStringView partOfSpeech;
    bool backwards;
};

QList<PhrasePass> phrasePassesFor(QStringView tag)
{
    if (tag == u"pl")
        return {{u"noun", true}, {u"pronoun", true}, {u"verb", false}};
    if (tag == u"tp")
        return {{u"verb", false}, {u"noun", true}, {u"pronoun", true}};
    return {{u"verb", false}};
}

// The lookup statements; %1 is the table the word-table rule names. In
// ExistsSql the NOCASE comparison finds the rows through the index and the
// BINARY one keeps only the exact match.
constexpr QStringView ExistsSql =
    u"SELECT 1 FROM \"%1\" WHERE Words = ?1 AND Words = ?1 COLLATE BINARY LIMIT 1";
constexpr QStringView RowsSql =
    u"SELECT ss, Words, Type, Synonyms FROM \"%1\" WHERE Words = ?1 ORDER BY ss";
// LIKE with a bound prefix ignores ASCII case as the NOCASE index does; the
// range in front of it lets the index find the rows.
constexpr QStringView PrefixSql = u"SELECT Words FROM \"%1\" WHERE Words >= ?1 AND Words < ?2 "
                                  u"AND Words LIKE ?3 ESCAPE '\\' ORDER BY ss";
constexpr QStringView SortedWordsSql = u"SELECT Words FROM SortedWords WHERE Name = ?1";
constexpr QStringView IrFormSql = u"SELECT Regular FROM IR WHERE Words = ?1 ORDER BY rowid LIMIT 1";

} // namespace

// ---------------------------------------------------------------------------
// Opening

Dictionary::Dictionary(sqlite3 *db, QString path, bool scrambled)
    : m_db(db), m_path(std::move(path)), m_scrambled(scrambled)
{}

Dictionary::~Dictionary()
{
    for (sqlite3_stmt *s : std::as_const(m_statements))
        sqlite3_finalize(s);
    sqlite3_close(m_db);
}

std::unique_ptr<Dictionary> Dictionary::open(const QString &path, bool scrambled, bool writable,
                                             QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return nullptr;
    };
    if (path.isEmpty())
        return fail(u"no dictionary file is named"_s);

    sqlite3 *db = nullptr;
    const int flags =
        (writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_NOMUTEX;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = db ? QString::fromUtf8(sqlite3_errmsg(db)) : u"out of memory"_s;
        sqlite3_close(db);
        return fail(why + u" ("_s + path + u')');
    }
    sqlite3_busy_timeout(db, 2000);
    sqlite3_extended_result_codes(db, 1);
    std::unique_ptr<Dictionary> dictionary(new Dictionary(db, path, scrambled));

    // SQLite opens any file lazily: check the tables and columns now, so a
    // wrong, damaged or locked file is reported at once.
    const QStringList wordColumns = {u"ss"_s, u"Words"_s, u"Type"_s, u"Synonyms"_s};
    const QStringList irColumns = {u"Words"_s, u"Regular"_s};
    QStringList tables = DictionarySchema::wordTables();
    tables << DictionarySchema::IrTable.toString();
    for (const QString &table : tables) {
        StatementUse info(dictionary->statement(u"PRAGMA table_info(\"%1\")"_s.arg(table)));
        if (!info)
            return fail(QString::fromUtf8(sqlite3_errmsg(db)));
        QSet<QString> columns;
        int code;
        while ((code = info.stepCode()) == SQLITE_ROW)
            columns.insert(info.text(1).toLower());
        if (code != SQLITE_DONE)
            return fail(QString::fromUtf8(sqlite3_errmsg(db)));
        if (columns.isEmpty())
            return fail(u"the dictionary has no table %1"_s.arg(table));
        for (const QString &c : table == u"IR" ? irColumns : wordColumns) {
            if (!columns.contains(c.toLower()))
                return fail(u"table %1 of the dictionary has no column %2"_s.arg(table, c));
        }
    }
    QString irError;
    if (!dictionary->loadIrregularForms(&irError))
        return fail(irError);
    return dictionary;
}

sqlite3_stmt *Dictionary::statement(const QString &sql, bool failFast)
{
    // After a failure every lookup fails at once: a locked file must not cost
    // the busy timeout on each of the words still to come.
    if (failFast && !m_error.isEmpty())
        return nullptr;
    if (sqlite3_stmt *cached = m_statements.value(sql))
        return cached;
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v3(m_db, sql.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &s,
                           nullptr) != SQLITE_OK) {
        if (failFast && m_error.isEmpty())
            m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_finalize(s);
        return nullptr;
    }
    m_statements.insert(sql, s);
    return s;
}

bool Dictionary::loadIrregularForms(QString *error)
{
    StatementUse rows(&m_error, statement(u"SELECT Words, Regular FROM IR ORDER BY rowid"_s));
    if (!rows) {
        *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    while (rows.step())
        m_irRows.append({rows.text(0), rows.text(1)});
    // Every text that starts after "=" or "|" and ends before ";", "|" or the
    // end is a form its row lists.
    for (int index = 0; index < int(m_irRows.size()); ++index) {
        const QStringView regular = m_irRows[index].regular;
        for (qsizetype i = 1; i < regular.size(); ++i) {
            if (regular[i - 1] != u'=' && regular[i - 1] != u'|')
                continue;
            qsizetype end = i;
            while (end < regular.size() && regular[end] != u';' && regular[end] != u'|')
                ++end;
            m_irForms.emplace_back(regular.sliced(i, end - i), index);
        }
    }
    std::sort(m_irForms.begin(), m_irForms.end());
    m_irForms.erase(std::unique(m_irForms.begin(), m_irForms.end()), m_irForms.end());
    return true;
}

qint64 Dictionary::countEntries()
{
    QMutexLocker lock(&m_mutex);
    qint64 sum = 0;
    for (const QString &table : DictionarySchema::wordTables()) {
        StatementUse count(&m_error, statement(u"SELECT COUNT(*) FROM \"%1\""_s.arg(table)));
        if (!count.step())
            return -1;
        sum += count.integer(0);
    }
    return sum;
}

QStringList Dictionary::queryPlans()
{
    QMutexLocker lock(&m_mutex);
    QStringList plans;
    for (QStringView sql : {ExistsSql, RowsSql, PrefixSql, IrFormSql}) {
        QString explain = u"EXPLAIN QUERY PLAN "_s + sql;
        explain.replace(u"%1"_s, u"A"_s);
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(m_db, explain.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK) {
            plans << QString::fromUtf8(sqlite3_errmsg(m_db));
            continue;
        }
        QStringList details;
        while (sqlite3_step(s) == SQLITE_ROW)
            details << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 3)));
        sqlite3_finalize(s);
        plans << details.join(u"; ");
    }
    return plans;
}

// ---------------------------------------------------------------------------
// Queries

sqlite3_stmt *Dictionary::lookupStatement(QStringView sql, QStringView word)
{
    const QString table = Lookup::tableFor(word);
    return table.isEmpty() ? nullptr : statement(sql.arg(table));
}

bool Dictionary::existsExact(QStringView word)
{
    QMutexLocker lock(&m_mutex);
    StatementUse q(&m_error, lookupStatement(ExistsSql, word));
    if (!q)
        return false;
    q.bind(1, word);
    return q.step();
}

QList<Dictionary::Row> Dictionary::rowsOf(QStringView word)
{
    QMutexLocker lock(&m_mutex);
    StatementUse q(&m_error, lookupStatement(RowsSql, word));
    if (!q)
        return {};
    q.bind(1, word);
    QList<Row> rows;
    while (q.step()) {
        Row row{q.integer(0), q.text(1), q.text(2), q.text(3)};
        if (m_scrambled)
            StoreScrambler::apply(row.synonyms);
        rows.append(std::move(row));
    }
    return rows;
}

QStringList Dictionary::wordsStartingWith(QStringView prefix)
{
    QMutexLocker lock(&m_mutex);
    StatementUse q(&m_error, lookupStatement(PrefixSql, prefix));
    if (!q)
        return {};
    QString escaped = prefix.toString();
    escaped.replace(u"\\"_s, u"\\\\"_s).replace(u"%"_s, u"\\%"_s).replace(u"_"_s, u"\\_"_s);
    escaped += u'%';
    // Upper bound of the NOCASE range: the prefix followed by the highest code
    // point sorts after every text that starts with it.
    const QString upper = prefix.toString().toLower() + QString::fromUcs4(U"\U0010FFFF");
    const QString lower = prefix.toString();
    q.bind(1, lower);
    q.bind(2, upper);
    q.bind(3, escaped);
    QStringList words;
    while (q.step())
        words.append(q.text(0));
    return words;
}

// ---------------------------------------------------------------------------
// Lookup and inflection

QString Dictionary::irregularTag(QStringView word)
{
    if (word.isEmpty())
        return {};
    const auto [first, last] =
        std::equal_range(m_irForms.cbegin(), m_irForms.cend(), std::pair(word, 0),
                         [](const auto &a, const auto &b) { return a.first < b.first; });
    QString tags;
    QString bases;
    for (auto candidate = first; candidate != last; ++candidate) {
        const IrRow &row = m_irRows[candidate->second];
        const qsizetype at = row.regular.indexOf(word);
        if (at <= 0)
            continue;
        const QChar before = row.regular[at - 1];
        const qsizetype after = at + word.size();
        if (before != u'=' && before != u'|')
            continue;
        if (after < row.regular.size() && row.regular[after] != u';' && row.regular[after] != u'|')
            continue;
        const qsizetype eq = row.regular.lastIndexOf(u'=', at - 1);
        const QString tag = eq >= 2 ? row.regular.mid(eq - 2, 2) : QString();
        if (!bases.isEmpty()) {
            tags += u'|';
            bases += u'|';
        }
        tags += tag;
        bases += row.words;
    }
    if (bases.isEmpty())
        return {};
    return u'(' + tags + u':' + bases + u')';
}

QString Dictionary::inflectionTag(const QString &word)
{
    if (word.isEmpty())
        return {};
    if (word == u"was" || word == u"were" || word == u"Was" || word == u"Were")
        return u"sp:be"_s;
    if (word == u"been" || word == u"Been")
        return u"pp:be"_s;

    QString w = word;
    const QChar first = w.front();
    if (first >= u'A' && first <= u'Z' && (w.size() == 1 || (w[1] >= u'a' && w[1] <= u'z'))) {
        w[0] = first.toLower();
        if (existsExact(w))
            return u"if:"_s + w;
    }

    const QString irregular = irregularTag(w);
    if (!irregular.isEmpty()) {
        const QString readings = irregular.mid(1, irregular.size() - 2);
        if (!readsAsItself(readings, w))
            return readings;
        // A word the table lists as a form of itself (sheep, put, or "if=")
        // is that word, and the regular endings must not read it either.
        return existsExact(w) ? QString() : u"not_exist"_s;
    }
    if (existsExact(w))
        return {};

    const qsizetype n = w.size();
    const QChar last = w.back();
    auto firstFound = [this](std::initializer_list<QString> candidates) -> QString {
        for (const QString &c : candidates) {
            if (!c.isEmpty() && existsExact(c))
                return c;
        }
        return {};
    };

    if (last == u'd' && n > 3 && w[n - 2] == u'e') {
        const QString stem = w.left(n - 2);
        QString yStem;
        if (stem.size() >= 3 && stem.back() == u'i')
            yStem = stem.left(stem.size() - 1) + u'y';
        const QString found =
            firstFound({w.left(n - 1), doublesItsConsonant(stem) ? QString() : stem, yStem});
        if (!found.isEmpty())
            return u"sp:"_s + found;
    } else if (last == u'g' && n > 4 && w.endsWith(u"ing")) {
        const QString stem = w.left(n - 3);
        // "u" too: arguing, continuing drop the "e" of argue, continue.
        const QString eStem = isVowel(stem.back()) && stem.back() != u'u' ? QString() : stem + u'e';
        const QString found = firstFound({doublesItsConsonant(stem) ? QString() : stem, eStem});
        if (!found.isEmpty())
            return u"ip:"_s + found;
    } else if (last == u's' && n > 2) {
        QString stem = w.left(n - 1);
        QString esStem;
        if (stem.endsWith(u'e')) {
            esStem = w.left(n - 2);
            stem = esStem;
            // "es" follows a hissing sound or an "o" (boxes, goes); "dines"
            // and "lies" are no forms of din and li.
            if (!hissesOrO(esStem))
                esStem.clear();
        }
        QString yStem;
        if (stem.size() >= 3 && stem.back() == u'i' && !isVowel(stem[stem.size() - 2]))
            yStem = stem.left(stem.size() - 1) + u'y';
        const QString found = firstFound({w.left(n - 1), esStem, yStem});
        if (!found.isEmpty())
            return u"pl:"_s + found;
    }
    return u"not_exist"_s;
}

QString Dictionary::synonyms(const QString &word, const QString &typeFilter)
{
    if (word.isEmpty() || word.contains(u'"'))
        return {};
    const QString filter = typeFilter.isEmpty() ? QString() : u',' + typeFilter + u',';
    QString list;
    for (const Row &row : rowsOf(word)) {
        if (!filter.isEmpty() && !filter.contains(u',' + row.type + u','))
            continue;
        list += u'<' + row.type + u'>' + row.synonyms;
    }
    return list;
}

QString Dictionary::typesOf(const QString &word)
{
    QStringList types;
    for (const Row &row : rowsOf(word))
        types.append(row.type);
    return types.join(u',');
}

int Dictionary::phraseStatus(const QString &phrase)
{
    if (phrase.isEmpty())
        return 0;
    for (QChar c : phrase) {
        const bool ok = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') ||
                        (c >= u'0' && c <= u'9') || c == u' ' || c == u'\'' || c == u'-';
        if (!ok)
            return 0;
    }
    // The rows are those a prefix LIKE finds: Words starting with the phrase
    // without regard to ASCII case. Their Words, joined by ",", are scanned for
    // the phrase (case-sensitive, each search after the previous find): a find
    // at the end of a word marks an entry, any other a longer phrase. The
    // phrase holds no comma, so each word can be scanned on its own and the
    // order of the words does not matter.
    QMutexLocker lock(&m_mutex);
    const std::vector<QStringView> &words = sortedWords(Lookup::tableFor(phrase));
    auto it = std::lower_bound(words.cbegin(), words.cend(), QStringView(phrase), asciiFoldLess);
    int status = 0;
    for (; it != words.cend() && asciiFoldStartsWith(*it, phrase); ++it) {
        qsizetype from = 0;
        while ((from = it->indexOf(phrase, from)) >= 0) {
            from += phrase.size();
            status |= from == it->size() ? 2 : 1;
        }
        if (status == 3)
            break;
    }
    return status;
}

const std::vector<QStringView> &Dictionary::sortedWords(const QString &table)
{
    auto found = m_sortedWords.find(table);
    if (found != m_sortedWords.end())
        return found->words;
    // The builder stores each table's headwords in this order, joined by line
    // ends (table SortedWords), and its triggers drop a table's row when the
    // library editor changes the table; without one they are read and sorted
    // here.
    SortedWords sorted;
    std::vector<qsizetype> ends;
    bool stored = false;
    if (StatementUse list(&m_error, statement(SortedWordsSql.toString(), false)); list) {
        list.bind(1, table);
        stored = list.step();
        if (stored) {
            sorted.text = list.text(0);
            for (qsizetype at = 0; (at = sorted.text.indexOf(u'\n', at)) >= 0; ++at)
                ends.push_back(at);
            ends.push_back(sorted.text.size());
        }
    }
    if (!stored) {
        StatementUse q(&m_error, statement(u"SELECT Words FROM \"%1\""_s.arg(table)));
        while (q.step()) {
            sorted.text += q.text(0);
            ends.push_back(sorted.text.size());
        }
    }
    sorted.words.reserve(ends.size());
    qsizetype start = 0;
    for (const qsizetype end : ends) {
        if (end > start)
            sorted.words.push_back(QStringView(sorted.text).sliced(start, end - start));
        start = end + (stored ? 1 : 0);
    }
    if (!std::is_sorted(sorted.words.begin(), sorted.words.end(), asciiFoldLess))
        std::sort(sorted.words.begin(), sorted.words.end(), asciiFoldLess);
    if (!m_error.isEmpty()) {
        // A list cut short by an error must not stand for the table later on.
        static const std::vector<QStringView> none;
        return none;
    }
    return m_sortedWords.insert(table, std::move(sorted))->words;
}

QString Dictionary::lastError()
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

void Dictionary::clearError()
{
    QMutexLocker lock(&m_mutex);
    m_error.clear();
}

void Dictionary::invalidateCaches()
{
    QMutexLocker lock(&m_mutex);
    m_sortedWords.clear();
}

std::optional<QString> Dictionary::irregularForm(const QString &word, QStringView field)
{
    if (word.isEmpty())
        return std::nullopt;
    QString regular;
    {
        QMutexLocker lock(&m_mutex);
        StatementUse q(&m_error, statement(IrFormSql.toString()));
        if (!q)
            return std::nullopt;
        q.bind(1, word);
        if (!q.step())
            return std::nullopt;
        regular = q.text(0);
    }
    const QString key = field + u'=';
    const qsizetype at = regular.indexOf(key);
    if (at < 0)
        return std::nullopt;
    const qsizetype start = at + key.size();
    qsizetype end = regular.indexOf(u';', start);
    if (end < 0)
        end = regular.size();
    return regular.mid(start, end - start);
}

QString Dictionary::inflect(const QString &word, QStringView tag)
{
    if (word.isEmpty())
        return {};
    // Each tag reads its own field: plurals from "pl=", third person from "tp=".
    if (tag == u"sp" || tag == u"pp" || tag == u"ip" || tag == u"pl" || tag == u"tp") {
        if (const auto form = irregularForm(word, tag))
            return *form;
    }
    // A synonym listed in the plural already (stakes, glasses, clothes) is its
    // own plural: without its "s", or the "es" after a hissing sound, it is a
    // word of its own.
    if (tag == u"pl" && word.endsWith(u"es") &&
        (existsExact(word.chopped(1)) ||
         (hissesOrO(QStringView(word).chopped(2)) && existsExact(word.chopped(2)))))
        return word;
    return Lookup::regularInflection(word, tag);
}

QString Dictionary::inflectPhrase(const QString &phrase, QStringView tag)
{
    QStringList words = phrase.split(u' ');
    for (const PhrasePass &pass : phrasePassesFor(tag)) {
        const QString marker = u',' + pass.partOfSpeech;
        for (qsizetype k = 0; k < words.size(); ++k) {
            const qsizetype i = pass.backwards ? words.size() - 1 - k : k;
            if (words[i].isEmpty())
                continue;
            if (!QString(u',' + typesOf(words[i]) + u',').contains(marker))
                continue;
            // One word of the phrase is bent; a list item shows one form.
            const QStringView wordTag = tag == u"pl" && pass.partOfSpeech == u"verb" ? u"tp" : tag;
            words[i] = firstVariant(inflect(words[i], wordTag));
            break;
        }
        const QString rebuilt = words.join(u' ');
        if (rebuilt != phrase)
            return rebuilt;
    }
    return phrase;
}

QString Dictionary::inflectPhraseHead(const QString &phrase, QStringView tag, bool verbPhrase)
{
    static const QSet<QString> prepositions = {u"of"_s,   u"in"_s,   u"on"_s,    u"for"_s,
                                               u"to"_s,   u"with"_s, u"at"_s,    u"by"_s,
                                               u"from"_s, u"into"_s, u"under"_s, u"over"_s};
    QStringList words = phrase.split(u' ');
    qsizetype head = 0;
    if (!verbPhrase) {
        head = words.size() - 1;
        for (qsizetype i = 1; i < words.size(); ++i) {
            if (prepositions.contains(words[i])) {
                head = i - 1;
                break;
            }
        }
    }
    if (words[head].isEmpty())
        return phrase;
    words[head] = firstVariant(inflect(words[head], tag));
    return words.join(u' ');
}

QString Dictionary::inflectList(const QString &text)
{
    if (text.startsWith(u"()"))
        return text.mid(2);
    if (!text.startsWith(u'('))
        return text;
    const qsizetype close = text.indexOf(u')');
    if (close < 0)
        return text;
    const QStringView inside = QStringView(text).mid(1, close - 1);
    const qsizetype colon = inside.indexOf(u':');
    const QString tagName = (colon < 0 ? inside : inside.left(colon)).toString();
    QString list = text.mid(close + 1);

    for (const Segment &segment : segmentsFor(tagName)) {
        const qsizetype at = list.indexOf(segment.marker);
        if (at < 0)
            continue;
        const qsizetype start = at + segment.marker.size();
        qsizetype end = list.indexOf(u'<', start);
        if (end < 0)
            end = list.size();
        QStringList items;
        for (const QString &raw : list.mid(start, end - start).split(u',')) {
            const QString item = raw.trimmed();
            // A form with variants ("dreamed|dreamt") offers its first: "|"
            // separates alternatives wherever a list is turned into a group.
            const QString bent =
                item.contains(u' ')
                    ? inflectPhraseHead(item, segment.tag, segment.marker == u"<verb>")
                    : firstVariant(inflect(item, segment.tag));
            // Two synonyms may bend into one form (fulfil, fulfill).
            if (!items.contains(bent))
                items.append(bent);
        }
        list.replace(start, end - start, items.join(u','));
    }
    return list;
}

QString Dictionary::readingsList(QStringView tag)
{
    const qsizetype colon = tag.indexOf(u':');
    if (colon < 0)
        return {};
    const QList<QStringView> tags = tag.left(colon).split(u'|');
    const QList<QStringView> bases = tag.mid(colon + 1).split(u'|');
    QStringList results;
    for (qsizetype i = 0; i < bases.size(); ++i) {
        const QString readingTag = (i < tags.size() ? tags[i] : tags.last()).toString();
        const QString base = bases[i].toString();
        const QString list = synonyms(base, Lookup::popupTypeFilter(readingTag));
        if (list.isEmpty())
            continue;
        const QString inflected = inflectList(u'(' + readingTag + u':' + base + u')' + list);
        if (!inflected.isEmpty())
            results.append(inflected);
    }
    return results.join(u',');
}

bool Dictionary::execute(const QString &sql, const QVariantList &values, QList<QStringList> *rows,
                         QString *error)
{
    QMutexLocker lock(&m_mutex);
    sqlite3_stmt *s = statement(sql, false);
    StatementUse q(s);
    if (!q) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    // Bound as SQLITE_STATIC: the texts live until the statement is reset.
    QStringList texts(values.size());
    for (int i = 0; i < values.size(); ++i) {
        if (values[i].typeId() == QMetaType::LongLong) {
            sqlite3_bind_int64(s, i + 1, values[i].toLongLong());
        } else {
            texts[i] = values[i].toString();
            // An empty text is "", not NULL: Type="" must match an empty type.
            if (texts[i].isEmpty())
                sqlite3_bind_text16(s, i + 1, u"", 0, SQLITE_STATIC);
            else
                q.bind(i + 1, texts[i]);
        }
    }
    const int columns = sqlite3_column_count(s);
    int code;
    while ((code = q.stepCode()) == SQLITE_ROW) {
        if (!rows)
            continue;
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row.append(q.text(c));
        rows->append(row);
    }
    if (code != SQLITE_DONE) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    // A write may add or remove headwords: the sorted copies are read again.
    if (!sqlite3_stmt_readonly(s))
        m_sortedWords.clear();
    return true;
}
