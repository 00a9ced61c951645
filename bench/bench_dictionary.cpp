// Lookup speed on the real dictionary: inflection tags of an article's
// distinct words, phrase status and synonym lists.
#include "benchutil.h"
#include "dictionary/dictionary.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// About 10,000 words of plain English prose.
QStringList articleWords()
{
    static const QStringList words = [] {
        const QString text = BenchUtil::licenceText();
        QStringList list;
        static const QRegularExpression word(u"[A-Za-z0-9$%][A-Za-z0-9$%'\\-:]*"_s);
        for (auto it = word.globalMatch(text); it.hasNext();)
            list << it.next().captured();
        return list.mid(0, 10000);
    }();
    return words;
}

QStringList distinct(const QStringList &words)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &w : words) {
        if (!seen.contains(w)) {
            seen.insert(w);
            out << w;
        }
    }
    return out;
}

void BM_InflectionTag(benchmark::State &state)
{
    Dictionary *d = BenchUtil::realDictionary(state);
    if (!d)
        return;
    const QStringList words = distinct(articleWords());
    BenchUtil::forEachItem(state, words, [d](const QString &w) { return d->inflectionTag(w); });
    state.counters["distinct_words"] = double(words.size());
}
BENCHMARK(BM_InflectionTag)->Unit(benchmark::kMillisecond);

// The phrases the merge pass asks about: each word, and each pair of
// neighbouring words.
void BM_PhraseStatus(benchmark::State &state)
{
    Dictionary *d = BenchUtil::realDictionary(state);
    if (!d)
        return;
    const QStringList words = articleWords();
    QStringList phrases;
    for (qsizetype i = 0; i + 1 < words.size() && phrases.size() < 20000; ++i)
        phrases << words[i] << words[i] + u' ' + words[i + 1];
    BenchUtil::forEachItem(state, phrases, [d](const QString &p) { return d->phraseStatus(p); });
}
BENCHMARK(BM_PhraseStatus)->Unit(benchmark::kMillisecond);

void BM_Synonyms(benchmark::State &state)
{
    Dictionary *d = BenchUtil::realDictionary(state);
    if (!d)
        return;
    BenchUtil::forEachItem(state, distinct(articleWords()),
                           [d](const QString &w) { return d->synonyms(w); });
}
BENCHMARK(BM_Synonyms)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
