#pragma once

#include "partofspeech.h"
#include "thesaurus.h"

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

class SenseCounts;
class SynsetIndex;

// Turns thesaurus entries into dictionary rows: one row per headword and part
// of speech, its senses merged into one ranked, de-duplicated synonym list.
namespace SynonymSelection {

struct Limits
{
    int perSense = 10; // so that later senses still get a place in the list
    int perRow = 30;   // a popup list stays readable
};

struct WordRow
{
    QString headword;
    PartOfSpeech pos = PartOfSpeech::Noun;
    QStringList synonyms;
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
};

struct Result
{
    QList<WordRow> rows; // grouped by headword, the headword's main part of speech first
    Stats stats;
};

// functionWords: lower-case headwords to leave out in any letter case.
Result buildRows(const QList<Thesaurus::Entry> &entries, const SynsetIndex &index,
                 const SenseCounts &counts, const QSet<QString> &functionWords,
                 const Limits &limits = {});

// A value the dictionary can hold: none of | { } " CR LF (nor a comma, which
// separates synonyms).
bool isStorable(QStringView text);
// A headword the word-library editor could have typed: no | , " { }.
bool isValidHeadword(QStringView text);

} // namespace SynonymSelection
