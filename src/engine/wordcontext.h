#pragma once

#include "engine/analysis.h"
#include "engine/postagger.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringView>

class Dictionary;
struct StoreEntry;

// What an article's sentences say about its words: each word's part of speech
// and the spans a rewrite must leave alone. Positions are those of the text
// the context was built from.
struct ArticleContext
{
    QList<TaggedSpan> tokens;            // the tagger's tokens in text order
    QHash<qsizetype, qsizetype> tokenAt; // token start -> index in tokens
    QList<TextSpan> protectedSpans;      // sorted, non-overlapping
    bool tagged = false;                 // a tagger was available

    // The token that starts at position, or nullptr.
    [[nodiscard]] const TaggedSpan *tokenStartingAt(qsizetype position) const;
};

// How an entry is looked up in context: the inflection tag to bend its
// synonyms into and the dictionary type they must have.
struct EntryReading
{
    QString tag;       // "sp:walk", "pp:walk", "tp:own", "" (the word itself) ...
    QString lookup;    // the word whose rows are read
    QString type;      // "noun", "verb", "adjective", "adverb"; empty: any
    bool skip = false; // nothing fits here (a function word, a protected span)
};

namespace WordContext {

// The tagger model shipped beside the executable, loaded on first use and kept
// for the life of the process; nullptr when it is missing or unreadable.
[[nodiscard]] const PosTagger *sharedTagger();

// Tags the text's words and finds its protected spans (protectNames: names,
// code and the like; without it nothing is protected).
[[nodiscard]] ArticleContext analyse(QStringView text, const PosTagger *tagger, bool protectNames);

// The dictionary type of the word starting at position, read from its own
// sentence only (the popup asks for one word at a time); empty when no tagger
// is loaded or the word's part of speech has no type.
[[nodiscard]] QString typeAt(QStringView text, qsizetype position, const PosTagger *tagger);

// How many leading synonyms of word's row of type an automatic rewrite may
// use: those of its main meaning that read as it (the dictionary's MainSense
// table); -1 when the dictionary does not say, so every synonym may be used.
[[nodiscard]] int mainSenseCount(Dictionary &dictionary, const QString &word, const QString &type);
// True when the dictionary says how many synonyms share each row's main meaning.
[[nodiscard]] bool hasMainSenses(Dictionary &dictionary);

// The dictionary type a tag stands for ("noun", "verb", ...); empty for parts of
// speech a rewriter leaves alone (pronouns, determiners, names...).
[[nodiscard]] QString typeFor(PosTag tag);

// How to look up entry (a store line of the text the context was built from):
// - a certain verb form (sp, pp, ip, tp) stays a verb, unless the sentence
//   reads it as a noun or adjective and the word has rows of its own as that;
// - a past form after a form of have, be or get, or used as an adjective
//   before a noun, takes the participle ("has done", "the painted wall");
// - an -s form the sentence reads as a verb is a third person, never a plural;
// - any other word takes the synonyms of its part of speech in the sentence.
// Without tags the entry's own tag and every type are used.
[[nodiscard]] EntryReading readingOf(const StoreEntry &entry, QStringView text,
                                     const ArticleContext &context, Dictionary &dictionary);

} // namespace WordContext
