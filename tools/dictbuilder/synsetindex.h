#pragma once

#include "partofspeech.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// WordNet's index files (index.noun, .verb, .adj, .adv: each lemma's synsets
// in sense-number order) and data files (data.noun, ...: each synset's
// words). A thesaurus sense, whose headword and synonyms are exactly one
// synset's words, is found again as that synset, which gives each word's own
// sense number for that meaning.
class SynsetIndex
{
public:
    bool load(const QString &wordnetDir, QString *error);
    bool parseIndex(PartOfSpeech pos, const QByteArray &bytes, QString *error);
    bool parseData(PartOfSpeech pos, const QByteArray &bytes, QString *error);

    // The synset of `headword` whose words are exactly `words` (in any letter
    // case), or else the only one that holds them all; none otherwise.
    std::optional<quint32> synsetOf(PartOfSpeech pos, const QString &headword,
                                    const QStringList &words) const;
    // 1-based sense number of lemma for that synset; 0 when it is not one.
    int senseNumber(const QString &lemma, PartOfSpeech pos, quint32 synset) const;

private:
    // Per PartOfSpeech: folded lemma -> synset offsets; synset offset -> folded words.
    QHash<QString, QList<quint32>> m_synsets[4];
    QHash<quint32, QStringList> m_words[4];
};
