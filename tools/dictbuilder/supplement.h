#pragma once

#include "partofspeech.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

// Hand-picked synonyms of a main meaning that WordNet gives no words of its
// own (data/dictionary/supplement.txt): lines "headword pos: word, word",
// pos one of noun, verb, adjective, adverb; "#" starts a comment. The words
// lead the headword's row of that part of speech, and they alone go into an
// automatic rewrite. A list that starts with "-" gives an automatic rewrite
// no synonym, since no word is safe in every context ("work": employment,
// plant, deeds); the popup still shows the rest of the list, then WordNet's
// words. The shipped list is built into the program.
namespace Supplement {

inline constexpr QStringView NoneSafe = u"-";

inline constexpr QStringView BuiltIn = u":/dictbuilder/supplement.txt";

struct ReadResult
{
    QHash<QString, QHash<int, QStringList>> words; // folded headword -> int(pos) -> words
    int lines = 0;
    QString error; // empty on success
};

ReadResult parse(const QByteArray &bytes);
ReadResult read(const QString &path);

} // namespace Supplement
