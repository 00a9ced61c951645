// Engine speed: Search Phrase on long articles, template resolution and the
// whole auto-rewrite with its files, on the shipped dictionary when the build
// made one and on a small hand-made dictionary otherwise.
#include "benchutil.h"
#include "engine/analysis.h"
#include "engine/autorewrite.h"
#include "engine/jobcontrol.h"
#include "engine/scanner.h"
#include "engine/statistics.h"
#include "engine/wordcontext.h"
#include "rtf/rtfwriter.h"
#include "testutil.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString sampleText()
{
    QString text;
    for (const QString &name : {u"garden.txt"_s, u"remote.txt"_s, u"citywalk.txt"_s}) {
        QFile file(TestUtil::testDataPath(u"engine/"_s + name));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll()) + u'\n';
    }
    return text;
}

// The sample articles repeated and cut after the given number of words.
QString articleOf(int words)
{
    const QString samples = sampleText();
    if (samples.isEmpty())
        return {};
    QString text;
    int count = 0;
    while (count < words) {
        const QList<WordSpan> spans = Scanner::allWords(samples);
        for (const WordSpan &w : spans) {
            if (++count == words) {
                text += QStringView(samples).left(w.end);
                return text;
            }
        }
        text += samples;
    }
    return text;
}

Dictionary *testDictionary()
{
    static QTemporaryDir dir;
    static std::unique_ptr<Dictionary> dictionary = EngineTest::openDictionary(dir);
    return dictionary.get();
}

Dictionary *dictionaryFor(benchmark::State &state, bool real)
{
    if (real)
        return BenchUtil::realDictionary(state);
    Dictionary *d = testDictionary();
    if (!d)
        state.SkipWithError("no test dictionary");
    return d;
}

