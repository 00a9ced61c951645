#pragma once

#include "app/apppaths.h"
#include "engine/signaturesource.h"
#include "rtf/rtfdocument.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <optional>
#include <vector>

class Dictionary;
class JobControl;
class PosTagger;
struct ArticleContext;

// Character formats of the generated articles. Colours are Windows colour
// references (0x00BBGGRR), as the settings keep them.
struct ArticleFormat
{
    QString face = QStringLiteral("Times New Roman");
    int pointSize = 12;
    bool bold = false;
    bool italic = false;
    quint32 wordsColor = 0x00000000;
    quint32 replacedColor = 0x00FF0000;
};

// The article template: every replaceable word is a group "{a1|a2...}" or
// its only candidate; records are the replacedtemp.dat lines written for it.
struct SpinTemplate
{
    QString text;
    QString records;
    int recordCount = 0;
};

// A template cut into the text between groups and the groups themselves.
struct ParsedTemplate
{
    struct Group
    {
        QStringList alternatives;
        QList<bool> isOriginal; // alternative equals the group record's original
    };
    QStringList literals; // literals.size() == groups.size() + 1
    QList<Group> groups;
};

// One row of the article list.
struct GeneratedArticle
{
    int index = 0;        // 0: the original article
    QString name;         // "original article", "1", "2" ...
    QString rate;         // "0.00%", "12.50%" ...
    QString text;         // plain text of the article
    QString path;         // its .rtf file; empty without rich articles
    QList<int> signature; // the alternative chosen in each group (1-based)
};

struct AutoRewriteParams
{
    QString article;
    // The original article with its formats; empty: article in the default format.
    RtfDocument originalDocument;
    QString reservedWords;
    QString ignoreWords;
    int degree = 5; // 0 Topmost .. 5 Very Low
    int requestedCount = 2;
    ArticleFormat format;
    QString storePath = AppPaths::storeFile();
    QString replacedStorePath = AppPaths::replacedStoreFile();
    QString articlesDir = AppPaths::articlesDir();
    bool scrambled = true;
    // The window's choice counter before the run (never reset by the window).
    quint32 choiceCounter = 0;
    // Tags each word's part of speech in its sentence; none: every type is offered.
    const PosTagger *tagger = nullptr;
    // Names, words in capitals, URLs, paths, code and quantities stay as written.
    bool protectNames = true;
    // False: no .rtf files in articlesDir; the rows carry the plain text only
    // (the command line writes text articles straight to their place).
    bool richArticles = true;
    // Milliseconds since the system started; tests pass a fixed clock.
    std::function<quint32()> tickCount;
};

// What the window shows while the run goes on; each is called on the job's thread.
struct AutoRewriteCallbacks
{
    std::function<void(int wordsAmount)> wordsAmount;             // labels 1034 and 1043 reset
    std::function<void(const QString &summary)> frequencySummary; // the density list
    std::function<void(int delta)> replacedAdded;                 // Replaced statistic grows
    std::function<void(const QString &templateText)> templateReady;
    std::function<void(int count)> articleCount;                   // the articles-number value
    std::function<void(const GeneratedArticle &row)> articleAdded; // row 0 is the original
};

enum class AutoRewriteStatus
{
    Finished,
    Aborted,
    Error
};

struct AutoRewriteResult
{
    AutoRewriteStatus status = AutoRewriteStatus::Error;
    QString error; // "Error" for a broken template, else why a file failed
    QString templateText;
    QString spintax; // the template with the article's own "{|}\\" escaped
    int wordsAmount = 0;
    int articleCount = 0; // articles the run set out to generate
    int generated = 0;
    QStringList rates; // of articles 1..generated
    quint32 choiceCounter = 0;
};

