#pragma once

#include "partofspeech.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// WordNet's index files (index.noun, .verb, .adj, .adv: each lemma's synsets
// in sense-number order) and data files (data.noun, ...: each synset's words
// with their lexicographer ids, and its "&" similar-to pointers, which join an
// adjective head synset and its satellites). A thesaurus sense, whose headword
// and synonyms are one synset's words, is found again as that synset, which
// gives each word's sense number and sense key for that meaning.
class SynsetIndex
{
public:
    bool load(const QString &wordnetDir, QString *error);
    bool parseIndex(PartOfSpeech pos, const QByteArray &bytes, QString *error);
    bool parseData(PartOfSpeech pos, const QByteArray &bytes, QString *error);

    // The synset of `headword` that holds all of `words` (in any letter case).
    // Among several, the best is the one whose similar-to synsets hold the
    // most of `similar`, then the one whose words are exactly these, then the
    // one whose sense number is `position` (the thesaurus lists a headword's
    // senses in nearly WordNet's order). None when no synset holds them all,
    // unless the synset at `position` holds more than half of them (the
    // thesaurus spells a few words differently).
    std::optional<quint32> synsetOf(PartOfSpeech pos, const QString &headword,
                                    const QStringList &words, const QStringList &similar = {},
                                    int position = 0) const;
    // The synset of `headword` that holds the most of `words`, then the one at
    // `position`, then the first; none when headword has no synset.
    std::optional<quint32> closestSynset(PartOfSpeech pos, const QString &headword,
                                         const QStringList &words, int position) const;
    // True when the synset holds word (in any letter case).
    bool holds(PartOfSpeech pos, quint32 synset, const QString &word) const;
    // 1-based sense number of lemma for that synset; 0 when it is not one.
    int senseNumber(const QString &lemma, PartOfSpeech pos, quint32 synset) const;
    // Sense key of lemma in that synset, as cntlist.rev spells it:
    // "lemma%ss_type:lex_filenum:lex_id:head_word:head_id" (big%3:00:01::,
    // big%5:00:00:intense:00); empty when the synset does not hold lemma.
    QString senseKey(const QString &lemma, PartOfSpeech pos, quint32 synset) const;
    // The similar-to targets of `synset` that hold `word` (strong: the two
    // satellites that hold "powerful").
    QList<quint32> similarSynsetsWith(PartOfSpeech pos, quint32 synset, const QString &word) const;

    // The noun synset that holds all of lemmas (a usage domain such as
    // "ethnic slur" is found by its words); none when no synset does.
    std::optional<quint32> nounSynsetWith(const QStringList &lemmas) const;
    // Usage domains (";u" pointers to noun synsets) that apply to word in
    // synset: those of the whole synset and those of that word alone.
    QList<quint32> usageDomains(PartOfSpeech pos, quint32 synset, const QString &word) const;
    // The synset's words as WordNet spells them ("Torah", "hand shovel").
    QStringList spelledWords(PartOfSpeech pos, quint32 synset) const;
    // "@" hypernyms, and "$" verb-group members, of synset.
    QList<quint32> hypernyms(PartOfSpeech pos, quint32 synset) const;
    QList<quint32> verbGroup(PartOfSpeech pos, quint32 synset) const;
    // How many "~" hyponyms synset has: few for a narrow word (mishap).
    int hyponymCount(PartOfSpeech pos, quint32 synset) const;
    // The synsets of lemma in sense-number order.
    QList<quint32> synsetsOf(PartOfSpeech pos, const QString &lemma) const;

private:
    struct Synset
    {
        QStringList words; // folded
        QList<int> lexIds; // parallel to words
        QList<quint32> similar;
        QList<quint32> hypernyms;
        QList<quint32> group;
        int hyponyms = 0;
        QList<std::pair<quint32, int>> usage; // domain, 1-based word index (0: all words)
        QStringList spelled;
        int lexFile = 0;
        bool satellite = false; // an adjective satellite: similar.first() is its head
    };
    // Per PartOfSpeech: folded lemma -> synset offsets; synset offset -> synset.
    QHash<QString, QList<quint32>> m_synsets[4];
    QHash<quint32, Synset> m_data[4];
};
