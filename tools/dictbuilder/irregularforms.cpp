#include "irregularforms.h"

#include "inputfile.h"
#include "regularinflection.h"

#include <QFile>
#include <QMap>
#include <QRegularExpression>

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace IrregularForms {

namespace {

// "if" leads: the lookup reads a word where it first occurs in Regular, and
// the word itself must not hide in a longer form of an earlier field (rented).
const QStringList FieldOrder = {u"if"_s, u"sp"_s, u"pp"_s, u"ip"_s, u"tp"_s, u"pl"_s};

using Fields = QMap<QString, QStringList>;

bool isWord(const QString &text)
{
    static const QRegularExpression pattern(u"^[a-z][a-z'-]*$"_s);
    return pattern.match(text).hasMatch();
}

bool isPhrase(const QString &text)
{
    return text.contains(u'_') || text.contains(u' ');
}

bool isVowel(QChar c)
{
    return QStringView(u"aeiou").contains(c);
}

void addForm(QStringList &forms, const QString &form)
{
    if (!forms.contains(form))
        forms << form;
}

Row rowFrom(const QString &base, const Fields &fields)
{
    Row row{base, {}};
    for (const QString &tag : FieldOrder)
        if (fields.contains(tag) && !fields.value(tag).isEmpty())
            row.fields << Field{tag, fields.value(tag)};
    return row;
}

// A British doubling of a final "l" or "s" in a verb not stressed on its last
// syllable (travelled, focussed): American spelling keeps one letter.
bool isBritishDoubling(const QString &lemma, const QString &form)
{
    const qsizetype n = lemma.size();
    if (n < 4 || RegularInflection::syllables(lemma) < 2 || isVowel(lemma.at(n - 1)) ||
        !isVowel(lemma.at(n - 2)))
        return false;
    // One vowel before the consonant: "ue" of fuel, "ia" of dial and the "u"
    // of "qu" (equal) count as one.
    const QStringView before = QStringView(lemma).mid(n - 4, 3);
    if (isVowel(before.at(1)) && before != u"fue" && before != u"due" && !before.endsWith(u"ia") &&
        !before.startsWith(u"qu"))
        return false;
    const QChar last = lemma.at(n - 1);
    return (last == u'l' || last == u's') && form.startsWith(lemma + last);
}

// Standard forms first; when there are none but later ones, the regular form
// leads them.
QStringList fieldForms(const QStringList &standard, const QStringList &later,
                       const QString &regular)
{
    QStringList forms = standard;
    if (!later.isEmpty() && forms.isEmpty())
        forms << regular;
    for (const QString &form : later)
        addForm(forms, form);
    return forms == QStringList{regular} ? QStringList() : forms;
}

// The base the dictionary's regular endings would read `word` as, with
// `headwords` as its word tables; empty when none.
QString regularReading(const QString &w, const QSet<QString> &headwords)
{
    const qsizetype n = w.size();
    QStringList candidates;
    if (n > 3 && w.endsWith(u"ed"_s)) {
        const QString stem = w.left(n - 2);
        candidates << w.left(n - 1) << stem;
        if (stem.size() >= 3 && stem.endsWith(u'i'))
            candidates << stem.chopped(1) + u'y';
    } else if (n > 4 && w.endsWith(u"ing"_s)) {
        const QString stem = w.left(n - 3);
        candidates << stem;
        if (!isVowel(stem.back()) || stem.back() == u'u')
            candidates << stem + u'e';
    } else if (n > 2 && w.endsWith(u's')) {
        QString stem = w.left(n - 1);
        candidates << stem;
        if (stem.endsWith(u'e')) {
            stem = w.left(n - 2);
            candidates << stem;
        }
        if (stem.size() >= 3 && stem.endsWith(u'i') && !isVowel(stem.at(stem.size() - 2)))
            candidates << stem.chopped(1) + u'y';
    }
    for (const QString &c : candidates)
        if (headwords.contains(c))
            return c;
    return {};
}

// The fields of own verb `base` with `prefix` put before every form.
Fields prefixedFields(const Row &base, const QString &prefix)
{
    Fields fields;
    for (const Field &field : base.fields) {
        if (field.tag == u"if"_s)
            continue;
        for (const QString &form : field.forms)
            fields[field.tag] << prefix + form;
    }
    return fields;
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
                return fail(u"\"%1\" is not a field if=, sp=, pp=, ip=, tp= or pl="_s.arg(field));
            if (row.field(tag))
                return fail(u"field %1= given twice"_s.arg(tag));
            const QStringList forms = field.mid(3).split(u'|');
            for (const QString &form : forms)
                if (!isWord(form))
                    return fail(u"form \"%1\" is not a lower-case word"_s.arg(form));
            if (tag == u"if"_s && forms != QStringList{base})
                return fail(u"the field if= names its own base"_s);
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

// Calls use(form, lemma) for each pair of the list that can be an inflection
// of a lemma in lemmas, counting the others by why they are left out.
template<typename Use>
void forEachInflection(const ExceptionList &list, const QSet<QString> &lemmas, GenerateStats *stats,
                       Use use)
{
    for (const ExceptionEntry &entry : list.entries) {
        const QString &form = entry.form;
        for (const QString &lemma : entry.lemmas) {
            if (isPhrase(form) || isPhrase(lemma) || !isWord(form) || !isWord(lemma))
                ++stats->phrases;
            else if (!lemmas.contains(lemma))
                ++stats->unknownLemmas;
            // "bed bed", "co-ordinate coordinate": not inflections.
            else if (form == lemma || form.contains(u'-') != lemma.contains(u'-'))
                ++stats->variants;
            else
                use(form, lemma);
        }
    }
}

QList<Row> fromVerbExceptions(const ExceptionList &list, const QList<Row> &own,
                              const Lexicon &lexicon, GenerateStats *stats)
{
    QMap<QString, QStringList> formsOf; // lemma -> forms in file order
    forEachInflection(list, lexicon.verbs, stats, [&](const QString &form, const QString &lemma) {
        addForm(formsOf[lemma], form);
    });
    QMap<QString, const Row *> ownVerbs;
    for (const Row &row : own)
        if (row.field(u"sp"))
            ownVerbs.insert(row.base, &row);

    QList<Row> rows;
    for (auto it = formsOf.cbegin(); it != formsOf.cend(); ++it) {
        const QString &lemma = it.key();
        // A compound of an own verb bends as that verb does: the longest
        // such verb whose forms, prefixed, the list confirms.
        const Row *base = nullptr;
        for (auto v = ownVerbs.cbegin(); v != ownVerbs.cend(); ++v) {
            const QString &verb = v.key();
            if (verb.size() >= lemma.size() - 1 || !lemma.endsWith(verb) ||
                (base && base->base.size() >= verb.size()))
                continue;
            const QString prefix = lemma.left(lemma.size() - verb.size());
            const Fields fields = prefixedFields(**v, prefix);
            for (const QString &form : it.value())
                for (const QStringList &forms : fields)
                    if (forms.contains(form) && !RegularInflection::isSpellingForm(lemma, form))
                        base = *v;
        }
        if (base) {
            ++stats->compounds;
            stats->usedForms += int(it.value().size());
            rows << rowFrom(lemma,
                            prefixedFields(*base, lemma.left(lemma.size() - base->base.size())));
            continue;
        }

        // [0] standard forms, [1] later ones
        std::array<QStringList, 2> ip, tp, pasts, participles;
        for (const QString &form : it.value()) {
            const bool spelling = RegularInflection::isSpellingForm(lemma, form);
            const int later = spelling && !isBritishDoubling(lemma, form) ? 0 : 1;
            if (form.endsWith(u"ing"_s)) {
                if (form == RegularInflection::ingForm(lemma)) {
                    ++stats->regularForms;
                    continue;
                }
                ip[later] << form;
            } else if (form.endsWith(u's') && spelling) {
                if (form == RegularInflection::thirdPerson(lemma)) {
                    ++stats->regularForms;
                    continue;
                }
                tp[later] << form;
            } else {
                if (form == RegularInflection::past(lemma)) {
                    ++stats->regularForms;
                    continue;
                }
                // Forms in -n or -ne (taken, lain, hewn) are participles.
                const bool participle =
                    !spelling && (form.endsWith(u'n') || form.endsWith(u"ne"_s));
                (participle ? participles : pasts)[later] << form;
            }
            stats->laterForms += later;
            ++stats->usedForms;
        }
        const QString past = RegularInflection::past(lemma);
        Fields fields;
        fields[u"ip"_s] = fieldForms(ip[0], ip[1], RegularInflection::ingForm(lemma));
        fields[u"tp"_s] = fieldForms(tp[0], tp[1], RegularInflection::thirdPerson(lemma));
        fields[u"sp"_s] = fieldForms(pasts[0], pasts[1], past);
        // A participle without a past of its own (hewn) leaves the past regular.
        fields[u"pp"_s] = fieldForms(participles[0].isEmpty() ? pasts[0] : participles[0],
                                     pasts[1] + participles[1], past);
        const Row row = rowFrom(lemma, fields);
        if (!row.fields.isEmpty())
            rows << row;
    }
    return rows;
}

QList<Row> fromNounExceptions(const ExceptionList &list, const Lexicon &lexicon,
                              GenerateStats *stats)
{
    QMap<QString, std::array<QStringList, 2>> byLemma; // standard, later
    forEachInflection(list, lexicon.nouns, stats, [&](const QString &form, const QString &lemma) {
        if (form == RegularInflection::plural(lemma)) {
            ++stats->regularForms;
            return;
        }
        // "crying cry", "cryings cry": a noun in -ing, not a plural.
        if (form.endsWith(u"ing"_s) || form.endsWith(u"ings"_s)) {
            ++stats->variants;
            return;
        }
        const bool doubled = form == lemma + lemma.back() + u"es"_s;
        addForm(byLemma[lemma][doubled ? 1 : 0], form);
        stats->laterForms += doubled ? 1 : 0;
        ++stats->usedForms;
    });
    QList<Row> rows;
    for (auto it = byLemma.cbegin(); it != byLemma.cend(); ++it) {
        Fields fields;
        fields[u"pl"_s] =
            fieldForms(it.value()[0], it.value()[1], RegularInflection::plural(it.key()));
        const Row row = rowFrom(it.key(), fields);
        if (!row.fields.isEmpty())
            rows << row;
    }
    return rows;
}

QList<Row> compoundPlurals(const QList<Row> &own, const Lexicon &lexicon, GenerateStats *stats)
{
    QList<const Row *> heads;
    QSet<QString> ownBases;
    for (const Row &row : own) {
        ownBases.insert(row.base);
        if (row.field(u"pl"))
            heads << &row;
    }
    // Longest head first: chairwoman ends in "woman" before "man".
    std::sort(heads.begin(), heads.end(),
              [](const Row *a, const Row *b) { return a->base.size() > b->base.size(); });
    QStringList nouns(lexicon.nouns.cbegin(), lexicon.nouns.cend());
    nouns.sort();
    QList<Row> rows;
    for (const QString &noun : nouns) {
        if (!isWord(noun) || ownBases.contains(noun))
            continue;
        for (const Row *head : std::as_const(heads)) {
            if (!noun.endsWith(head->base) || noun.size() < head->base.size() + 3)
                continue;
            // The first part is a word of its own (jury, fire, oars), so
            // human, German and talisman do not count; and the compound names
            // a person, or its first part is a common word (snowman, but not
            // redox).
            const QString first = noun.left(noun.size() - head->base.size());
            const auto known = [&](const QString &w) {
                return lexicon.headwords.contains(w) || lexicon.familiarity(w) > 0;
            };
            const bool word = known(first) || (first.endsWith(u's') && known(first.chopped(1)));
            const bool common = head->base.size() >= 3 && lexicon.familiarity(first) >= 5;
            if (word && (lexicon.namesPerson(noun) || common)) {
                Fields fields;
                for (const QString &form : head->field(u"pl")->forms)
                    fields[u"pl"_s] << first + form;
                rows << rowFrom(noun, fields);
                ++stats->compounds;
            }
            break;
        }
    }
    return rows;
}

QList<Row> merge(const QList<Row> &own, const QList<QList<Row>> &generated, QSet<QString> *ownWords)
{
    QMap<QString, Fields> byBase;
    QSet<QString> ownFields; // base + "=" + tag
    QSet<QString> ownVerbs;
    for (const Row &row : own) {
        for (const Field &field : row.fields) {
            byBase[row.base][field.tag] = field.forms;
            ownFields.insert(row.base + u'=' + field.tag);
        }
        if (row.field(u"sp"))
            ownVerbs.insert(row.base);
    }
    for (const QList<Row> &rows : generated) {
        for (const Row &row : rows) {
            Fields &fields = byBase[row.base];
            for (const Field &field : row.fields) {
                if (ownFields.contains(row.base + u'=' + field.tag))
                    continue;
                // Our table leaves out the -ing form of a verb when that is
                // mostly a noun (beginning): the form is needed to bend the
                // verb, but the word stays itself.
                if (ownWords && field.tag == u"ip"_s && ownVerbs.contains(row.base))
                    for (const QString &form : field.forms)
                        ownWords->insert(form);
                for (const QString &form : field.forms)
                    addForm(fields[field.tag], form);
            }
        }
    }
    QList<Row> rows;
    for (auto it = byBase.cbegin(); it != byBase.cend(); ++it)
        if (!it.value().isEmpty())
            rows << rowFrom(it.key(), it.value());
    return rows;
}

int addMisreadRegularForms(QList<Row> *rows, const QList<Row> &own, const Lexicon &lexicon)
{
    QMap<QString, qsizetype> rowOf;
    QHash<QString, QStringList> listed; // form -> bases of the rows listing it
    for (qsizetype i = 0; i < rows->size(); ++i) {
        rowOf.insert(rows->at(i).base, i);
        for (const Field &field : rows->at(i).fields)
            for (const QString &form : field.forms)
                listed[form] << rows->at(i).base;
    }
    QSet<QString> ownWithoutIng;
    for (const Row &row : own)
        if (row.field(u"sp") && !row.field(u"ip"))
            ownWithoutIng.insert(row.base);

    // Whether the lookup needs base's row to read form as its inflection.
    const auto needed = [&](const QString &base, const QString &form, PartOfSpeech pos) {
        if (form == base || listed.value(form).contains(base))
            return false;
        // Listed for another base only (taxes: taxis), the lookup would offer
        // that reading alone; a more familiar base adds its own (but "does"
        // stays with do, not doe).
        if (listed.contains(form)) {
            const QStringList others = listed.value(form);
            return std::all_of(others.cbegin(), others.cend(), [&](const QString &other) {
                return lexicon.familiarityAs(base, pos) > lexicon.familiarity(other);
            });
        }
        if (lexicon.headwords.contains(form))
            return lexicon.familiarity(form) <= lexicon.familiarityAs(base, pos);
        return regularReading(form, lexicon.headwords) != base;
    };
    QMap<QString, Fields> added;
    const auto add = [&](const QString &base, const QStringList &tags, const QString &form) {
        const auto at = rowOf.constFind(base);
        for (const QString &tag : tags)
            if (at != rowOf.cend() && rows->at(*at).field(tag))
                return;
        for (const QString &tag : tags)
            added[base][tag] = {form};
        listed[form] << base;
    };
    QStringList bases(lexicon.headwords.cbegin(), lexicon.headwords.cend());
    bases.sort();
    for (const QString &base : std::as_const(bases)) {
        if (!isWord(base))
            continue;
        if (lexicon.verbs.contains(base)) {
            const QString past = RegularInflection::past(base);
            if (needed(base, past, PartOfSpeech::Verb))
                add(base, {u"sp"_s, u"pp"_s}, past);
            const QString ing = RegularInflection::ingForm(base);
            if (!ownWithoutIng.contains(base) && needed(base, ing, PartOfSpeech::Verb))
                add(base, {u"ip"_s}, ing);
            const QString third = RegularInflection::thirdPerson(base);
            if (needed(base, third, PartOfSpeech::Verb))
                add(base, {u"tp"_s}, third);
        }
        if (lexicon.nouns.contains(base)) {
            const QString plural = RegularInflection::plural(base);
            if (needed(base, plural, PartOfSpeech::Noun))
                add(base, {u"pl"_s}, plural);
        }
    }
    int count = 0;
    for (auto it = added.cbegin(); it != added.cend(); ++it) {
        Fields fields;
        if (const auto at = rowOf.constFind(it.key()); at != rowOf.cend())
            for (const Field &field : rows->at(*at).fields)
                fields[field.tag] = field.forms;
        for (auto f = it.value().cbegin(); f != it.value().cend(); ++f, ++count)
            fields[f.key()] = f.value();
        const Row row = rowFrom(it.key(), fields);
        if (const auto at = rowOf.constFind(it.key()); at != rowOf.cend())
            (*rows)[*at] = row;
        else
            rows->append(row);
    }
    std::sort(rows->begin(), rows->end(),
              [](const Row &a, const Row &b) { return a.base < b.base; });
    return count;
}

QStringList markWordsOfTheirOwn(QList<Row> *rows, const Lexicon &lexicon,
                                const QSet<QString> &functionWords, const QSet<QString> &ownWords)
{
    QSet<QString> marks = ownWords;
    QSet<QString> forms; // every form some row lists
    for (const Row &row : std::as_const(*rows)) {
        QSet<QString> firstForms; // a form first in one field is no mere variant (proved)
        for (const Field &field : row.fields) {
            firstForms.insert(field.forms.first());
            for (const QString &form : field.forms)
                forms.insert(form);
        }
        for (const Field &field : row.fields) {
            if (field.tag == u"if"_s || field.tag == u"tp"_s)
                continue;
            const PartOfSpeech pos = field.tag == u"pl"_s ? PartOfSpeech::Noun : PartOfSpeech::Verb;
            for (qsizetype k = 0; k < field.forms.size(); ++k) {
                const QString &form = field.forms.at(k);
                if (form == row.base || !lexicon.headwords.contains(form))
                    continue;
                const int itself = lexicon.familiarity(form);
                const bool variant = k > 0 && !firstForms.contains(form);
                if ((variant && itself > 0) || itself > lexicon.familiarityAs(row.base, pos))
                    marks.insert(form);
            }
        }
    }
    for (const QString &word : functionWords)
        if (!forms.contains(word) && !regularReading(word, lexicon.headwords).isEmpty())
            marks.insert(word);

    QMap<QString, qsizetype> rowOf;
    for (qsizetype i = 0; i < rows->size(); ++i)
        rowOf.insert(rows->at(i).base, i);
    QStringList marked(marks.cbegin(), marks.cend());
    marked.sort();
    for (const QString &word : std::as_const(marked)) {
        const Field self{u"if"_s, {word}};
        if (rowOf.contains(word)) {
            Row &row = (*rows)[rowOf.value(word)];
            if (!row.field(u"if"))
                row.fields.prepend(self);
        } else {
            rows->append(Row{word, {self}});
        }
    }
    std::sort(rows->begin(), rows->end(),
              [](const Row &a, const Row &b) { return a.base < b.base; });
    return marked;
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
            // The base itself need not be found: the lookup reads it as
            // itself either way.
            if (form != row.base && !readsAsForm(text, form) && !unreadable.contains(form))
                unreadable << form;
    return unreadable;
}

QString regularText(const Row &row)
{
    QString text;
    for (const Field &field : row.fields)
        text += field.tag + u'=' + field.forms.join(u'|') + u';';
    return text;
}

} // namespace IrregularForms
