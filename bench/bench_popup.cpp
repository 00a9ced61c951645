// Speed of the synonym popup's filling on a 5,000-word analysed article: the
// first opening of a word (lookup, list built, cached in temp.dat) and later
// ones (the cached list read back), on the shipped dictionary when the build
// made one and on a small hand-made dictionary otherwise; and the reading of
// the clicked word's part of speech.
#include "benchutil.h"
#include "engine/analysis.h"
#include "engine/jobcontrol.h"
#include "engine/popuplist.h"
#include "engine/store.h"
#include "engine/wordcontext.h"
#include "testutil.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<Dictionary> dictionary;
    QString storePath;
    QString analysedStore; // temp.dat as Search Phrase left it
    QStringList words;     // the words to open, from the middle of the article

    auto open(const QString &word) const
    {
        return PopupList::fill(word, dictionary.get(), storePath, true);
    }
};

Fixture *fixture()
{
    static std::unique_ptr<Fixture> f = [] {
        auto made = std::make_unique<Fixture>();
        QString error;
        const QString real = EngineTest::realDictionaryPath();
        made->dictionary = QFile::exists(real) ? Dictionary::open(real, true, false, &error)
                                               : EngineTest::openDictionary(made->dir);
        if (!made->dictionary)
            return std::unique_ptr<Fixture>();
        AnalysisParams params;
        params.article = TestUtil::generatedArticle(5000, 4242, false);
        params.storePath = made->dir.filePath(u"temp.dat"_s);
        params.replacedStorePath = made->dir.filePath(u"replacedtemp.dat"_s);
        JobControl control;
        const AnalysisResult result = Analysis::runAnalysis(params, *made->dictionary, control);
        if (result.status != AnalysisStatus::Finished)
            return std::unique_ptr<Fixture>();
        made->storePath = params.storePath;
        made->analysedStore = result.store;
        made->words = {u"weather"_s, u"teachers"_s, u"walked"_s, u"important"_s, u"children"_s};
        return made;
    }();
    return f.get();
}

void BM_PopupFirstOpening(benchmark::State &state)
{
    Fixture *f = fixture();
    if (!f) {
        state.SkipWithError("no dictionary or the analysis failed");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        Store::writeStore(f->storePath, f->analysedStore, true);
        state.ResumeTiming();
        for (const QString &word : std::as_const(f->words))
            benchmark::DoNotOptimize(f->open(word));
    }
    state.SetItemsProcessed(state.iterations() * f->words.size());
}
BENCHMARK(BM_PopupFirstOpening)->Unit(benchmark::kMillisecond);

// The popup's reading of the clicked word's part of speech: the sentence
// around it tagged, at a word in the middle of a 5,000-word article.
void BM_PopupWordType(benchmark::State &state)
{
    QString error;
    const auto tagger =
        PosTagger::load(QStringLiteral(REWORDIX_BIN_DIR) + u"/tagger.model"_s, &error);
    if (!tagger) {
        state.SkipWithError("no tagger.model in the build");
        return;
    }
    const QString article = TestUtil::generatedArticle(5000, 4242, false);
    const qsizetype at = article.indexOf(u' ', article.size() / 2) + 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(WordContext::typeAt(article, at, tagger.get()));
}
BENCHMARK(BM_PopupWordType)->Unit(benchmark::kMicrosecond);

void BM_PopupCachedOpening(benchmark::State &state)
{
    Fixture *f = fixture();
    if (!f) {
        state.SkipWithError("no dictionary or the analysis failed");
        return;
    }
    Store::writeStore(f->storePath, f->analysedStore, true);
    for (const QString &word : std::as_const(f->words))
        (void)f->open(word);
    BenchUtil::forEachItem(state, f->words, [f](const QString &word) { return f->open(word); });
}
BENCHMARK(BM_PopupCachedOpening)->Unit(benchmark::kMillisecond);

void BM_PopupListBuild(benchmark::State &state)
{
    const QString marked = u"<noun>bargain,agreement,pact,contract,arrangement,deal,trade"
                           "<verb>trade,bargain,negotiate,handle,cope<adjective>fair,square"_s;
    for (auto _ : state)
        benchmark::DoNotOptimize(PopupList::build(marked));
}
BENCHMARK(BM_PopupListBuild);

} // namespace

BENCHMARK_MAIN();
