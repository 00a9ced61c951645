// resolve's work per article on a 1,000-word spintax template with about 450
// groups of 2-5 alternatives: the distinct choice sequence, then the text.
#include "engine/autorewrite.h"
#include "engine/spintax.h"

#include <QRandomGenerator>
#include <QStringList>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const Spintax::Template &templateOf1000Words()
{
    static const Spintax::Template spin = [] {
        const QStringList words =
            u"quick fast rapid swift big large huge vast small little house home car auto road "
            u"street walk stroll go move make build people folks children kids teachers weather "
            u"climate city town friends pals projects plans growth health times change key an a "
            u"owl hour apple"_s.split(u' ');
        QRandomGenerator random(2);
        auto word = [&] {
            return words[random.bounded(int(words.size()))];
        };
        QString text;
        for (int i = 1; i <= 1000; ++i) {
            if (random.bounded(100) < 45) {
                QStringList alternatives;
                for (int k = random.bounded(2, 6); k > 0; --k)
                    alternatives << (random.bounded(3) == 0 ? word() + u' ' + word() : word());
                text += u'{' + alternatives.join(u'|') + u'}';
            } else {
                text += word();
            }
            text += i % 15 == 0 ? u".\n"_s : u" "_s;
        }
        return *Spintax::parse(text);
    }();
    return spin;
}

// With the near-twin window full, as it is after the first 1,000 articles.
void BM_SpintaxArticle(benchmark::State &state)
{
    const Spintax::Template &spin = templateOf1000Words();
    SignatureSource signatures(
        Spintax::alternativeCounts(spin), [] { return 1u; }, 0,
        [&](QList<int> &signature) { Spintax::canonicalise(spin, signature); });
    int article = 1;
    for (; article <= int(SignatureSource::TwinWindow); ++article)
        benchmark::DoNotOptimize(signatures.next(article));
    for (auto _ : state) {
        const QList<int> signature = signatures.next(article++);
        if (state.range(0) != 0)
            benchmark::DoNotOptimize(Spintax::resolve(spin, signature));
    }
    state.counters["groups"] = double(spin.groups.size());
}
BENCHMARK(BM_SpintaxArticle)->ArgName("text")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_SpintaxResolve(benchmark::State &state)
{
    const Spintax::Template &spin = templateOf1000Words();
    QList<int> signature(spin.groups.size(), 1);
    int round = 0;
    for (auto _ : state) {
        signature[round++ % signature.size()] = 2;
        benchmark::DoNotOptimize(Spintax::resolve(spin, signature));
    }
}
BENCHMARK(BM_SpintaxResolve)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
