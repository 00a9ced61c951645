#pragma once

#include "partofspeech.h"
#include "thesaurus.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

class Blocklist;
class SenseCounts;
class SynsetIndex;
class WordLevels;

// Turns thesaurus entries into dictionary rows: one row per headword and part
// of speech, its senses merged into one ranked, de-duplicated synonym list.
namespace SynonymSelection {

struct Limits
{
    int perSense = 10; // so that later senses still get a place in the list
    int perRow = 30;   // a popup list stays readable
    // SCOWL levels: words above rareLevel are too rare, archaic or foreign to
    // offer; a word lifted from a related meaning must be at most liftLevel.
    int rareLevel = 40;
    int liftLevel = 35;
    // A hypernym stands in for the main meaning only when it has at most
    // narrowHypernym hyponyms.
    int narrowHypernym = 8;
    // When the main meaning (or part of speech) has no synonyms, a reading
    // used at most 1/minorReading as often does not stand in for it.
    int minorReading = 4;
    // A word tagged at least this often, never in this meaning, which is not
    // its first, reads as its other meaning: it goes after the others.
    int misleadingCount = 1;
    // A second meaning tagged at least 1/ambiguousShare as often as the main
    // one makes the word ambiguous: no automatic rewrite uses its synonyms.
    int ambiguousShare = 2;
};

// The data that decides what a writer may be offered, besides the thesaurus.
struct Filters
{
    const WordLevels *levels = nullptr;   // none: every word counts as common
    const Blocklist *blocklist = nullptr; // none: nothing blocked
    // WordNet usage domains by reason ("offensive", "slang", "archaic", "trade name").
    QHash<quint32, QString> domains;
    // Hand-picked main-sense synonyms WordNet lacks, by folded headword and
    // part of speech; they lead their row.
    QHash<QString, QHash<int, QStringList>> supplement;
};

struct WordRow
{
    QString headword;
    PartOfSpeech pos = PartOfSpeech::Noun;
    QStringList synonyms;
    // How many leading synonyms share the word's main meaning and read as
    // it: the ones an automatic rewrite may use.
    int mainSense = 0;
};

struct Stats
{
    QMap<QString, int> skippedHeadwords; // reason -> headwords left out
    int droppedNameSenses = 0;           // senses of a name, symbol or acronym
    int droppedRareSenses = 0;
    int droppedTaxonomicNames = 0;
    int droppedInvalidSynonyms = 0; // a comma, a forbidden character or a single character
    int droppedRelatedWords = 0;    // unmarked words of related terms (relational adjectives)
    int truncatedRows = 0;
    QMap<QString, int> droppedRows;     // reason -> rows of one part of speech left out
    QMap<QString, int> droppedSenses;   // reason -> senses left out
    QMap<QString, int> droppedSynonyms; // reason -> synonyms left out
    int liftedSenses = 0;               // senses that took close terms of a related meaning
    int supplementedRows = 0;           // rows led by hand-picked synonyms
    int popupOnlyPhrases = 0;           // unchecked phrase rows kept out of automatic rewrites
};

struct Result
{
    QList<WordRow> rows; // grouped by headword, the headword's main part of speech first
    Stats stats;
};

// functionWords: lower-case headwords to leave out in any letter case.
Result buildRows(const QList<Thesaurus::Entry> &entries, const SynsetIndex &index,
                 const SenseCounts &counts, const QSet<QString> &functionWords,
                 const Filters &filters = {}, const Limits &limits = {});

// Finds the usage domains that take a sense or word out, by their lemmas.
QHash<quint32, QString> usageDomains(const SynsetIndex &index);

// A value the dictionary can hold: none of | { } " CR LF (nor a comma, which
// separates synonyms).
bool isStorable(QStringView text);
// A headword the word-library editor could have typed: no | , " { }.
bool isValidHeadword(QStringView text);

} // namespace SynonymSelection
