#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>

// Words and phrases never offered as synonyms
// (data/dictionary/blocklist.txt). Lines under "[words]" are vulgar words
// and slurs: the item alone goes. Lines under "[senses]" mark a meaning no
// neutral word should carry ("have sex", "be intimate"): a sense that lists
// one goes whole. An entry matches an item equal to it or holding it as
// whole words, without regard to case ("fucking hell" holds "fucking").
// "#" starts a comment. The shipped list is built into the program.
class Blocklist
{
public:
    static constexpr QStringView BuiltIn = u":/dictbuilder/blocklist.txt";

    struct ReadResult;
    static ReadResult parse(const QByteArray &bytes);
    static ReadResult read(const QString &path);

    [[nodiscard]] bool blocks(const QString &item) const;
    [[nodiscard]] bool marksSense(const QString &item) const;

private:
    bool holds(const QSet<QString> &entries, const QString &item) const;

    // Normalised: lower case, single blanks, a blank for a hyphen.
    QSet<QString> m_words;
    QSet<QString> m_senses;
    int m_longest = 0; // words in the longest entry
};

struct Blocklist::ReadResult
{
    Blocklist list;
    QString error; // empty on success
};
