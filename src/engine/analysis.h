#pragma once

#include "app/apppaths.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

class Dictionary;
class JobControl;

// A range [start, end) of the article text to colour or underline.
struct TextSpan
{
    qsizetype start = 0;
    qsizetype end = 0;
    friend bool operator==(const TextSpan &, const TextSpan &) = default;
};

// What a pass over the article produced; aborted passes produce nothing.
struct PassOutcome
{
    QString store;
    bool aborted = false;
};

struct MergeOutcome
{
    QString store;
    QList<TextSpan> underlines; // the merged phrases
    bool aborted = false;
};

struct AnalysisParams
{
    QString article;
    QString reservedWords; // the reserved-words box, comma-separated
    QString ignoreWords;   // "Default Ignore Words", comma-separated
    QString storePath = AppPaths::storeFile();
    QString replacedStorePath = AppPaths::replacedStoreFile();
    bool scrambled = true;
    // False: the store goes to temp.dat only, never whole into memory, so that
    // memory follows the article's size; the result has no store and no
    // frequency summary, and an abort leaves temp.dat as it was.
    bool keepStore = true;
};

enum class AnalysisStatus
{
    Finished,
    Aborted, // temp.dat as the aborted step left it
    NoWords, // the article has no word; temp.dat was emptied
    Failed,  // a store file could not be written (see error)
};

// Everything the Search Phrase job hands back to the window that applies it.
struct AnalysisResult
{
    AnalysisStatus status = AnalysisStatus::Failed;
    QString normalisedText;         // the editor's new plain text
    QList<TextSpan> reservedSpans;  // to colour with the reserved format
    QList<TextSpan> underlineSpans; // merged phrases, to underline
    int wordsAmount = 0;            // N: entries of the tagged store
    QString frequencySummary;       // summary of the final store (density list)
    QString store;                  // the final temp.dat text
    QString error;
};

// Article analysis: the word passes that build temp.dat, and the Search Phrase
// job that runs them. Works on strings and the store files only.
namespace Analysis {

// Items of a comma-separated word list, blanks around each item removed; empty
// items are kept so that positions in the list stay the same.
[[nodiscard]] QStringList listItems(const QString &list);

// spans sorted by start, with overlapping or touching spans joined.
[[nodiscard]] QList<TextSpan> mergedSpans(QList<TextSpan> spans);

// In every line (CR LF, CR or LF), from its first word character on, each run
// of n spaces becomes (n + 1) / 2 spaces.
[[nodiscard]] QString normaliseArticleText(const QString &text);

// Every whole-word, case-sensitive occurrence of a reserved item (neither
// neighbour a word character), sorted, overlaps merged.
[[nodiscard]] QList<TextSpan> reservedWordSpans(QStringView text, const QString &reservedWords);

// Tagging pass over an editor text whose reserved words are coloured as
// reservedSpans says. One entry "[start,end]word(tag)" CR LF per word; a word
// already tagged copies its first entry's tag. Pauses between words; an abort
// returns at once with nothing.
[[nodiscard]] PassOutcome taggingPassEditor(const QString &text,
                                            const QList<TextSpan> &reservedSpans,
                                            const QString &reservedWords,
                                            const QString &ignoreWords, Dictionary &dictionary,
                                            const JobControl &control);

// The auto-rewrite's tagging pass: no reserved test (reserved words are
// placeholders by then), ignore-listed words get "(ignore_words)" without a
// lookup, no pause; tests the abort flag before each word.
[[nodiscard]] PassOutcome taggingPassText(const QString &text, const QString &ignoreWords,
                                          Dictionary &dictionary, const JobControl &control);

// Merges runs of entries that form a dictionary phrase into one entry
// "[a,b]" text "(" tg ":" phrase ")" (or "()"), text being the article text
// from a to b. A phrase still open at the end is not merged. pausable: wait
// while paused (Search Phrase); otherwise only the abort flag is tested.
[[nodiscard]] MergeOutcome phraseMergePass(const QString &store, QStringView text,
                                           Dictionary &dictionary, const JobControl &control,
                                           bool pausable = true);

// Deletes every "|not_exist", then "not_exist|", then "not_exist".
[[nodiscard]] QString removeNotExist(QString store);

// The whole Search Phrase job. Reports positions 1 (started), 3 (tagged, N
// known), 5 (merged and cleaned) and then 6 and 8 once the result is complete;
// the window applies the result and reports 10 itself. An abort during the
// tagging pass leaves temp.dat as it was, one during the merge leaves the
// tagged temp.dat.
[[nodiscard]] AnalysisResult runAnalysis(const AnalysisParams &params, Dictionary &dictionary,
                                         const JobControl &control);

} // namespace Analysis
