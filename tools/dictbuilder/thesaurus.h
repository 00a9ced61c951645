#pragma once

#include "partofspeech.h"

#include <QList>
#include <QString>
#include <QStringList>

// Reader of a MyThes thesaurus (th_en_US_v2.dat): a first line naming the
// encoding, then for each headword a line "headword|nSenses" followed by
// nSenses lines "(pos)|item|item|...". Items carrying a parenthesised note,
// such as "(generic term)", "(related term)" or "(antonym)", are not synonyms
// and are left out here; "(similar term)" items (for an adjective, the head or
// satellite synsets WordNet links to the sense) are kept apart in `similar`.
namespace Thesaurus {

struct Sense
{
    PartOfSpeech pos = PartOfSpeech::Noun;
    QStringList synonyms;      // trimmed, blanks collapsed, never empty items
    QStringList similar;       // "(similar term)" items without their note, same form
    bool relatedTerms = false; // the line has "(related term)" items
};

struct Entry
{
    QString headword;
    QList<Sense> senses; // in file order: WordNet's sense order within each part of speech
};

struct ReadResult
{
    QList<Entry> entries;
    int unknownPosSenses = 0; // sense lines with a part of speech other than the four
    QString error;            // empty on success
};

ReadResult read(const QString &path);
ReadResult parse(const QByteArray &bytes);

} // namespace Thesaurus
