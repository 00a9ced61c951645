#pragma once

#include "partofspeech.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

// Rows of the IR table: a base word and its irregular forms, stored in
// Regular as fields "tag=form;" (tags sp, pp, ip, tp, pl; variants of one
// form joined by "|", the current standard one first). A field "if=word" in
// the row of that word says that the word, where it stands in a text, is
// itself and not a form of another base (rent, not the past of rend); a base
// listed among its own forms (sheep pl=sheep, put sp=put) says the same.
//
// They come from our own table of irregular verbs and nouns
// (data/dictionary/irregular.txt), and from WordNet's exception lists, from
// which the forms are taken that the regular endings would get wrong: spelling
// changes (stopped, panicking), compounds of our own verbs (undertook), and
// rare or archaic forms (wrought), which follow the regular form. The own
// table wins where both give a field.
namespace IrregularForms {

struct Field
{
    QString tag;
    QStringList forms;
};

struct Row
{
    QString base;
    QList<Field> fields;

    const Field *field(QStringView tag) const;
};

struct TableResult
{
    QList<Row> rows;
    QString error; // empty on success
};

// Lines "base fields", e.g. "go sp=went;pp=gone;"; "#" starts a comment.
TableResult parseTable(const QString &text);
TableResult readTable(const QString &path);

// WordNet exception list: lines "form lemma [lemma...]".
struct ExceptionEntry
{
    QString form;
    QStringList lemmas;
};
struct ExceptionList
{
    QList<ExceptionEntry> entries;
    QString error;
};
ExceptionList readExceptions(const QString &path);
ExceptionList parseExceptions(const QString &text);

// What the choices below read from the dictionary's data.
struct Lexicon
{
    QSet<QString> verbs;     // thesaurus headwords with a verb sense
    QSet<QString> nouns;     // ... with a noun sense
    QSet<QString> headwords; // headwords of the word tables, as written
    // Tagged-text count of a word in all its senses, and as one part of speech.
    std::function<int(const QString &)> familiarity;
    std::function<int(const QString &, PartOfSpeech)> familiarityAs;
    // True when a noun sense of the word names a person.
    std::function<bool(const QString &)> namesPerson;
};

struct GenerateStats
{
    int usedForms = 0;
    int regularForms = 0;  // the regular ending already gives the form
    int unknownLemmas = 0; // lemma is not a headword of that part of speech
    int phrases = 0;       // multi-word forms or lemmas
    int variants = 0;      // the lemma itself or a spelling variant of it
    int laterForms = 0;    // rare, archaic or British forms put after the regular one
    int compounds = 0;     // bases that bend like a word of our own table
};

// verb.exc: -ing forms give ip, forms in -s give tp, all others sp and pp
// (a form in -n or -ne is a participle). A lemma that ends in a verb of `own`
// and bends like it (undertake: undertook) takes all that verb's fields.
QList<Row> fromVerbExceptions(const ExceptionList &list, const QList<Row> &own,
                              const Lexicon &lexicon, GenerateStats *stats);
// noun.exc: pl. Doubled "s" (busses) follows the regular plural.
QList<Row> fromNounExceptions(const ExceptionList &list, const Lexicon &lexicon,
                              GenerateStats *stats);
// Nouns that end in a noun of `own` with a plural after a word of their own,
// and name a person or begin with a common word (juryman: jurymen,
// grandchild: grandchildren, snowman: snowmen); not human or talisman.
QList<Row> compoundPlurals(const QList<Row> &own, const Lexicon &lexicon, GenerateStats *stats);

// One row per base, sorted by base; fields of `own` win over generated ones.
// A generated ip= field for an own verb without one (beginning) is a word of
// its own: such forms are added to `ownWords`.
QList<Row> merge(const QList<Row> &own, const QList<QList<Row>> &generated,
                 QSet<QString> *ownWords = nullptr);

// Adds the regular forms of headwords that the lookup would not read back as
// such: a form that is a headword itself, more familiar as the form than in its
// own senses (moved, opening, falls), or one that the regular endings take for
// a form of another headword (hoping: hop). Own verbs without an ip= field
// keep their -ing form as a word of its own. Returns the number of fields.
int addMisreadRegularForms(QList<Row> *rows, const QList<Row> &own, const Lexicon &lexicon);

// Marks as words of their own, with an "if=" field: forms that are headwords
// more familiar in their own senses than their base is (rent, stove, ground),
// or that only follow another variant (molten after melted); the words of
// `ownWords`; and function words that the regular endings would read as a
// form of a headword (his: hi). Returns the words marked, sorted.
QStringList markWordsOfTheirOwn(QList<Row> *rows, const Lexicon &lexicon,
                                const QSet<QString> &functionWords,
                                const QSet<QString> &ownWords = {});

// The Regular value of a row.
QString regularText(const Row &row);

// The forms of row that the lookup would not find in its Regular text, because
// an earlier field holds them as part of a longer form (the base aside, which
// the lookup reads as itself in any case). Empty for a good row.
QStringList unreadableForms(const Row &row);

// True when the dictionary's irregular-form lookup would read `word` as a form
// in `regular`: at the first place it occurs, it stands between "=" or "|" and
// ";", "|" or the end.
bool readsAsForm(const QString &regular, const QString &word);

} // namespace IrregularForms
