#include "irregularforms.h"

#include "inputfile.h"
#include "regularinflection.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace IrregularForms {

namespace {

const QStringList FieldOrder = {u"sp"_s, u"pp"_s, u"ip"_s, u"tp"_s, u"pl"_s};

bool isWord(const QString &text)
{
    static const QRegularExpression pattern(u"^[a-z][a-z'-]*$"_s);
    return pattern.match(text).hasMatch();
}

bool isPhrase(const QString &text)
{
    return text.contains(u'_') || text.contains(u' ');
}

void addForm(QMap<QString, QStringList> &fields, const QString &tag, const QString &form)
{
    QStringList &forms = fields[tag];
    if (!forms.contains(form))
        forms << form;
}

Row rowFrom(const QString &base, const QMap<QString, QStringList> &fields)
{
    Row row{base, {}};
    for (const QString &tag : FieldOrder)
        if (fields.contains(tag))
            row.fields << Field{tag, fields.value(tag)};
    return row;
}

} // namespace

const Field *Row::field(QStringView tag) const
{
    for (const Field &f : fields)
        if (f.tag == tag)
            return &f;
    return nullptr;
}

TableResult parseTable(const QString &text)
{
    TableResult result;
    QSet<QString> bases;
    const QStringList lines = text.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const auto fail = [&](const QString &what) {
            result.error = u"line %1: %2"_s.arg(n + 1).arg(what);
            result.rows.clear();
            return result;
        };
        QString line = lines.at(n);
        const qsizetype hash = line.indexOf(u'#');
        if (hash >= 0)
            line.truncate(hash);
        const QStringList tokens = line.split(QRegularExpression(u"\\s+"_s), Qt::SkipEmptyParts);
        if (tokens.isEmpty())
            continue;
        if (tokens.size() != 2)
            return fail(u"expected \"base fields\""_s);
        const QString &base = tokens.at(0);
        if (!isWord(base))
            return fail(u"base \"%1\" is not a lower-case word"_s.arg(base));
        if (bases.contains(base))
            return fail(u"base \"%1\" is listed twice"_s.arg(base));
        bases.insert(base);
        if (!tokens.at(1).endsWith(u';'))
            return fail(u"every field ends with \";\""_s);
        Row row{base, {}};
        for (const QString &field : tokens.at(1).chopped(1).split(u';')) {
            const QString tag = field.left(2);
            if (field.size() < 4 || field.at(2) != u'=' || !FieldOrder.contains(tag))
                return fail(u"\"%1\" is not a field sp=, pp=, ip=, tp= or pl="_s.arg(field));
            if (row.field(tag))
                return fail(u"field %1= given twice"_s.arg(tag));
            const QStringList forms = field.mid(3).split(u'|');
            for (const QString &form : forms)
                if (!isWord(form))
                    return fail(u"form \"%1\" is not a lower-case word"_s.arg(form));
            if (tag == u"pl"_s && forms.contains(base))
                return fail(u"a plural equal to its base would tag every use of the word"_s);
            row.fields << Field{tag, forms};
        }
        result.rows << row;
    }
    return result;
}

TableResult readTable(const QString &path)
{
    return readInputFile<TableResult>(
        path, [](const QByteArray &bytes) { return parseTable(QString::fromUtf8(bytes)); });
}

ExceptionList parseExceptions(const QString &text)
{
    ExceptionList list;
    const QStringList lines = text.split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringList tokens = lines.at(n).split(u' ', Qt::SkipEmptyParts);
        if (tokens.isEmpty() || (tokens.size() == 1 && tokens.first().trimmed().isEmpty()))
            continue;
        if (tokens.size() < 2) {
            list.error = u"line %1: expected \"form lemma\""_s.arg(n + 1);
            list.entries.clear();
            return list;
        }
        ExceptionEntry entry{tokens.first(), tokens.mid(1)};
        for (QString &lemma : entry.lemmas)
            lemma = lemma.trimmed();
        list.entries << entry;
    }
    return list;
}

ExceptionList readExceptions(const QString &path)
{
    return readInputFile<ExceptionList>(
        path, [](const QByteArray &bytes) { return parseExceptions(QString::fromUtf8(bytes)); });
}

