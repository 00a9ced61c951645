#include "synonymselection.h"

#include "sensecounts.h"
#include "synsetindex.h"

#include <QSet>

#include <algorithm>
#include <numeric>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace SynonymSelection {

namespace {

struct RankedSense
{
    int count = 0;  // tag count of the headword in this meaning
    int number = 0; // WordNet sense number of the headword, else its place in the thesaurus
    QStringList words;
    QList<bool> familiar; // parallel to words: ever tagged in the sense counts
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

// "bigger", "larger", "smallest": a regular comparative or superlative of
// base, which WordNet lists as a similar term but which no writer would put
// in the base's place.
bool isGradedFormOf(const QString &word, const QString &base)
{
    if (base.size() < 2 || !word.startsWith(base.chopped(1)))
        return false;
    const QChar last = base.back();
    for (const QString &ending : {u"er"_s, u"est"_s}) {
        if (word == base + ending || word == base + last + ending ||
            (last == u'e' && word == base + ending.mid(1)) ||
            (last == u'y' && word == base.chopped(1) + u'i' + ending))
            return true;
    }
    return false;
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

using WordRank = std::tuple<int, int, int, bool>;

// Sorts words by their ranks, highest first; equal ranks keep their order.
QStringList sortedByRank(const QStringList &words, const QList<WordRank> &ranks)
{
    QList<qsizetype> order(words.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](qsizetype a, qsizetype b) { return ranks.at(a) > ranks.at(b); });
    QStringList sorted;
    for (const qsizetype i : order)
        sorted << words.at(i);
    return sorted;
}

// One thesaurus sense ranked, or none when it is left out. position: the
// sense's 1-based place among the entry's senses of its part of speech.
std::optional<RankedSense> rankSense(const Thesaurus::Entry &entry, const Thesaurus::Sense &sense,
                                     int position, bool taxonomicHeadword, Context &context)
{
    const QString &headword = entry.headword;
    const PartOfSpeech pos = sense.pos;
    if (std::any_of(sense.synonyms.cbegin(), sense.synonyms.cend(),
                    [&](const QString &w) { return isSymbolOf(w, headword); })) {
        ++context.stats.droppedNameSenses;
        return std::nullopt;
    }
    const QStringList similar = pos == PartOfSpeech::Adjective ? sense.similar : QStringList();
    QStringList own = sense.synonyms;
    std::optional<quint32> synset = context.index.synsetOf(pos, headword, own, similar, position);
    if (!synset && sense.relatedTerms) {
        // A line of a relational adjective lists the related synsets with a
        // note on their last word only (American: "land|dry land|...|terra
        // firma (related term)"); the synonyms are the words of the
        // headword's own synset.
        synset = context.index.closestSynset(pos, headword, own, position);
        if (synset) {
            context.stats.droppedRelatedWords += int(own.removeIf(
                [&](const QString &w) { return !context.index.holds(pos, *synset, w); }));
        }
    }
    const auto countIn = [&](const QString &lemma, std::optional<quint32> meaning) {
        return meaning ? context.counts.senseCount(context.index.senseKey(lemma, pos, *meaning))
                       : 0;
    };
    const auto usable = [&](const QString &word) {
        if (word.compare(headword, Qt::CaseInsensitive) == 0)
            return false;
        if (!isStorable(word) || word.size() == 1) {
            ++context.stats.droppedInvalidSynonyms;
            return false;
        }
        if (!taxonomicHeadword && isTaxonomicName(word, context.genera)) {
            ++context.stats.droppedTaxonomicNames;
            return false;
        }
        return true;
    };
    const auto rankOf = [&](const QString &word, const QList<quint32> &meanings) {
        int count = 0;
        for (const quint32 meaning : meanings)
            count = std::max(count, countIn(word, meaning));
        return WordRank(count, context.counts.familiarity(word, pos),
                        context.counts.totalFamiliarity(word), !word.contains(u' '));
    };

    RankedSense ranked;
    ranked.count = countIn(headword, synset);
    ranked.number = synset ? context.index.senseNumber(headword, pos, *synset) : position;
    QList<WordRank> ranks;
    for (const QString &word : std::as_const(own)) {
        if (usable(word)) {
            ranked.words << word;
            ranks << rankOf(word, synset ? QList{*synset} : QList<quint32>());
        }
    }
    const bool taggedWord = std::any_of(ranks.cbegin(), ranks.cend(),
                                        [](const WordRank &rank) { return std::get<0>(rank) > 0; });
    // A similar word is ranked by its tag count in its own synset, the
    // satellite or head that WordNet links to this sense.
    QStringList similarWords;
    QList<WordRank> similarRanks;
    for (const QString &word : similar) {
        if (similarWords.contains(word) || !usable(word) ||
            isGradedFormOf(word, headword.toLower()) ||
            std::any_of(own.cbegin(), own.cend(),
                        [&](const QString &w) { return isGradedFormOf(word, w); }))
            continue;
        similarWords << word;
        similarRanks << rankOf(word, synset ? context.index.similarSynsetsWith(pos, *synset, word)
                                            : QList<quint32>());
    }
    if (ranked.words.isEmpty() && similarWords.isEmpty())
        return std::nullopt;
    if (synset && ranked.count == 0 && !taggedWord &&
        context.counts.totalFamiliarity(headword) > 0) {
        ++context.stats.droppedRareSenses;
        return std::nullopt;
    }
    ranked.words = sortedByRank(ranked.words, ranks) + sortedByRank(similarWords, similarRanks);
    for (const QString &word : std::as_const(ranked.words))
        ranked.familiar << (context.counts.totalFamiliarity(word) > 0);
    return ranked;
}

// The senses of one part of speech, heaviest first, as one de-duplicated list
// in which the words never tagged at all (evince, menage: too rare for the
// sense counts' corpus) follow all the others.
QStringList mergeSenses(QList<RankedSense> senses, const Limits &limits, Stats &stats)
{
    std::stable_sort(senses.begin(), senses.end(), [](const RankedSense &a, const RankedSense &b) {
        return std::tuple(a.count, -qint64(a.number)) > std::tuple(b.count, -qint64(b.number));
    });
    QStringList list;
    QStringList unfamiliar;
    QSet<QString> seen;
    bool truncated = false;
    for (const RankedSense &sense : std::as_const(senses)) {
        int taken = 0;
        for (qsizetype i = 0; i < sense.words.size(); ++i) {
            const QString &word = sense.words.at(i);
            if (seen.contains(word.toLower()))
                continue;
            if (taken == limits.perSense || list.size() + unfamiliar.size() == limits.perRow) {
                truncated = true;
                break;
            }
            seen.insert(word.toLower());
            (sense.familiar.at(i) ? list : unfamiliar) << word;
            ++taken;
        }
    }
    if (truncated)
        ++stats.truncatedRows;
    return list + unfamiliar;
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
// - Senses are ordered by weight, then by WordNet's sense number (thesaurus
//   order for a sense not found).
// - Within a sense, words are ordered by their weight, then by how often they
//   were tagged as this part of speech at all, then in any part of speech,
//   single words before phrases, then in thesaurus order: plain current words
//   come first. Binomial names ("Malus pumila") go, except as synonyms of
//   another taxonomic name.
// - An adjective sense then gets its similar terms, ranked the same way by
//   their weight in their own synset: a head adjective's satellites (big:
//   huge, enormous) are near-synonyms, and for many senses ("good" as
//   approval) WordNet has no other words. Other parts of speech take none
//   (WordNet links only adjectives as similar; the thesaurus has no others).
// - Function words (a list of pronouns, determiners, prepositions,
//   conjunctions, auxiliaries and numbers) get no rows: their thesaurus rows
//   are homographs (are: "ar", can: "tin") or readings a writer never swaps.
// - The part of speech the headword is most often tagged as gets the first
//   row: the popup lists a headword's rows in the order they were written.
Result buildRows(const QList<Thesaurus::Entry> &entries, const SynsetIndex &index,
                 const SenseCounts &counts, const QSet<QString> &functionWords,
                 const Limits &limits)
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
        if (functionWords.contains(folded)) {
            ++result.stats.skippedHeadwords[u"function word"_s];
            continue;
        }
        const bool taxonomicHeadword =
            genera.contains(folded.section(u' ', 0, 0)) || folded.startsWith(u"genus "_s);

        QList<std::pair<int, WordRow>> weightedRows;
        for (const PartOfSpeech pos : PartsOfSpeech::All) {
            QList<RankedSense> senses;
            int position = 0;
            for (const Thesaurus::Sense &sense : entry.senses) {
                if (sense.pos != pos)
                    continue;
                ++position;
                if (auto ranked = rankSense(entry, sense, position, taxonomicHeadword, context))
                    senses << *ranked;
            }
            WordRow row{headword, pos, mergeSenses(senses, limits, result.stats)};
            if (!row.synonyms.isEmpty())
                weightedRows.append({counts.familiarity(headword, pos), row});
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
