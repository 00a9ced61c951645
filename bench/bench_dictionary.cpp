// Lookup speed on the real dictionary: inflection tags of an article's
// distinct words, phrase status and synonym lists.
#include "dictionary/dictionary.h"
#include "testdictionary.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

Dictionary *realDictionary()
{
    static std::unique_ptr<Dictionary> dictionary = [] {
        QString error;
        return Dictionary::open(QStringLiteral(REWORDIX_BIN_DIR) + u"/SysFuns.dll"_s, true, false,
                                &error);
    }();
    return dictionary.get();
}

// About 10,000 words of plain English prose that every Debian system has.
QStringList articleWords()
{
    static const QStringList words = [] {
        QString text;
        for (const char *name : {"GPL-3", "Apache-2.0", "MPL-2.0", "GPL-2"}) {
            QFile f(u"/usr/share/common-licenses/"_s + QString::fromLatin1(name));
            if (f.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(f.readAll());
        }
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
    Dictionary *d = realDictionary();
    if (!d) {
        state.SkipWithError("the real dictionary is not built");
        return;
    }
    const QStringList words = distinct(articleWords());
    for (auto _ : state) {
        for (const QString &w : words)
            benchmark::DoNotOptimize(d->inflectionTag(w));
    }
    state.SetItemsProcessed(state.iterations() * words.size());
    state.counters["distinct_words"] = double(words.size());
}
BENCHMARK(BM_InflectionTag)->Unit(benchmark::kMillisecond);

// The phrases the merge pass asks about: each word, and each pair of
// neighbouring words.
void BM_PhraseStatus(benchmark::State &state)
{
    Dictionary *d = realDictionary();
    if (!d) {
        state.SkipWithError("the real dictionary is not built");
        return;
    }
    const QStringList words = articleWords();
    QStringList phrases;
    for (qsizetype i = 0; i + 1 < words.size() && phrases.size() < 20000; ++i)
        phrases << words[i] << words[i] + u' ' + words[i + 1];
    for (auto _ : state) {
        for (const QString &p : phrases)
            benchmark::DoNotOptimize(d->phraseStatus(p));
    }
    state.SetItemsProcessed(state.iterations() * phrases.size());
}
BENCHMARK(BM_PhraseStatus)->Unit(benchmark::kMillisecond);

void BM_Synonyms(benchmark::State &state)
{
    Dictionary *d = realDictionary();
    if (!d) {
        state.SkipWithError("the real dictionary is not built");
        return;
    }
    const QStringList words = distinct(articleWords());
    for (auto _ : state) {
        for (const QString &w : words)
            benchmark::DoNotOptimize(d->synonyms(w));
    }
    state.SetItemsProcessed(state.iterations() * words.size());
}
BENCHMARK(BM_Synonyms)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