QList<Row> fromVerbExceptions(const ExceptionList &list, const QSet<QString> &verbs,
                              GenerateStats *stats)
{
    QMap<QString, QMap<QString, QStringList>> byLemma;
    QMap<QString, QStringList> pastForms;
    for (const ExceptionEntry &entry : list.entries) {
        const QString &form = entry.form;
        for (const QString &lemma : entry.lemmas) {
            if (isPhrase(form) || isPhrase(lemma) || !isWord(form) || !isWord(lemma)) {
                ++stats->phrases;
                continue;
            }
            if (!verbs.contains(lemma)) {
                ++stats->unknownLemmas;
                continue;
            }
            // "bed bed", "co-ordinate coordinate": not inflections.
            if (form == lemma || form.contains(u'-') != lemma.contains(u'-')) {
                ++stats->variants;
                continue;
            }
            if (form.endsWith(u"ing"_s)) {
                if (form == RegularInflection::ingForm(lemma)) {
                    ++stats->regularForms;
                    continue;
                }
                addForm(byLemma[lemma], u"ip"_s, form);
            } else if (form.endsWith(u's') && form != lemma) {
                if (form == RegularInflection::thirdPerson(lemma)) {
                    ++stats->regularForms;
                    continue;
                }
                addForm(byLemma[lemma], u"tp"_s, form);
            } else {
                if (form == RegularInflection::past(lemma)) {
                    ++stats->regularForms;
                    continue;
                }
                byLemma[lemma]; // keep the lemma even when it only has past forms
                if (!pastForms[lemma].contains(form))
                    pastForms[lemma] << form;
            }
            ++stats->usedForms;
        }
    }
    for (auto it = pastForms.cbegin(); it != pastForms.cend(); ++it) {
        // Two or more past forms: those in -n or -ne (taken, lain, gone) are
        // participles, the others simple pasts; otherwise each serves as both.
        QStringList participles;
        QStringList pasts;
        for (const QString &form : it.value())
            (form.endsWith(u'n') || form.endsWith(u"ne"_s) ? participles : pasts) << form;
        if (participles.isEmpty() || pasts.isEmpty())
            participles = pasts = it.value();
        QMap<QString, QStringList> &fields = byLemma[it.key()];
        fields[u"sp"_s] = pasts;
        fields[u"pp"_s] = participles;
    }
    QList<Row> rows;
    for (auto it = byLemma.cbegin(); it != byLemma.cend(); ++it)
        rows << rowFrom(it.key(), it.value());
    return rows;
}

QList<Row> fromNounExceptions(const ExceptionList &list, const QSet<QString> &nouns,
                              GenerateStats *stats)
{
    QMap<QString, QMap<QString, QStringList>> byLemma;
    for (const ExceptionEntry &entry : list.entries) {
        const QString &form = entry.form;
        for (const QString &lemma : entry.lemmas) {
            if (isPhrase(form) || isPhrase(lemma) || !isWord(form) || !isWord(lemma)) {
                ++stats->phrases;
                continue;
            }
            if (!nouns.contains(lemma)) {
                ++stats->unknownLemmas;
                continue;
            }
            if (form == lemma || form.contains(u'-') != lemma.contains(u'-')) {
                ++stats->variants;
                continue;
            }
            if (form == RegularInflection::plural(lemma)) {
                ++stats->regularForms;
                continue;
            }
            if (nouns.contains(form)) {
                ++stats->ownHeadwords;
                continue;
            }
            addForm(byLemma[lemma], u"pl"_s, form);
            ++stats->usedForms;
        }
    }
    QList<Row> rows;
    for (auto it = byLemma.cbegin(); it != byLemma.cend(); ++it)
        rows << rowFrom(it.key(), it.value());
    return rows;
}

QList<Row> merge(const QList<Row> &own, const QList<QList<Row>> &generated)
{
    QMap<QString, QMap<QString, QStringList>> byBase;
    QSet<QString> ownFields; // base + "=" + tag
    for (const Row &row : own) {
        for (const Field &field : row.fields) {
            byBase[row.base][field.tag] = field.forms;
            ownFields.insert(row.base + u'=' + field.tag);
        }
    }
    for (const QList<Row> &rows : generated) {
        for (const Row &row : rows) {
            QMap<QString, QStringList> &fields = byBase[row.base];
            for (const Field &field : row.fields) {
                if (ownFields.contains(row.base + u'=' + field.tag))
                    continue;
                for (const QString &form : field.forms)
                    addForm(fields, field.tag, form);
            }
        }
    }
    QList<Row> rows;
    for (auto it = byBase.cbegin(); it != byBase.cend(); ++it)
        if (!it.value().isEmpty())
            rows << rowFrom(it.key(), it.value());
    return rows;
}

bool readsAsForm(const QString &regular, const QString &word)
{
    const qsizetype at = regular.indexOf(word);
    if (at <= 0 || word.isEmpty())
        return false;
    const QChar before = regular.at(at - 1);
    const qsizetype end = at + word.size();
    return (before == u'=' || before == u'|') &&
           (end == regular.size() || regular.at(end) == u';' || regular.at(end) == u'|');
}

QStringList unreadableForms(const Row &row)
{
    const QString text = regularText(row);
    QStringList unreadable;
    for (const Field &field : row.fields)
        for (const QString &form : field.forms)
            if (form != row.base && !readsAsForm(text, form) && !unreadable.contains(form))
                unreadable << form;
    if (readsAsForm(text, row.base))
        unreadable << row.base;
    return unreadable;
}

QString regularText(const Row &row)
{
    QString text;
    for (const Field &field : row.fields)
        text += field.tag + u'=' + field.forms.join(u'|') + u';';
    if (!readsAsForm(text, row.base))
        return text;
    // The base is one of its own forms (put: sp=put, come: pp=come). The
    // lookup reads a word at the first place it occurs in Regular, so a
    // leading tp= field, whose form begins with the base, keeps every plain
    // "put" from being read as a past tense.
    const Field *tp = row.field(u"tp");
    const QString third = tp ? tp->forms.join(u'|') : RegularInflection::thirdPerson(row.base);
    QString rest;
    for (const Field &field : row.fields)
        if (field.tag != u"tp"_s)
            rest += field.tag + u'=' + field.forms.join(u'|') + u';';
    return u"tp="_s + third + u';' + rest;
}

} // namespace IrregularForms
