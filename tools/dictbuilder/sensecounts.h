#pragma once

#include "partofspeech.h"

#include <QHash>
#include <QString>

// WordNet's cntlist.rev: lines "sense_key sense_number tag_cnt", where the
// sense key is "lemma%ss_type:lex_filenum:lex_id:head_word:head_id" and
// tag_cnt says how often that sense of the lemma occurs in semantically tagged
// text. Lemmas are lower case with "_" for blanks; lookups here take the
// thesaurus spelling and fold it the same way.
class SenseCounts
{
public:
    // Reads the file; false and an error text when it cannot be read or a line
    // is malformed.
    bool load(const QString &path, QString *error);
    bool parse(const QByteArray &bytes, QString *error);

    // Tag count of the sense with that sense key. The key, not the file's
    // sense number, names the sense: some lines carry keys or numbers of an
    // older WordNet (a%1:14:00:: as sense 1, where WordNet 3.0 has another).
    int senseCount(const QString &senseKey) const;
    // Sum of the tag counts of every sense of lemma as that part of speech.
    int familiarity(const QString &lemma, PartOfSpeech pos) const;
    // Sum over all parts of speech.
    int totalFamiliarity(const QString &lemma) const;

private:
    static QString key(const QString &lemma);

    QHash<QString, int> m_senses; // sense key
    QHash<QString, int> m_byPos;  // key + '%' + pos digit
    QHash<QString, int> m_total;  // key
};
