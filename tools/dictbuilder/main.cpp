// rewordix-dictbuilder: builds the synonym dictionary (SysFuns.dll) from a
// MyThes thesaurus, WordNet's index, data, sense counts and exception lists, and
// our own tables of irregular forms and function words. See --help.
#include "blocklist.h"
#include "dictionary/dictionaryschema.h"
#include "dictionarywriter.h"
#include "engine/storescrambler.h"
#include "functionwords.h"
#include "irregularforms.h"
#include "sensecounts.h"
#include "supplement.h"
#include "synonymselection.h"
#include "synsetindex.h"
#include "thesaurus.h"
#include "wordlevels.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Options
{
    QString thesaurus;
    QString exceptionsDir;
    QString counts;
    QString irregular;
    QString functionWords;
    QString scowl;
    QString blocklist;
    QString supplement;
    QString out;
    bool plain = false;
};

void print(const QString &text)
{
    std::fputs(qPrintable(text + u'\n'), stdout);
}

int fail(const QString &text)
{
    std::fputs(qPrintable(u"rewordix-dictbuilder: "_s + text + u'\n'), stderr);
    return 1;
}

std::optional<Options> parseArguments(const QCoreApplication &app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Builds the synonym dictionary from a MyThes thesaurus, WordNet's index, data, "
        u"cntlist.rev and exception lists, a table of irregular forms and a list of function "
        u"words."_s);
    parser.addHelpOption();
    const QCommandLineOption thesaurus(u"thesaurus"_s, u"MyThes thesaurus (.dat)."_s, u"path"_s,
                                       u"/usr/share/mythes/th_en_US_v2.dat"_s);
    const QCommandLineOption exceptions(
        QStringList{u"exceptions"_s, u"wordnet"_s},
        u"WordNet's folder: verb.exc, noun.exc and index.noun, .verb, .adj, .adv."_s, u"dir"_s,
        u"/usr/share/wordnet"_s);
    const QCommandLineOption counts(u"counts"_s, u"WordNet's cntlist.rev."_s, u"path"_s,
                                    u"/usr/share/wordnet/cntlist.rev"_s);
    const QCommandLineOption irregular(u"irregular"_s, u"Own table of irregular forms."_s,
                                       u"path"_s);
    const QCommandLineOption functionWords(
        u"function-words"_s,
        u"List of function words to leave out (default: the list built into the program)."_s,
        u"path"_s, FunctionWords::BuiltIn.toString());
    const QCommandLineOption scowl(
        u"scowl"_s,
        u"SCOWL's folder of word lists by commonness (english-words.N, american-words.N); "
        u"without it no word counts as rare."_s,
        u"dir"_s);
    const QCommandLineOption blocklist(
        u"blocklist"_s, u"Words and phrases never offered (default: the built-in list)."_s,
        u"path"_s, Blocklist::BuiltIn.toString());
    const QCommandLineOption supplement(
        u"supplement"_s, u"Hand-picked main-sense synonyms (default: the built-in list)."_s,
        u"path"_s, Supplement::BuiltIn.toString());
    const QCommandLineOption out(u"out"_s, u"Dictionary file to write."_s, u"path"_s);
    const QCommandLineOption plain(
        u"plain"_s, u"Store Synonyms plain (a SourceDB copy) instead of scrambled."_s);
    parser.addOptions({thesaurus, exceptions, counts, irregular, functionWords, scowl, blocklist,
                       supplement, out, plain});
    parser.process(app);
    if (!parser.positionalArguments().isEmpty() || !parser.isSet(irregular) || !parser.isSet(out)) {
        std::fputs(qPrintable(parser.helpText()), stderr);
        return std::nullopt;
    }
    return Options{parser.value(thesaurus), parser.value(exceptions),    parser.value(counts),
                   parser.value(irregular), parser.value(functionWords), parser.value(scowl),
                   parser.value(blocklist), parser.value(supplement),    parser.value(out),
                   parser.isSet(plain)};
}

