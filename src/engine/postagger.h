#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <optional>

class PosModel;

// Parts of speech as the rewriter needs them: the inflection of nouns, verbs
// and adjectives, and the word classes it must leave alone. The forms of the
// auxiliaries be, have and do carry the verb tag of their form ("was" is
// VerbPast, "has" VerbThird). The order is part of the model file format.
enum class PosTag : quint8
{
    Noun,             // car, water
    PluralNoun,       // cars, patents
    ProperNoun,       // London, Apple
    PluralProperNoun, // Americans, Smiths
    Verb,             // base form and present other than third person: own, are
    VerbPast,         // praised, was
    VerbParticiple,   // praised (after have or be), done, been
    VerbGerund,       // running, being
    VerbThird,        // owns, is, has
    Modal,            // can, will, must
    Adjective,        // big, first
    Comparative,      // bigger
    Superlative,      // biggest
    Adverb,           // quickly, very, not
    Particle,         // up in "give up", infinitive to
    Pronoun,          // he, his, themselves, who
    Determiner,       // the, this, any
    Preposition,      // in, of
    Conjunction,      // and, because
    Number,           // 10, 3.5, $5, 50%
    Punctuation,      // . , " --
    Other,            // interjections, foreign words
};

inline constexpr int posTagCount = int(PosTag::Other) + 1;

// The word classes of the dictionary's Type column, and proper nouns, which
// the rewriter leaves as they are.
enum class PosClass : quint8
{
    Noun,
    Verb,
    Adjective,
    Adverb,
    ProperNoun,
    Other
};

[[nodiscard]] PosClass posClass(PosTag tag);

// The tag's name as written in model and evaluation files ("VerbThird").
[[nodiscard]] QString posTagName(PosTag tag);
[[nodiscard]] std::optional<PosTag> posTagFromName(QStringView name);

// One token of an article and its tag: [start, end) in the text.
struct TaggedSpan
{
    qsizetype start = 0;
    qsizetype end = 0;
    PosTag tag = PosTag::Other;

    friend bool operator==(const TaggedSpan &, const TaggedSpan &) = default;
};

// A greedy left-to-right averaged-perceptron tagger (features of the word, its
// affixes and shape, its neighbours and the two previous tags; frequent
// unambiguous words tagged from a dictionary), trained at build time on the
// Brown corpus by rewordix-tagtrain.
//
// A loaded tagger is immutable: every method is const and may be called from
// several threads at once.
class PosTagger
{
public:
    // Reads a model file. On failure returns nullptr and the reason in error.
    static std::unique_ptr<PosTagger> load(const QString &path, QString *error);
    // The same from the file's bytes.
    static std::unique_ptr<PosTagger> fromBytes(const QByteArray &bytes, QString *error);
    explicit PosTagger(std::unique_ptr<PosModel> model);
    ~PosTagger();

    PosTagger(const PosTagger &) = delete;
    PosTagger &operator=(const PosTagger &) = delete;

    // One tag per token of a sentence whose tokens follow the corpus: words
    // with inner apostrophes and hyphens whole ("don't", "well-known"),
    // punctuation apart, numbers whole ("10:30", "$5", "3.5").
    [[nodiscard]] QList<PosTag> tagSentence(const QStringList &tokens) const;

    // Splits an article into sentences and tokens (PosTokenizer) and tags
    // them. A token that holds more than one scanner word ("3.5", "U.S.",
    // "It’s") is returned as pieces that each start where a scanner word
    // starts and carry the token's tag, so every scanner word starts at a
    // span start. Spans are in text order and do not overlap.
    [[nodiscard]] QList<TaggedSpan> tagText(QStringView text) const;

private:
    std::unique_ptr<PosModel> m_model;
};
