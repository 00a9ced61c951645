#include "synonymselection.h"

#include "sensecounts.h"
#include "synsetindex.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <numeric>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace SynonymSelection {

namespace {

struct RankedSense
{
    int count = 0;  // tag count of the headword in this meaning
    int number = 0; // WordNet sense number of the headword; max when not found
    QStringList words;
};

// "Malus pumila", "Canis familiaris": a genus name that the thesaurus knows
// (it lists "genus Malus") followed by lower-case words.
QSet<QString> genusNames(const QList<Thesaurus::Entry> &entries)
{
    QSet<QString> names;
    const auto take = [&names](const QString &text) {
        if (text.startsWith(u"genus "_s, Qt::CaseInsensitive) && text.count(u' ') == 1)
            names.insert(text.mid(6).toLower());
    };
    for (const Thesaurus::Entry &entry : entries) {
        take(entry.headword);
        for (const Thesaurus::Sense &sense : entry.senses)
            for (const QString &word : sense.synonyms)
                take(word);
    }
    return names;
}

bool isTaxonomicName(const QString &word, const QSet<QString> &genera)
{
    const qsizetype blank = word.indexOf(u' ');
    if (blank < 0 || !word.at(0).isUpper())
        return false;
    const QString rest = word.mid(blank + 1);
    return rest == rest.toLower() && genera.contains(word.left(blank).toLower());
}

// "US" for us, "In" (indium) for in, "AM" for am: an acronym or symbol, short
// or with several capitals, spelled like the headword in other letter case.
bool isSymbolOf(const QString &word, const QString &headword)
{
    if (word == headword || word.compare(headword, Qt::CaseInsensitive) != 0)
        return false;
    const auto capitals =
        std::count_if(word.cbegin(), word.cend(), [](QChar c) { return c.isUpper(); });
    return word.size() <= 3 || capitals >= 2;
}

} // namespace

bool isStorable(QStringView text)
{
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'|':
        case u'{':
        case u'}':
        case u'"':
        case u',':
        case u'\r':
        case u'\n':
            return false;
        default:
            break;
        }
    }
    return !text.isEmpty();
}

bool isValidHeadword(QStringView text)
{
    return isStorable(text);
}

namespace {

struct Context
{
    const SynsetIndex &index;
    const SenseCounts &counts;
    const QSet<QString> &genera;
    Stats &stats;
};

// One thesaurus sense ranked, or none when it is left out.
std::optional<RankedSense> rankSense(const Thesaurus::Entry &entry, const Thesaurus::Sense &sense,
                                     bool taxonomicHeadword, Context &context)
{
    const QString &headword = entry.headword;
    const PartOfSpeech pos = sense.pos;
    if (std::any_of(sense.synonyms.cbegin(), sense.synonyms.cend(),
                    [&](const QString &w) { return isSymbolOf(w, headword); })) {
        ++context.stats.droppedNameSenses;
        return std::nullopt;
    }
    const std::optional<quint32> synset = context.index.synsetOf(pos, headword, sense.synonyms);
    const auto countIn = [&](const QString &lemma) {
        return synset ? context.counts.senseCount(lemma, pos,
                                                  context.index.senseNumber(lemma, pos, *synset))
                      : 0;
    };
    RankedSense ranked;
    ranked.count = countIn(headword);
    ranked.number = synset ? context.index.senseNumber(headword, pos, *synset)
                           : std::numeric_limits<int>::max();
    QList<std::tuple<int, int, int, bool>> ranks; // parallel to ranked.words
    for (const QString &word : sense.synonyms) {
        if (word.compare(headword, Qt::CaseInsensitive) == 0)
            continue;
        if (!isStorable(word) || word.size() == 1) {
            ++context.stats.droppedInvalidSynonyms;
            continue;
        }
        if (!taxonomicHeadword && isTaxonomicName(word, context.genera)) {
            ++context.stats.droppedTaxonomicNames;
            continue;
        }
        ranked.words << word;
        ranks << std::tuple(countIn(word), context.counts.familiarity(word, pos),
                            context.counts.totalFamiliarity(word), !word.contains(u' '));
    }
    if (ranked.words.isEmpty())
        return std::nullopt;
    const bool taggedWord = std::any_of(ranks.cbegin(), ranks.cend(),
                                        [](const auto &rank) { return std::get<0>(rank) > 0; });
    if (synset && ranked.count == 0 && !taggedWord &&
        context.counts.totalFamiliarity(headword) > 0) {
        ++context.stats.droppedRareSenses;
        return std::nullopt;
    }
    QList<qsizetype> order(ranked.words.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return ranks.at(a) > ranks.at(b); });
    QStringList sorted;
    for (const qsizetype i : order)
        sorted << ranked.words.at(i);
    ranked.words = sorted;
    return ranked;
}

