#include "dictionary/wordlibrary.h"

#include "engine/storescrambler.h"

#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

// Word tables are named by the word-table rule; %1 stands for the table.
constexpr QStringView SensesSql =
    u"SELECT ss, Words, Type, Synonyms FROM \"%1\" WHERE Words = ?1 ORDER BY ss";
constexpr QStringView SenseSql =
    u"SELECT ss, Words, Type, Synonyms FROM \"%1\" WHERE Words = ?1 AND Type = ?2 ORDER BY ss";
constexpr QStringView InsertSql = u"INSERT INTO \"%1\" (Words, Type, Synonyms) VALUES (?1, ?2, ?3)";
constexpr QStringView UpdateSql = u"UPDATE \"%1\" SET Synonyms = ?1 WHERE ss = ?2";
constexpr QStringView DeleteRowSql = u"DELETE FROM \"%1\" WHERE ss = ?1";
constexpr QStringView DeleteSenseSql = u"DELETE FROM \"%1\" WHERE Words = ?1 AND Type = ?2";

QString sqlFor(QStringView pattern, const QString &word)
{
    return pattern.toString().arg(Lookup::tableFor(word));
}

// Synonyms as stored: scrambled in a file of scrambled mode.
QString stored(const Dictionary &dictionary, const QString &synonyms)
{
    return dictionary.scrambled() ? StoreScrambler::applied(synonyms) : synonyms;
}

WordLibrary::Rows query(Dictionary &dictionary, const QString &sql, const QVariantList &values)
{
    WordLibrary::Rows result;
    QList<QStringList> rows;
    QString error;
    if (!dictionary.execute(sql, values, &rows, &error)) {
        result.error = error.isEmpty() ? u"unknown error"_s : error;
        return result;
    }
    for (const QStringList &r : std::as_const(rows)) {
        Dictionary::Row row{r.value(0).toLongLong(), r.value(1), r.value(2), r.value(3)};
        if (dictionary.scrambled())
            StoreScrambler::apply(row.synonyms);
        result.rows.append(std::move(row));
    }
    return result;
}

bool run(Dictionary &dictionary, const QString &sql, const QVariantList &values, QString *error)
{
    QString why;
    if (dictionary.execute(sql, values, nullptr, &why))
        return true;
    if (error)
        *error = why.isEmpty() ? u"unknown error"_s : why;
    return false;
}

} // namespace

const QStringList &WordLibrary::partsOfSpeech()
{
    static const QStringList types = {
        u"noun"_s,        u"verb"_s,         u"adjective"_s,    u"adverb"_s,
        u"preposition"_s, u"conjunction"_s,  u"pronoun"_s,      u"numeral"_s,
        u"article"_s,     u"interjection"_s, u"abbreviation"_s,
    };
    return types;
}

WordLibrary::WordCheck WordLibrary::checkWord(QStringView word)
{
    if (word.isEmpty())
        return WordCheck::Empty;
    for (QChar c : word) {
        if (c == u'|' || c == u',' || c == u'"' || c == u'{' || c == u'}')
            return WordCheck::Illegal;
    }
    return WordCheck::Ok;
}

WordLibrary::Rows WordLibrary::senses(Dictionary &dictionary, const QString &word)
{
    if (word.isEmpty())
        return {};
    return query(dictionary, sqlFor(SensesSql, word), {word});
}

WordLibrary::Rows WordLibrary::sense(Dictionary &dictionary, const QString &word,
                                     const QString &type)
{
    if (word.isEmpty())
        return {};
    return query(dictionary, sqlFor(SenseSql, word), {word, type});
}

QStringList WordLibrary::splitSynonyms(const QString &value)
{
    QStringList rows;
    const QString text = value + u',';
    qsizetype from = 0;
    for (;;) {
        const qsizetype comma = text.indexOf(u',', from);
        if (comma < 0 || comma == from)
            break;
        rows.append(text.mid(from, comma - from));
        from = comma + 1;
    }
    return rows;
}

WordLibrary::SaveResult WordLibrary::saveSense(Dictionary &dictionary, const QString &word,
                                               const QString &type, const QString &synonyms)
{
    SaveResult result;
    if (word.isEmpty() || type.isEmpty())
        return result;
    const Rows found = sense(dictionary, word, type);
    if (!found.ok()) {
        result.status = SaveStatus::QueryFailed;
        result.error = found.error;
        return result;
    }
    bool ok = true;
    if (found.rows.isEmpty()) {
        if (synonyms.isEmpty()) {
            result.status = SaveStatus::Unchanged;
            return result;
        }
        result.status = SaveStatus::Inserted;
        ok = run(dictionary, sqlFor(InsertSql, word), {word, type, stored(dictionary, synonyms)},
                 &result.error);
    } else if (!synonyms.isEmpty()) {
        result.status = SaveStatus::Updated;
        ok = run(dictionary, sqlFor(UpdateSql, word),
                 {stored(dictionary, synonyms), found.rows.first().ss}, &result.error);
    } else {
        result.status = SaveStatus::Deleted;
        ok = run(dictionary, sqlFor(DeleteRowSql, word), {found.rows.first().ss}, &result.error);
    }
    if (!ok)
        result.status = SaveStatus::WriteFailed;
    return result;
}

QString WordLibrary::cleanSynonymText(const QString &text)
{
    qsizetype blanks = 0;
    while (blanks < text.size() && text[blanks] == u' ')
        ++blanks;
    QString clean = text.mid(blanks);
    clean.replace(u'|', u',');
    clean.remove(u'}');
    clean.remove(u'{');
    clean.replace(u", "_s, u","_s);
    clean.remove(u'\r');
    clean.remove(u'\n');
    return clean;
}

QString WordLibrary::newSynonyms(const QString &cleaned, const QStringList &existing)
{
    // Empty items would break the stored list's form (no empty entry, no
    // comma at either end); repeated ones would list a synonym twice.
    QSet<QString> seen(existing.cbegin(), existing.cend());
    QStringList added;
    for (const QString &item : cleaned.split(u',')) {
        if (item.isEmpty() || seen.contains(item))
            continue;
        seen.insert(item);
        added.append(item);
    }
    return added.join(u',');
}

bool WordLibrary::addBackLinks(Dictionary &dictionary, const QString &word, const QString &type,
                               const QString &synonyms, QString *error)
{
    if (word.isEmpty() || type.isEmpty() || synonyms.isEmpty())
        return true;
    for (const QString &synonym : synonyms.split(u',')) {
        if (synonym.isEmpty())
            continue;
        const Rows found = sense(dictionary, synonym, type);
        if (!found.ok()) {
            if (error)
                *error = found.error;
            return false;
        }
        if (found.rows.isEmpty()) {
            if (!run(dictionary, sqlFor(InsertSql, synonym),
                     {synonym, type, stored(dictionary, word)}, error)) {
                return false;
            }
            continue;
        }
        const Dictionary::Row &row = found.rows.first();
        if (QString(u',' + row.synonyms + u',').contains(QString(u',' + word + u',')))
            continue;
        const QString value = row.synonyms.isEmpty() ? word : row.synonyms + u',' + word;
        if (!run(dictionary, sqlFor(UpdateSql, synonym), {stored(dictionary, value), row.ss},
                 error)) {
            return false;
        }
    }
    return true;
}

bool WordLibrary::deleteSense(Dictionary &dictionary, const QString &word, const QString &type,
                              QString *error)
{
    if (word.isEmpty())
        return true;
    return run(dictionary, sqlFor(DeleteSenseSql, word), {word, type}, error);
}
