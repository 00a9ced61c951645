#pragma once

#include "dictionary/dictionary.h"
#include "engine_testutil.h"

#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>
#include <memory>

// Inputs shared by the benchmark programs.
namespace BenchUtil {

// About 12,600 words of varied real English prose (1,700 distinct) that every
// Debian system has: the common licence texts.
inline QString licenceText()
{
    QString text;
    for (const char *name : {"GPL-3", "Apache-2.0", "MPL-2.0", "GPL-2"}) {
        QFile file(QStringLiteral("/usr/share/common-licenses/") + QString::fromLatin1(name));
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

// The dictionary the build made, opened once; null (and the benchmark marked
// skipped) when there is none.
inline Dictionary *realDictionary(benchmark::State &state)
{
    static const std::unique_ptr<Dictionary> dictionary = [] {
        QString error;
        const QString path = EngineTest::realDictionaryPath();
        return QFile::exists(path) ? Dictionary::open(path, true, false, &error) : nullptr;
    }();
    if (!dictionary)
        state.SkipWithError("no SysFuns.dll in the build");
    return dictionary.get();
}

// Runs use(item) over every item in each iteration, counting items.
template<typename Items, typename Use>
void forEachItem(benchmark::State &state, const Items &items, Use use)
{
    for (auto _ : state) {
        for (const auto &item : items)
            benchmark::DoNotOptimize(use(item));
    }
    state.SetItemsProcessed(state.iterations() * qsizetype(items.size()));
}

} // namespace BenchUtil
