#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// Rows of the IR table: a base word and its irregular forms, stored in
// Regular as fields "tag=form;" (tags sp, pp, ip, tp, pl; variants of one
// form joined by "|", the preferred one first).
//
// They come from two sources: our own table of irregular verbs and nouns
// (data/dictionary/irregular.txt), and WordNet's exception lists, from which
// every form is taken that the regular endings would get wrong (stopped,
// panicking, wolves). The own table wins where both give a field.
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

struct GenerateStats
{
    int usedForms = 0;
    int regularForms = 0;  // the regular ending already gives the form
    int unknownLemmas = 0; // lemma is not a headword of that part of speech
    int phrases = 0;       // multi-word forms or lemmas
    int variants = 0;      // the lemma itself or a spelling variant of it
    int ownHeadwords = 0;  // plural that the thesaurus lists as a headword of its own
};

// verb.exc: -ing forms give ip, forms in -s give tp, all others sp and pp
// (a form in -n or -ne is taken as the participle when the lemma has two).
QList<Row> fromVerbExceptions(const ExceptionList &list, const QSet<QString> &verbs,
                              GenerateStats *stats);
// noun.exc: pl. A plural that is a noun headword itself (data, media) keeps
// its own entry rather than being read as the plural of another word.
QList<Row> fromNounExceptions(const ExceptionList &list, const QSet<QString> &nouns,
                              GenerateStats *stats);

// One row per base, sorted by base; fields of `own` win over generated ones.
QList<Row> merge(const QList<Row> &own, const QList<QList<Row>> &generated);

// The Regular value of a row.
QString regularText(const Row &row);

// The forms of row that the lookup would not find in its Regular text, because
// an earlier field holds them as part of a longer form, and the base itself
// when the lookup would read it as one of its own forms (a form equal to the
// base is meant to be hidden). Empty for a good row.
QStringList unreadableForms(const Row &row);

// True when the dictionary's irregular-form lookup would read `word` as a form
// in `regular`: at the first place it occurs, it stands between "=" or "|" and
// ";", "|" or the end.
bool readsAsForm(const QString &regular, const QString &word);

} // namespace IrregularForms