// What the build kept and left out, by reason, for the dictionary's
// BuildReport table.
QList<std::pair<QString, qint64>> buildReport(const SynonymSelection::Result &selection,
                                              qsizetype headwordsRead)
{
    const SynonymSelection::Stats &stats = selection.stats;
    qint64 synonyms = 0;
    for (const SynonymSelection::WordRow &row : selection.rows)
        synonyms += row.synonyms.size();
    QList<std::pair<QString, qint64>> report{
        {u"kept: headwords read"_s, headwordsRead},
        {u"kept: word rows"_s, selection.rows.size()},
        {u"kept: synonyms"_s, synonyms},
        {u"kept: senses given close terms"_s, stats.liftedSenses},
        {u"kept: rows led by hand-picked words"_s, stats.supplementedRows},
        {u"kept: phrase rows for the popup only"_s, stats.popupOnlyPhrases},
        {u"sense dropped: name, symbol or acronym"_s, stats.droppedNameSenses},
        {u"sense dropped: rare reading"_s, stats.droppedRareSenses},
        {u"synonym dropped: invalid character"_s, stats.droppedInvalidSynonyms},
        {u"synonym dropped: related term"_s, stats.droppedRelatedWords},
        {u"rows cut to length"_s, stats.truncatedRows}};
    for (auto it = stats.skippedHeadwords.cbegin(); it != stats.skippedHeadwords.cend(); ++it)
        report.append({u"headword dropped: "_s + it.key(), it.value()});
    for (auto it = stats.droppedRows.cbegin(); it != stats.droppedRows.cend(); ++it)
        report.append({u"row dropped: "_s + it.key(), it.value()});
    for (auto it = stats.droppedSenses.cbegin(); it != stats.droppedSenses.cend(); ++it)
        report.append({u"sense dropped: "_s + it.key(), it.value()});
    for (auto it = stats.droppedSynonyms.cbegin(); it != stats.droppedSynonyms.cend(); ++it)
        report.append({u"synonym dropped: "_s + it.key(), it.value()});
    // Each kind of line together, in the order a reader follows the data.
    const QStringList order{u"kept"_s, u"headword dropped"_s, u"row dropped"_s, u"sense dropped"_s,
                            u"synonym dropped"_s};
    std::stable_sort(report.begin(), report.end(), [&](const auto &x, const auto &y) {
        const auto rank = [&](const QString &reason) {
            const qsizetype at = order.indexOf(reason.section(u':', 0, 0));
            return at < 0 ? order.size() : at;
        };
        return rank(x.first) < rank(y.first);
    });
    return report;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> options = parseArguments(app);
    if (!options)
        return 2;
    QElapsedTimer timer;
    timer.start();

    const Thesaurus::ReadResult thesaurus = Thesaurus::read(options->thesaurus);
    const FunctionWords::ReadResult functionWords = FunctionWords::read(options->functionWords);
    const Blocklist::ReadResult blocklist = Blocklist::read(options->blocklist);
    const Supplement::ReadResult supplement = Supplement::read(options->supplement);
    for (const QString *readError :
         {&thesaurus.error, &functionWords.error, &blocklist.error, &supplement.error}) {
        if (!readError->isEmpty())
            return fail(*readError);
    }
    SenseCounts counts;
    SynsetIndex index;
    WordLevels levels;
    QString error;
    if (!counts.load(options->counts, &error) || !index.load(options->exceptionsDir, &error) ||
        !levels.load(options->scowl, &error))
        return fail(error);
    SynonymSelection::Filters filters;
    filters.levels = &levels;
    filters.blocklist = &blocklist.list;
    filters.domains = SynonymSelection::usageDomains(index);
    filters.supplement = supplement.words;
    const SynonymSelection::Result selection =
        SynonymSelection::buildRows(thesaurus.entries, index, counts, functionWords.words, filters);

    IrregularForms::Lexicon lexicon;
    for (const Thesaurus::Entry &entry : thesaurus.entries) {
        for (const Thesaurus::Sense &sense : entry.senses) {
            if (sense.pos == PartOfSpeech::Verb)
                lexicon.verbs.insert(entry.headword);
            else if (sense.pos == PartOfSpeech::Noun)
                lexicon.nouns.insert(entry.headword);
        }
    }
    for (const SynonymSelection::WordRow &row : selection.rows)
        lexicon.headwords.insert(row.headword);
    lexicon.familiarity = [&](const QString &w) {
        return counts.totalFamiliarity(w);
    };
    lexicon.familiarityAs = [&](const QString &w, PartOfSpeech pos) {
        return counts.familiarity(w, pos);
    };
    const std::optional<quint32> person = index.nounSynsetWith({u"person"_s, u"individual"_s});
    lexicon.namesPerson = [&](const QString &w) {
        if (!person)
            return false;
        QList<quint32> todo = index.synsetsOf(PartOfSpeech::Noun, w);
        QSet<quint32> seen;
        while (!todo.isEmpty()) {
            const quint32 synset = todo.takeLast();
            if (synset == *person)
                return true;
            if (!seen.contains(synset)) {
                seen.insert(synset);
                todo << index.hypernyms(PartOfSpeech::Noun, synset);
            }
        }
        return false;
    };
    const IrregularForms::TableResult own = IrregularForms::readTable(options->irregular);
    if (!own.error.isEmpty())
        return fail(own.error);
    const QDir exceptionsDir(options->exceptionsDir);
    const IrregularForms::ExceptionList verbExc =
        IrregularForms::readExceptions(exceptionsDir.filePath(u"verb.exc"_s));
    const IrregularForms::ExceptionList nounExc =
        IrregularForms::readExceptions(exceptionsDir.filePath(u"noun.exc"_s));
    if (!verbExc.error.isEmpty())
        return fail(verbExc.error);
    if (!nounExc.error.isEmpty())
        return fail(nounExc.error);
    IrregularForms::GenerateStats verbStats;
    IrregularForms::GenerateStats nounStats;
    const QList<IrregularForms::Row> fromVerbs =
        IrregularForms::fromVerbExceptions(verbExc, own.rows, lexicon, &verbStats);
    const QList<IrregularForms::Row> fromNouns =
        IrregularForms::fromNounExceptions(nounExc, lexicon, &nounStats);
    const QList<IrregularForms::Row> compounds =
        IrregularForms::compoundPlurals(own.rows, lexicon, &nounStats);
    QSet<QString> ownWords;
    QList<IrregularForms::Row> irregular =
        IrregularForms::merge(own.rows, {fromVerbs, fromNouns, compounds}, &ownWords);
    const int regularFields = IrregularForms::addMisreadRegularForms(&irregular, own.rows, lexicon);
    const QStringList wordsOfTheirOwn =
        IrregularForms::markWordsOfTheirOwn(&irregular, lexicon, functionWords.words, ownWords);
    // Our own table must be read back exactly; variants from WordNet's lists
    // that hide in a longer form (hallah: "hallot" in "challoth") are only
    // reported.
    QStringList hiddenForms;
    for (const IrregularForms::Row &row : irregular) {
        const QStringList unreadable = IrregularForms::unreadableForms(row);
        if (unreadable.isEmpty())
            continue;
        const QString what = u"%1 (%2)"_s.arg(row.base, unreadable.join(u", "_s));
        const bool ownRow = std::any_of(own.rows.cbegin(), own.rows.cend(),
                                        [&](const auto &r) { return r.base == row.base; });
        if (ownRow)
            return fail(u"IR row of %1: the lookup would misread these forms"_s.arg(what));
        hiddenForms << what;
    }

    DictionaryWriter writer(options->out);
    if (!writer.open(&error))
        return fail(error);
    QMap<QString, int> rowsPerTable;
    for (const SynonymSelection::WordRow &row : selection.rows) {
        QString synonyms = row.synonyms.join(u',');
        if (!options->plain)
            StoreScrambler::apply(synonyms);
        const QString table = DictionaryWriter::tableFor(row.headword);
        if (!writer.addWord(table, row.headword, PartsOfSpeech::typeName(row.pos), synonyms,
                            &error) ||
            !writer.addMainSense(row.headword, PartsOfSpeech::typeName(row.pos), row.mainSense,
                                 &error))
            return fail(error);
        ++rowsPerTable[table];
    }
    for (const IrregularForms::Row &row : irregular)
        if (!writer.addIrregular(row.base, IrregularForms::regularText(row), &error))
            return fail(error);
    for (const auto &[reason, count] : buildReport(selection, thesaurus.entries.size()))
        if (!writer.addReport(reason, count, &error))
            return fail(error);
    if (!writer.commit(&error))
        return fail(error);

    const SynonymSelection::Stats &stats = selection.stats;
    print(u"Wrote %1 (%2 synonyms)"_s.arg(QDir::toNativeSeparators(options->out),
                                          options->plain ? u"plain"_s : u"scrambled"_s));
    QStringList perTable;
    for (const QString &table : DictionarySchema::wordTables())
        perTable << u"%1 %2"_s.arg(table).arg(rowsPerTable.value(table));
    print(u"Word rows: %1 for %2 headwords read (%3)"_s.arg(selection.rows.size())
              .arg(thesaurus.entries.size())
              .arg(perTable.join(u", "_s)));
    for (auto it = stats.skippedHeadwords.cbegin(); it != stats.skippedHeadwords.cend(); ++it)
        print(u"Headwords skipped, %1: %2"_s.arg(it.key()).arg(it.value()));
    print(u"Senses left out: %1 of names or symbols, %2 rare; sense lines of unknown part of "
          u"speech: %3"_s.arg(stats.droppedNameSenses)
              .arg(stats.droppedRareSenses)
              .arg(thesaurus.unknownPosSenses));
    print(u"Synonyms left out: %1 with a comma or forbidden character, %2 binomial names, "
          u"%3 words of related terms; %4 rows cut to length"_s.arg(stats.droppedInvalidSynonyms)
              .arg(stats.droppedTaxonomicNames)
              .arg(stats.droppedRelatedWords)
              .arg(stats.truncatedRows));
    for (auto it = stats.droppedRows.cbegin(); it != stats.droppedRows.cend(); ++it)
        print(u"Rows left out, %1: %2"_s.arg(it.key()).arg(it.value()));
    for (auto it = stats.droppedSenses.cbegin(); it != stats.droppedSenses.cend(); ++it)
        print(u"Senses left out, %1: %2"_s.arg(it.key()).arg(it.value()));
    for (auto it = stats.droppedSynonyms.cbegin(); it != stats.droppedSynonyms.cend(); ++it)
        print(u"Synonyms left out, %1: %2"_s.arg(it.key()).arg(it.value()));
    print(
        u"Senses given close terms: %1; rows led by hand-picked words: %2"_s.arg(stats.liftedSenses)
            .arg(stats.supplementedRows));
    print(u"IR rows: %1 (%2 own, %3 bases from verb.exc, %4 from noun.exc, %5 compound "
          u"nouns)"_s.arg(irregular.size())
              .arg(own.rows.size())
              .arg(fromVerbs.size())
              .arg(fromNouns.size())
              .arg(compounds.size()));
    print(u"IR fields of regular forms the lookup would misread: %1"_s.arg(regularFields));
    print(u"IR words read as themselves: %1 (%2)"_s.arg(wordsOfTheirOwn.size())
              .arg(wordsOfTheirOwn.join(u", "_s)));
    if (!hiddenForms.isEmpty())
        print(u"IR forms the lookup cannot find: %1"_s.arg(hiddenForms.join(u"; "_s)));
    for (const auto &[name, s] : {std::pair{u"verb.exc"_s, verbStats}, {u"noun.exc"_s, nounStats}})
        print(u"%1: %2 forms used, %3 regular, %4 of unknown lemmas, %5 phrases, %6 variants, "
              u"%7 after the regular form, %8 bases that bend like an own word"_s.arg(name)
                  .arg(s.usedForms)
                  .arg(s.regularForms)
                  .arg(s.unknownLemmas)
                  .arg(s.phrases)
                  .arg(s.variants)
                  .arg(s.laterForms)
                  .arg(s.compounds));
    print(u"Time: %1 ms"_s.arg(timer.elapsed()));
    return 0;
}