// Auto-rewrite: alternatives at a replace degree, the template, and the
// generated articles in the articles folder.
namespace AutoRewrite {

enum Degree
{
    Topmost = 0,
    VeryHigh,
    High,
    General,
    Low,
    VeryLow
};

// Synonyms a word keeps at a degree; 0 means all (Topmost).
[[nodiscard]] int synonymsKept(int degree);

// Every occurrence of reserved item k (1-based position in the list, empty
// items skipped), also inside longer words, becomes "reservedwords:k".
[[nodiscard]] QString protectReservedWords(QString text, const QString &reservedWords);
// The reverse, from the last item to the first.
[[nodiscard]] QString restoreReservedWords(QString text, const QString &reservedWords);

// The group marks of an article's own text: "[" "{" "|" "}" become "[[]" "[<]"
// "[!]" "[>]"; keepBars leaves "|" alone (an alternative "lay|lied" is two).
[[nodiscard]] QString escapeMarks(QStringView text, bool keepBars = false);
[[nodiscard]] QString unescapeMarks(QStringView text);

// Adds the alternatives at the degree to every entry that takes them (not
// reserved, ignored, unknown, nor already holding a list). With a context of
// the store's text, only synonyms of the word's part of speech in its
// sentence are offered, bent to the form the sentence needs, and protected
// spans get none. Each list offers a text once and never the word itself; a
// word in capitals gets capitals. nullopt on abort.
[[nodiscard]] std::optional<QString> expandAlternatives(const QString &store, int degree,
                                                        Dictionary &dictionary,
                                                        const JobControl *control = nullptr,
                                                        const ArticleContext *context = nullptr,
                                                        QStringView text = {});

// Replaces each entry's text in article by its group or single candidate,
// from the last entry to the first; numbers-only words are left alone.
// replacedAdded is called once per 9 records and once for the rest.
[[nodiscard]] SpinTemplate buildSpinTemplate(const QString &article, const QString &store,
                                             int degree,
                                             const std::function<void(int)> &replacedAdded = {});

// The template's groups with, for each alternative, whether the group's
// record names it as the original. nullopt when a "{" has no "}" after it.
[[nodiscard]] std::optional<ParsedTemplate> parseTemplate(QStringView templateText,
                                                          QStringView records);

// The classic C library generator: srand(seed); rand() (the MSVC constants).
[[nodiscard]] constexpr int seededRand(quint32 seed)
{
    return int(((seed * 214013u + 2531011u) >> 16) & 0x7FFFu);
}

// Product of the groups' alternative counts, saturating at max.
[[nodiscard]] qint64 distinctSignatures(const ParsedTemplate &parsed, qint64 max);

// The article text for a signature: a group whose choice is its original
// becomes that text, any other keeps its braces around the choice.
[[nodiscard]] QString resolveTemplate(const ParsedTemplate &parsed, const QList<int> &signature);

// The generated article as rich text: braces removed, the text between them in
// the replaced colour (underlined too when it holds a space after its first
// character), the rest in the default format; marks restored, "\n" paragraphs.
[[nodiscard]] RtfDocument colourReplaced(QStringView resolved, const ArticleFormat &format);
[[nodiscard]] RtfCharFormat defaultCharFormat(const ArticleFormat &format);
// The generated article's plain text, as Rtf::plainText(colourReplaced(...))
// gives it, without making the rich text.
[[nodiscard]] QString plainArticle(QStringView resolved);

// The RTF file content as the articles folder keeps it: the 7-bit RTF stream
// widened to UTF-16LE code units, no mark. A working file: checked, not synced.
bool writeRtfArticle(const QString &path, const RtfDocument &document, QString *error = nullptr);

// The whole run. Abort (control) is tested between the steps, between words
// and between articles; it empties both store files and keeps the articles
// written so far. A finished run also empties both store files. control's
// progress receives the number of each article once its file is written.
AutoRewriteResult runAutoRewrite(const AutoRewriteParams &params, Dictionary &dictionary,
                                 const JobControl &control,
                                 const AutoRewriteCallbacks &callbacks = {});

} // namespace AutoRewrite
