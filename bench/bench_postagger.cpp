// Part-of-speech tagger speed on the shipped model: loading it, and tagging
// articles of 1,000 and 10,000 words (generated everyday English, and the
// licence texts every Debian system has for varied real prose).
#include "benchutil.h"
#include "engine/postagger.h"
#include "engine/postagtokenizer.h"
#include "engine/scanner.h"
#include "testutil.h"

#include <QFile>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString modelPath()
{
    return QStringLiteral(REWORDIX_BIN_DIR) + u"/tagger.model"_s;
}

const PosTagger *tagger()
{
    return TestUtil::shippedTagger();
}

// The first words of the licence texts, cut at a word's end.
QString licenceText(int words)
{
    const QString text = BenchUtil::licenceText();
    const QList<WordSpan> spans = Scanner::allWords(text);
    if (spans.size() < words)
        return {};
    return text.left(spans[words - 1].end);
}

void tagText(benchmark::State &state, const QString &article)
{
    if (!tagger()) {
        state.SkipWithError("no tagger.model in the build");
        return;
    }
    if (article.isEmpty()) {
        state.SkipWithError("no article text");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(tagger()->tagText(article));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_TagGeneratedArticle(benchmark::State &state)
{
    tagText(state, TestUtil::generatedArticle(int(state.range(0)), 4242));
}
BENCHMARK(BM_TagGeneratedArticle)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_TagLicenceText(benchmark::State &state)
{
    tagText(state, licenceText(int(state.range(0))));
}
BENCHMARK(BM_TagLicenceText)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_TokenizeLicenceText(benchmark::State &state)
{
    const QString text = licenceText(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(PosTokenizer::sentences(text));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TokenizeLicenceText)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_LoadModel(benchmark::State &state)
{
    if (!QFile::exists(modelPath())) {
        state.SkipWithError("no tagger.model in the build");
        return;
    }
    for (auto _ : state) {
        QString error;
        benchmark::DoNotOptimize(PosTagger::load(modelPath(), &error));
    }
}
BENCHMARK(BM_LoadModel)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