void BM_Scanner(benchmark::State &state)
{
    const QString article = articleOf(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(Scanner::allWords(article));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Scanner)->Arg(10000);

void BM_FrequencySummary(benchmark::State &state)
{
    const QString article = articleOf(int(state.range(0)));
    QString store;
    for (const WordSpan &w : Scanner::allWords(article))
        store += u'[' + QString::number(w.start) + u',' + QString::number(w.end) + u']' + w.text +
                 u"()\r\n"_s;
    for (auto _ : state)
        benchmark::DoNotOptimize(Statistics::frequencySummary(store));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FrequencySummary)->Arg(10000);

// Search Phrase: normalise, tag, merge, clean up, write temp.dat.
void analysis(benchmark::State &state, bool real)
{
    Dictionary *dictionary = dictionaryFor(state, real);
    if (!dictionary)
        return;
    QTemporaryDir work;
    AnalysisParams params;
    params.article = articleOf(int(state.range(0)));
    params.storePath = work.filePath(u"temp.dat"_s);
    params.replacedStorePath = work.filePath(u"replacedtemp.dat"_s);
    for (auto _ : state) {
        JobControl control;
        const AnalysisResult result = Analysis::runAnalysis(params, *dictionary, control);
        if (result.status != AnalysisStatus::Finished)
            state.SkipWithError("analysis failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
void BM_AnalysisRealDictionary(benchmark::State &state)
{
    analysis(state, true);
}
void BM_AnalysisTestDictionary(benchmark::State &state)
{
    analysis(state, false);
}
BENCHMARK(BM_AnalysisRealDictionary)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Search Phrase on the licence texts, on a dictionary opened afresh each time
// (no statement or page cache of an earlier run).
void BM_AnalysisLicenceTextsColdDictionary(benchmark::State &state)
{
    if (!BenchUtil::realDictionary(state))
        return;
    QTemporaryDir work;
    AnalysisParams params;
    params.article = BenchUtil::licenceText();
    if (params.article.isEmpty()) {
        state.SkipWithError("no licence texts");
        return;
    }
    params.storePath = work.filePath(u"temp.dat"_s);
    params.replacedStorePath = work.filePath(u"replacedtemp.dat"_s);
    for (auto _ : state) {
        QString error;
        auto dictionary = Dictionary::open(EngineTest::realDictionaryPath(), true, false, &error);
        JobControl control;
        const AnalysisResult result = Analysis::runAnalysis(params, *dictionary, control);
        state.counters["words"] = result.wordsAmount;
    }
}
BENCHMARK(BM_AnalysisLicenceTextsColdDictionary)->Unit(benchmark::kMillisecond);

const PosTagger *shippedTagger()
{
    static const std::unique_ptr<PosTagger> tagger = [] {
        QString error;
        return PosTagger::load(QStringLiteral(REWORDIX_BIN_DIR "/tagger.model"), &error);
    }();
    return tagger.get();
}

// What the rewrite adds to the analysis: every word's part of speech in its
// sentence and the protected spans, on range(0) words.
void BM_ArticleContext(benchmark::State &state)
{
    const PosTagger *tagger = shippedTagger();
    if (!tagger) {
        state.SkipWithError("no tagger.model in the build");
        return;
    }
    const QString article = articleOf(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(WordContext::analyse(article, tagger, true));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ArticleContext)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalysisTestDictionary)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole auto-rewrite of an article of range(0) words into range(1)
// articles at General, files included.
void autoRewrite(benchmark::State &state, bool real)
{
    Dictionary *dictionary = dictionaryFor(state, real);
    if (!dictionary)
        return;
    QTemporaryDir work;
    AutoRewriteParams params;
    params.article = articleOf(int(state.range(0)));
    params.degree = AutoRewrite::General;
    params.requestedCount = int(state.range(1));
    params.storePath = work.filePath(u"temp.dat"_s);
    params.replacedStorePath = work.filePath(u"replacedtemp.dat"_s);
    params.articlesDir = work.filePath(u"temp"_s);
    params.tagger = shippedTagger();
    for (auto _ : state) {
        JobControl control;
        const AutoRewriteResult result = AutoRewrite::runAutoRewrite(params, *dictionary, control);
        if (result.status != AutoRewriteStatus::Finished ||
            result.generated != params.requestedCount)
            state.SkipWithError("generation failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(1));
}
void BM_AutoRewriteRealDictionary(benchmark::State &state)
{
    autoRewrite(state, true);
}
void BM_AutoRewriteTestDictionary(benchmark::State &state)
{
    autoRewrite(state, false);
}
BENCHMARK(BM_AutoRewriteRealDictionary)
    ->Args({1000, 1000})
    ->Args({10000, 100})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_AutoRewriteTestDictionary)
    ->Args({1000, 1000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// One article of a 1,000-word template without the file: choose, resolve,
// colour, write the RTF text.
void BM_ResolveArticle(benchmark::State &state)
{
    Dictionary *dictionary = dictionaryFor(state, true);
    if (!dictionary)
        return;
    QTemporaryDir work;
    const QString article =
        AutoRewrite::escapeMarks(Analysis::normaliseArticleText(articleOf(1000)));
    JobControl control;
    const PassOutcome tagged = Analysis::taggingPassText(article, {}, *dictionary, control);
    const MergeOutcome merged =
        Analysis::phraseMergePass(tagged.store, article, *dictionary, control, false);
    const QString expanded =
        *AutoRewrite::expandAlternatives(merged.store, AutoRewrite::General, *dictionary);
    const SpinTemplate spin =
        AutoRewrite::buildSpinTemplate(article, expanded, AutoRewrite::General);
    const ParsedTemplate parsed = *AutoRewrite::parseTemplate(spin.text, spin.records);
    QList<int> signature(parsed.groups.size());
    quint32 seed = 1;
    for (auto _ : state) {
        for (qsizetype g = 0; g < signature.size(); ++g)
            signature[g] =
                AutoRewrite::seededRand(seed++) % int(parsed.groups[g].alternatives.size()) + 1;
        const QString resolved = AutoRewrite::resolveTemplate(parsed, signature);
        const RtfDocument document = AutoRewrite::colourReplaced(resolved, ArticleFormat());
        benchmark::DoNotOptimize(Rtf::write(document));
    }
    state.counters["groups"] = double(parsed.groups.size());
}
BENCHMARK(BM_ResolveArticle)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