// The senses of one part of speech, heaviest first, as one de-duplicated list.
QStringList mergeSenses(QList<RankedSense> senses, const Limits &limits, Stats &stats)
{
    std::stable_sort(senses.begin(), senses.end(), [](const RankedSense &a, const RankedSense &b) {
        return std::tuple(a.count, -qint64(a.number)) > std::tuple(b.count, -qint64(b.number));
    });
    QStringList list;
    QSet<QString> seen;
    bool truncated = false;
    for (const RankedSense &sense : std::as_const(senses)) {
        int taken = 0;
        for (const QString &word : sense.words) {
            if (seen.contains(word.toLower()))
                continue;
            if (taken == limits.perSense || list.size() == limits.perRow) {
                truncated = true;
                break;
            }
            seen.insert(word.toLower());
            list << word;
            ++taken;
        }
    }
    if (truncated)
        ++stats.truncatedRows;
    return list;
}

// Adds `row` to `rows`, merging it into an earlier row of the same headword and
// part of speech (the thesaurus lists a few headwords twice).
void appendRow(QList<WordRow> &rows, QHash<QString, QList<qsizetype>> &rowsOfHeadword,
               const WordRow &row, const Limits &limits)
{
    QList<qsizetype> &earlier = rowsOfHeadword[row.headword.toLower()];
    for (const qsizetype r : std::as_const(earlier)) {
        WordRow &old = rows[r];
        if (old.pos != row.pos)
            continue;
        QSet<QString> seen;
        for (const QString &w : std::as_const(old.synonyms))
            seen.insert(w.toLower());
        for (const QString &w : row.synonyms) {
            if (old.synonyms.size() < limits.perRow && !seen.contains(w.toLower())) {
                seen.insert(w.toLower());
                old.synonyms << w;
            }
        }
        return;
    }
    earlier << rows.size();
    rows << row;
}

} // namespace

// Ranking, per headword and part of speech:
// - A sense that lists the headword as an acronym or symbol ("In" indium,
//   "US", "AM") is left out, or every "in" and "us" of an article would offer
//   "indium" and "United States". (Lower-case headwords of such acronyms are
//   never matched by an article's "USA" anyway: exact lookups respect case.)
// - Each sense is found again as its WordNet synset. Its weight is the tag
//   count (cntlist) of the headword in that meaning; each word's weight is the
//   tag count of that word in that meaning.
// - A sense never tagged, of a headword that has tagged senses, none of whose
//   words was ever tagged in that meaning either, is a rare reading (apple:
//   "orchard apple tree"): left out. A sense not found in WordNet is kept.
// - Senses are ordered by weight, then by WordNet's sense number.
// - Within a sense, words are ordered by their weight, then by how often they
//   were tagged as this part of speech at all, then in any part of speech,
//   single words before phrases, then in thesaurus order: plain current words
//   come first. Binomial names ("Malus pumila") go, except as synonyms of
//   another taxonomic name.
// - The part of speech the headword is most often tagged as gets the first
//   row: the popup lists a headword's rows in the order they were written.
Result buildRows(const QList<Thesaurus::Entry> &entries, const SynsetIndex &index,
                 const SenseCounts &counts, const Limits &limits)
{
    Result result;
    const QSet<QString> genera = genusNames(entries);
    Context context{index, counts, genera, result.stats};
    QHash<QString, QList<qsizetype>> rowsOfHeadword;

    for (const Thesaurus::Entry &entry : entries) {
        const QString &headword = entry.headword;
        if (!isValidHeadword(headword)) {
            ++result.stats.skippedHeadwords[u"invalid character"_s];
            continue;
        }
        if (headword.size() == 1) {
            ++result.stats.skippedHeadwords[u"single character"_s];
            continue;
        }
        const QString folded = headword.toLower();
        const bool taxonomicHeadword =
            genera.contains(folded.section(u' ', 0, 0)) || folded.startsWith(u"genus "_s);

        QList<std::pair<int, WordRow>> weightedRows;
        for (const PartOfSpeech pos : PartsOfSpeech::All) {
            QList<RankedSense> senses;
            int weight = 0;
            for (const Thesaurus::Sense &sense : entry.senses) {
                if (sense.pos != pos || sense.synonyms.isEmpty())
                    continue;
                if (auto ranked = rankSense(entry, sense, taxonomicHeadword, context)) {
                    weight += ranked->count;
                    senses << *ranked;
                }
            }
            WordRow row{headword, pos, mergeSenses(senses, limits, result.stats)};
            if (!row.synonyms.isEmpty())
                weightedRows.append({weight, row});
        }
        if (weightedRows.isEmpty()) {
            ++result.stats.skippedHeadwords[u"no synonyms left"_s];
            continue;
        }
        std::stable_sort(weightedRows.begin(), weightedRows.end(),
                         [](const auto &a, const auto &b) { return a.first > b.first; });
        for (const auto &[weight, row] : std::as_const(weightedRows))
            appendRow(result.rows, rowsOfHeadword, row, limits);
    }
    return result;
}

} // namespace SynonymSelection
