#pragma once

#include <QHash>
#include <QString>

// How common a word is, from SCOWL's word lists (Debian's scowl package:
// english-words.10 ... .95 and american-words.*, one word per line). A word's
// level is the lowest list that holds it: 10 are the most common words, 95
// the rarest. Words of no list get level 100.
class WordLevels
{
public:
    static constexpr int Unknown = 100;

    // Reads every "english-words.N" and "american-words.N" file of dir. An
    // empty dir gives an empty table, for which every word counts as common.
    bool load(const QString &dir, QString *error);
    void add(const QString &word, int level);

    [[nodiscard]] bool isEmpty() const { return m_levels.isEmpty(); }
    // Level of one word, looked up as written and then in lower case.
    [[nodiscard]] int level(const QString &word) const;
    // The highest level of the words of a phrase ("hand shovel": shovel's).
    [[nodiscard]] int phraseLevel(const QString &phrase) const;

private:
    QHash<QString, int> m_levels;
};
