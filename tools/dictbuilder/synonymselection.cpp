#include "synonymselection.h"

#include "blocklist.h"
#include "regularinflection.h"
#include "sensecounts.h"
#include "supplement.h"
#include "synsetindex.h"
#include "wordlevels.h"

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
    int number = 0; // WordNet sense number of the headword, else its place in the thesaurus
    std::optional<quint32> synset;
    QStringList words;
    QList<bool> familiar;     // parallel to words: ever tagged, or a common word
    QSet<QString> misleading; // words that read as another of their meanings
    // Words for which this meaning is neither tagged nor their first: they may
    // stand in the popup but not in an automatic rewrite.
    QSet<QString> distant;
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

// "bog down" for bog, "self-consistent" for consistent: the headword and
// more, never a word that can stand in its place.
bool holdsWord(const QString &item, const QString &word)
{
    const QString padded = u' ' + QString(item).replace(u'-', u' ').toLower() + u' ';
    return padded.contains(u' ' + QString(word).replace(u'-', u' ').toLower() + u' ');
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

// "pulling" for pull, "formatting" for format, "earliest" for earlier: the
// headword in another form, which reads as a slip, never as a synonym.
bool isFormOfHeadword(const QString &word, const QString &headword)
{
    const QString w = word.toLower();
    const QString h = headword.toLower();
    if (w.contains(u' ') || h.contains(u' ') || h.size() < 3)
        return false;
    const auto formsOf = [](const QString &base) {
        QString doubled = base + base.back();
        return QStringList{RegularInflection::plural(base),
                           RegularInflection::past(base),
                           RegularInflection::ingForm(base),
                           RegularInflection::thirdPerson(base),
                           doubled + u"ing"_s,
                           doubled + u"ed"_s};
    };
    if (formsOf(h).contains(w) || formsOf(w).contains(h) || isGradedFormOf(w, h) ||
        isGradedFormOf(h, w))
        return true;
    // Two graded forms of one base: earlier and earliest of early.
    for (const QString &ending : {u"er"_s, u"est"_s}) {
        if (!h.endsWith(ending))
            continue;
        const QString stem = h.chopped(ending.size());
        for (const QString &base :
             QStringList{stem, stem + u'e', stem.chopped(1) + u'y', stem.chopped(1)})
            if (base.size() >= 2 && isGradedFormOf(h, base) &&
                (w == base || isGradedFormOf(w, base)))
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
    const Filters &filters;
    const Limits &limits;
    Stats &stats;

    // Without word lists every word counts as common.
    bool hasLevels() const { return filters.levels && !filters.levels->isEmpty(); }
    int level(const QString &word) const
    {
        if (!filters.levels)
            return 0;
        const int whole = filters.levels->level(word);
        return word.contains(u' ') || word.contains(u'-')
                   ? std::min(whole, filters.levels->phraseLevel(word))
                   : whole;
    }
    bool blocked(const QString &word) const
    {
        return filters.blocklist && filters.blocklist->blocks(word);
    }
    // The reason a usage domain gives to leave word out of synset, if any.
    QString domainReason(PartOfSpeech pos, quint32 synset, const QString &word) const
    {
        QString reason;
        for (const quint32 domain : index.usageDomains(pos, synset, word)) {
            const QString why = filters.domains.value(domain);
            if (why == u"offensive"_s)
                return why;
            if (!why.isEmpty())
                reason = why;
        }
        return reason;
    }
};

// Words too general to stand in for a narrower one ("group" for people).
bool isGeneric(const QString &word)
{
    static const QSet<QString> generic{u"thing"_s,
                                       u"object"_s,
                                       u"entity"_s,
                                       u"group"_s,
                                       u"grouping"_s,
                                       u"act"_s,
                                       u"event"_s,
                                       u"person"_s,
                                       u"individual"_s,
                                       u"someone"_s,
                                       u"somebody"_s,
                                       u"abstraction"_s,
                                       u"attribute"_s,
                                       u"state"_s,
                                       u"relation"_s,
                                       u"matter"_s,
                                       u"whole"_s,
                                       u"unit"_s,
                                       u"part"_s,
                                       u"artifact"_s,
                                       u"structure"_s,
                                       u"device"_s,
                                       u"location"_s,
                                       u"region"_s,
                                       u"area"_s,
                                       u"activity"_s,
                                       u"action"_s,
                                       u"change"_s,
                                       u"make"_s,
                                       u"do"_s,
                                       u"be"_s,
                                       u"have"_s,
                                       u"get"_s,
                                       u"cause"_s,
                                       u"move"_s,
                                       u"go"_s,
                                       u"quality"_s,
                                       u"property"_s,
                                       u"measure"_s,
                                       u"content"_s,
                                       u"communication"_s,
                                       u"message"_s,
                                       u"organism"_s,
                                       u"being"_s,
                                       u"people"_s,
                                       u"way"_s,
                                       u"kind"_s,
                                       u"sort"_s,
                                       u"form"_s,
                                       u"time"_s,
                                       u"point"_s,
                                       u"place"_s,
                                       u"instrumentality"_s,
                                       u"implement"_s,
                                       u"container"_s,
                                       u"covering"_s,
                                       u"framework"_s,
                                       u"condition"_s,
                                       u"feeling"_s,
                                       u"process"_s,
                                       u"phenomenon"_s,
                                       u"substance"_s,
                                       u"material"_s,
                                       u"concept"_s,
                                       u"idea"_s,
                                       u"worker"_s,
                                       u"adult"_s,
                                       u"organization"_s,
                                       u"organisation"_s,
                                       u"social group"_s,
                                       u"happening"_s,
                                       u"work"_s,
                                       u"set"_s,
                                       u"collection"_s,
                                       u"magnitude"_s,
                                       u"amount"_s,
                                       u"quantity"_s,
                                       u"use"_s,
                                       u"show"_s,
                                       u"interact"_s,
                                       u"touch"_s,
                                       u"think"_s,
                                       u"perceive"_s,
                                       u"transfer"_s,
                                       u"consume"_s,
                                       u"connect"_s,
                                       u"remove"_s,
                                       u"travel"_s,
                                       u"communicate"_s,
                                       u"express"_s,
                                       u"evaluate"_s,
                                       u"judge"_s,
                                       u"proceed"_s,
                                       u"cognition"_s,
                                       u"knowledge"_s,
                                       u"psychological feature"_s,
                                       u"physical entity"_s,
                                       u"whole"_s,
                                       u"creation"_s,
                                       u"product"_s,
                                       u"people"_s,
                                       u"human"_s,
                                       u"commodity"_s,
                                       u"ordinal"_s, // seventh, third: a class, not a synonym
                                       u"cardinal"_s,
                                       u"fractional"_s,
                                       u"merchandise"_s};
    return generic.contains(word.toLower());
}

using WordRank = std::tuple<int, bool, int, bool, int, bool>;

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

// The reason to leave out a whole sense of headword, if any: WordNet marks the
// headword offensive (or slang, archaic) in this meaning, a synonym names a
// sexual meaning of the blocklist, or the headword stands for a name here
// ("Sessions" for sessions).
QString senseReason(const QString &headword, const Thesaurus::Sense &sense,
                    std::optional<quint32> synset, const Context &context)
{
    const auto marks = [&](const QString &w) {
        return context.filters.blocklist && context.filters.blocklist->marksSense(w);
    };
    if (marks(headword) || std::any_of(sense.synonyms.cbegin(), sense.synonyms.cend(), marks))
        return u"offensive"_s;
    if (!synset)
        return {};
    const QString reason = context.domainReason(sense.pos, *synset, headword);
    if (!reason.isEmpty())
        return reason;
    if (headword == headword.toLower()) {
        const QStringList spelled = context.index.spelledWords(sense.pos, *synset);
        const auto same = [&](const QString &w) {
            return w.compare(headword, Qt::CaseInsensitive) == 0;
        };
        if (std::none_of(spelled.cbegin(), spelled.cend(),
                         [&](const QString &w) { return same(w) && w == w.toLower(); }) &&
            std::any_of(spelled.cbegin(), spelled.cend(), same))
            return u"proper noun"_s;
    }
    return {};
}

// One thesaurus sense ranked, or none when it is left out. position: the
// sense's 1-based place among the entry's senses of its part of speech. A
// sense whose words all go is kept empty: it may still be the main meaning.
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
    if (const QString reason = senseReason(headword, sense, synset, context); !reason.isEmpty()) {
        ++context.stats.droppedSenses[reason];
        return std::nullopt;
    }
    const auto countIn = [&](const QString &lemma, std::optional<quint32> meaning) {
        return meaning ? context.counts.senseCount(context.index.senseKey(lemma, pos, *meaning))
                       : 0;
    };
    const bool lowerHeadword = headword == headword.toLower();
    // The reason to leave word out of a list for this meaning, if any.
    const auto reasonFor = [&](const QString &word, std::optional<quint32> meaning) -> QString {
        if (context.blocked(word))
            return u"offensive"_s;
        if (meaning) {
            const QString reason = context.domainReason(pos, *meaning, word);
            if (!reason.isEmpty())
                return reason;
        }
        if (!taxonomicHeadword && isTaxonomicName(word, context.genera))
            return u"binomial name"_s;
        if (lowerHeadword && word.at(0).isUpper())
            return u"proper noun"_s;
        if (holdsWord(word, headword))
            return u"holds the headword"_s;
        if (isFormOfHeadword(word, headword))
            return u"form of the headword"_s;
        const int level = context.level(word);
        if (level > context.limits.rareLevel)
            return word.contains(u' ') ? u"rare phrase"_s : u"rare"_s;
        if (context.hasLevels() && word.contains(u' ') &&
            context.counts.totalFamiliarity(word) == 0)
            return u"uncommon phrase"_s;
        return {};
    };
    const auto usable = [&](const QString &word, std::optional<quint32> meaning) {
        if (word.compare(headword, Qt::CaseInsensitive) == 0)
            return false;
        if (!isStorable(word) || word.size() == 1) {
            ++context.stats.droppedInvalidSynonyms;
            return false;
        }
        const QString reason = reasonFor(word, meaning);
        if (reason.isEmpty())
            return true;
        if (reason == u"binomial name"_s)
            ++context.stats.droppedTaxonomicNames;
        ++context.stats.droppedSynonyms[reason];
        return false;
    };
    // Tag count in this meaning; then a word that does not read as another
    // of its meanings (car: "machine" after "auto"); commonness; a word whose
    // first meaning this is; use as this part of speech; single words first.
    const auto rankOf = [&](const QString &word, const QList<quint32> &meanings) {
        int count = 0;
        bool firstMeaning = meanings.isEmpty();
        int number = meanings.isEmpty() ? 1 : std::numeric_limits<int>::max();
        for (const quint32 meaning : meanings) {
            count = std::max(count, countIn(word, meaning));
            number = std::min(number, context.index.senseNumber(word, pos, meaning));
        }
        firstMeaning = number == 1;
        const bool misleading =
            count == 0 && number > 1 &&
            context.counts.totalFamiliarity(word) >= context.limits.misleadingCount;
        return WordRank(count, !misleading, -context.level(word), firstMeaning,
                        context.counts.familiarity(word, pos), !word.contains(u' '));
    };

    RankedSense ranked;
    ranked.synset = synset;
    ranked.count = countIn(headword, synset);
    ranked.number = synset ? context.index.senseNumber(headword, pos, *synset) : position;
    const bool taggedWord = std::any_of(
        own.cbegin(), own.cend(), [&](const QString &word) { return countIn(word, synset) > 0; });
    if (synset && ranked.count == 0 && !taggedWord &&
        context.counts.totalFamiliarity(headword) > 0) {
        ++context.stats.droppedRareSenses;
        return std::nullopt;
    }
    QList<WordRank> ranks;
    for (const QString &word : std::as_const(own)) {
        if (usable(word, synset)) {
            ranked.words << word;
            ranks << rankOf(word, synset ? QList{*synset} : QList<quint32>());
        }
    }
    // A similar word is ranked by its tag count in its own synset, the
    // satellite or head that WordNet links to this sense.
    QStringList similarWords;
    QList<WordRank> similarRanks;
    for (const QString &word : similar) {
        if (similarWords.contains(word) || isGeneric(word) ||
            isGradedFormOf(word, headword.toLower()) ||
            std::any_of(own.cbegin(), own.cend(),
                        [&](const QString &w) { return isGradedFormOf(word, w); }))
            continue;
        const QList<quint32> meanings =
            synset ? context.index.similarSynsetsWith(pos, *synset, word) : QList<quint32>();
        if (!usable(word, meanings.isEmpty() ? std::nullopt : std::optional(meanings.first())))
            continue;
        similarWords << word;
        similarRanks << rankOf(word, meanings);
    }
    // "make up one's mind", "give someone a hand": the placeholder needs a
    // writer to fill it in.
    const auto placeholder = [](const QString &word) {
        for (const QString &part : word.split(u' '))
            if (part == u"one's" || part.startsWith(u"someone") || part.startsWith(u"somebody") ||
                part.startsWith(u"something"))
                return true;
        return false;
    };
    const auto classify = [&](const QString &word, const WordRank &rank) {
        if (!std::get<1>(rank))
            ranked.misleading.insert(word);
        if (!std::get<1>(rank) || (std::get<0>(rank) == 0 && !std::get<3>(rank)) ||
            placeholder(word))
            ranked.distant.insert(word);
    };
    for (qsizetype i = 0; i < ranks.size(); ++i)
        classify(ranked.words.at(i), ranks.at(i));
    // A similar adjective (big: huge, vast) is near in meaning but not the
    // same: the popup offers it, an automatic rewrite does not.
    for (qsizetype i = 0; i < similarRanks.size(); ++i) {
        classify(similarWords.at(i), similarRanks.at(i));
        ranked.distant.insert(similarWords.at(i));
    }
    ranked.words = sortedByRank(ranked.words, ranks) + sortedByRank(similarWords, similarRanks);
    for (const QString &word : std::as_const(ranked.words))
        ranked.familiar << (context.counts.totalFamiliarity(word) > 0 ||
                            (context.hasLevels() &&
                             context.level(word) <= context.limits.liftLevel));
    return ranked;
}

// Close terms for a meaning that has no words of its own: its verb group;
// for the main meaning a narrow hypernym; else the hypernym above a compound
// one, which the meaning is a kind of (spade: hand shovel, shovel). A wide
// hypernym seldom fits in the narrower word's place (triangle: polygon).
// A word qualifies when it is one common word, not too general, and this is
// one of its first two meanings, so that it reads as itself.
QStringList liftedWords(const QString &headword, PartOfSpeech pos, quint32 synset, bool main,
                        const Context &context)
{
    const auto fits = [&](const QString &word, quint32 meaning) {
        return !word.contains(u' ') && word.compare(headword, Qt::CaseInsensitive) != 0 &&
               word == word.toLower() && !isGeneric(word) && !context.blocked(word) &&
               context.level(word) <= context.limits.liftLevel &&
               context.domainReason(pos, meaning, word).isEmpty() &&
               context.index.senseNumber(word, pos, meaning) <= 2;
    };
    const auto take = [&](const QList<quint32> &meanings) {
        QStringList words;
        for (const quint32 meaning : meanings)
            for (const QString &word : context.index.spelledWords(pos, meaning))
                if (fits(word, meaning) && !words.contains(word))
                    words << word;
        return words;
    };
    QStringList words = take(context.index.verbGroup(pos, synset));
    if (!words.isEmpty())
        return words.mid(0, 2);
    const QList<quint32> parents = context.index.hypernyms(pos, synset);
    if (main) {
        // A narrow hypernym, as the first meaning of a common word:
        // accident, mishap; engine, motor.
        QList<quint32> narrow;
        for (const quint32 parent : parents)
            if (context.index.hyponymCount(pos, parent) <= context.limits.narrowHypernym)
                narrow << parent;
        words = take(narrow);
        words.removeIf([&](const QString &word) {
            return std::none_of(narrow.cbegin(), narrow.cend(), [&](quint32 parent) {
                return context.index.senseNumber(word, pos, parent) == 1;
            });
        });
        if (!words.isEmpty())
            return words.mid(0, 2);
    }
    QList<quint32> grandparents;
    QStringList compounds;
    for (const quint32 parent : parents) {
        for (const quint32 grandparent : context.index.hypernyms(pos, parent))
            if (context.index.hyponymCount(pos, grandparent) <= context.limits.narrowHypernym)
                grandparents << grandparent;
        compounds << context.index.spelledWords(pos, parent);
    }
    words = take(grandparents);
    words.removeIf([&](const QString &word) {
        return std::none_of(compounds.cbegin(), compounds.cend(), [&](const QString &compound) {
            return compound.endsWith(u' ' + word);
        });
    });
    return words.mid(0, 2);
}

// The senses of one part of speech, heaviest first, as one de-duplicated list
// in which the rare words never tagged at all (evince, menage: too rare for
// the sense counts' corpus) follow all the others.
//
// *mainSense receives how many leading items of the list an automatic rewrite
// may use: the words of the main meaning that read as that meaning, and none
// when a second meaning is used nearly as often (the word alone does not say
// which one an article means).
QStringList mergeSenses(QList<RankedSense> senses, const Limits &limits, Stats &stats,
                        int *mainSense)
{
    std::stable_sort(senses.begin(), senses.end(), [](const RankedSense &a, const RankedSense &b) {
        return std::tuple(a.count, -qint64(a.number)) > std::tuple(b.count, -qint64(b.number));
    });
    *mainSense = 0;
    if (!senses.isEmpty()) {
        RankedSense &main = senses.first();
        // The main meaning's own reading words lead it.
        QList<qsizetype> order(main.words.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_partition(order.begin(), order.end(), [&](qsizetype i) {
            return !main.distant.contains(main.words.at(i));
        });
        QStringList words;
        QList<bool> familiar;
        for (const qsizetype i : order) {
            words << main.words.at(i);
            familiar << main.familiar.at(i);
        }
        main.words = words;
        main.familiar = familiar;
        const bool picked = main.count == std::numeric_limits<int>::max();
        const bool ambiguous = !picked && senses.size() > 1 && main.count > 0 &&
                               limits.ambiguousShare * senses.at(1).count >= main.count;
        if (!ambiguous) {
            for (qsizetype i = 0; i < main.words.size() && i < limits.perSense; ++i) {
                if (main.distant.contains(main.words.at(i)) || !main.familiar.at(i))
                    break;
                ++*mainSense;
            }
        }
    }
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

// The senses of headword as pos, with the main meaning given close terms
// when all its own words went, and hand-picked words leading.
QList<RankedSense> sensesOf(const Thesaurus::Entry &entry, PartOfSpeech pos, bool taxonomicHeadword,
                            Context &context)
{
    QList<RankedSense> senses;
    int position = 0;
    for (const Thesaurus::Sense &sense : entry.senses) {
        if (sense.pos != pos)
            continue;
        ++position;
        if (auto ranked = rankSense(entry, sense, position, taxonomicHeadword, context))
            senses << *ranked;
    }
    const auto main = std::max_element(
        senses.begin(), senses.end(), [](const RankedSense &a, const RankedSense &b) {
            return std::tuple(a.count, -qint64(a.number)) < std::tuple(b.count, -qint64(b.number));
        });
    // A later reading of the headword offers no word in a later reading of
    // its own (follow: "fall out", which reads as quarrel).
    for (auto sense = senses.begin(); sense != senses.end(); ++sense) {
        if (sense == main)
            continue;
        for (qsizetype i = sense->words.size() - 1; i >= 0; --i) {
            if (sense->misleading.contains(sense->words.at(i))) {
                sense->words.removeAt(i);
                sense->familiar.removeAt(i);
                ++context.stats.droppedSynonyms[u"other meaning in a later sense"_s];
            }
        }
    }
    for (auto sense = senses.begin(); sense != senses.end(); ++sense) {
        if (!sense->words.isEmpty() || !sense->synset)
            continue;
        sense->words = liftedWords(entry.headword, pos, *sense->synset, sense == main, context)
                           .mid(0, sense == main ? 2 : 1);
        sense->familiar = QList<bool>(sense->words.size(), true);
        if (!sense->words.isEmpty())
            ++context.stats.liftedSenses;
    }
    if (main != senses.end() && main->words.isEmpty()) {
        // A far rarer reading must not stand first in the main one's place
        // (people: "mass").
        const int mainCount = main->count;
        int leading = 0;
        for (const RankedSense &sense : std::as_const(senses))
            if (!sense.words.isEmpty())
                leading = std::max(leading, sense.count);
        if (context.limits.minorReading * leading < mainCount) {
            context.stats.droppedSenses[u"minor reading of a word without synonyms"_s] +=
                int(senses.removeIf([&](const RankedSense &s) { return !s.words.isEmpty(); }));
        }
    }
    QStringList picked = context.filters.supplement.value(entry.headword.toLower()).value(int(pos));
    if (!picked.isEmpty() && picked.first() == Supplement::NoneSafe)
        picked.removeFirst();
    if (!picked.isEmpty()) {
        RankedSense first;
        first.count = std::numeric_limits<int>::max();
        for (const QString &word : picked) {
            if (context.blocked(word))
                continue;
            first.words << word;
            first.familiar << true;
        }
        senses.prepend(first);
        ++context.stats.supplementedRows;
    }
    senses.removeIf([](const RankedSense &s) { return s.words.isEmpty(); });
    return senses;
}

// "taken", "supported", "inspired": a participle that WordNet also lists as
// an adjective but that an article nearly always uses as a form of its verb;
// its own row would hide the verb's synonyms and offer a rare reading.
bool isMostlyVerbForm(const QString &word, const SynsetIndex &index, const SenseCounts &counts)
{
    QStringList bases;
    const auto stem = [&](qsizetype cut, const QString &add = {}) {
        if (word.size() - cut >= 2)
            bases << word.chopped(cut) + add;
    };
    if (word.endsWith(u"ed"_s)) {
        stem(1);
        stem(2);
        if (word.size() > 4 && word.at(word.size() - 3) == word.at(word.size() - 4))
            stem(3);
        if (word.endsWith(u"ied"_s))
            stem(3, u"y"_s);
    } else if (word.endsWith(u"ing"_s)) {
        stem(3);
        stem(3, u"e"_s);
        if (word.size() > 5 && word.at(word.size() - 4) == word.at(word.size() - 5))
            stem(4);
    } else if (word.endsWith(u"en"_s)) {
        stem(1);
        stem(2);
    } else {
        return false;
    }
    const int asAdjective = counts.familiarity(word, PartOfSpeech::Adjective);
    return asAdjective <= 2 && std::any_of(bases.cbegin(), bases.cend(), [&](const QString &base) {
               return !index.synsetsOf(PartOfSpeech::Verb, base).isEmpty() &&
                      counts.familiarity(base, PartOfSpeech::Verb) >= 10 * std::max(1, asAdjective);
           });
}

} // namespace

QHash<quint32, QString> usageDomains(const SynsetIndex &index)
{
    const std::pair<QStringList, QString> domains[] = {
        {{u"ethnic slur"_s}, u"offensive"_s},
        {{u"obscenity"_s, u"vulgarism"_s, u"dirty word"_s}, u"offensive"_s},
        {{u"disparagement"_s, u"derogation"_s}, u"offensive"_s},
        {{u"slang"_s, u"cant"_s, u"jargon"_s}, u"slang"_s},
        {{u"archaism"_s, u"archaicism"_s}, u"archaic"_s},
        {{u"trade name"_s, u"brand name"_s}, u"trade name"_s},
        {{u"trademark"_s}, u"trade name"_s},
    };
    QHash<quint32, QString> found;
    for (const auto &[lemmas, reason] : domains)
        if (const auto synset = index.nounSynsetWith(lemmas))
            found.insert(*synset, reason);
    return found;
}

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
                 const Filters &filters, const Limits &limits)
{
    Result result;
    const QSet<QString> genera = genusNames(entries);
    Context context{index, counts, genera, filters, limits, result.stats};
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
            if (pos == PartOfSpeech::Adjective && isMostlyVerbForm(headword, index, counts)) {
                ++result.stats.droppedRows[u"adjective that is mostly a verb form"_s];
                continue;
            }
            const QList<RankedSense> senses = sensesOf(entry, pos, taxonomicHeadword, context);
            int mainSense = 0;
            WordRow row{headword, pos, mergeSenses(senses, limits, result.stats, &mainSense)};
            row.mainSense = mainSense;
            const QStringList picked = filters.supplement.value(folded).value(int(pos));
            if (picked.value(0) == Supplement::NoneSafe)
                row.mainSense = 0;
            // A phrase read in an article is most often a verb and a
            // preposition that only look like one ("passed through a
            // sapling", "looked at each"): only a hand-checked phrase goes
            // into an automatic rewrite.
            if (picked.isEmpty() && headword.contains(u' ') && row.mainSense > 0) {
                row.mainSense = 0;
                ++result.stats.popupOnlyPhrases;
            }
            if (!row.synonyms.isEmpty())
                weightedRows.append({counts.familiarity(headword, pos), row});
        }
        // As with senses: when the part of speech a word is mostly used as has
        // no synonyms, a far rarer one does not stand in for it (service: the
        // verb "serve").
        int mainWeight = 0;
        int leadingWeight = 0;
        for (const PartOfSpeech pos : PartsOfSpeech::All)
            mainWeight = std::max(mainWeight, counts.familiarity(headword, pos));
        for (const auto &[weight, row] : std::as_const(weightedRows))
            leadingWeight = std::max(leadingWeight, weight);
        if (limits.minorReading * leadingWeight < mainWeight) {
            result.stats.droppedRows[u"minor part of speech of a word without synonyms"_s] +=
                int(weightedRows.size());
            weightedRows.clear();
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
