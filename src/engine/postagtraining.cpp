#include "engine/postagtraining.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <unordered_map>

namespace {

// Averaged weights smaller than this change no decision and are dropped.
constexpr double minWeight = 0.0005;

// The perceptron during training. Weights are kept per feature as the few
// tags ever updated; averaging is lazy: total holds weight × steps up to
// stamp, and is brought forward when the weight next changes.
class Perceptron
{
public:
    quint32 intern(quint64 key)
    {
        const auto [it, inserted] = m_index.try_emplace(key, quint32(m_keys.size()));
        if (inserted) {
            m_keys.push_back(key);
            m_rows.emplace_back();
        }
        return it->second;
    }

    PosTag predict(const quint32 *features, int count) const
    {
        std::array<float, posTagCount> scores{};
        for (int i = 0; i < count; ++i) {
            for (const Entry &e : m_rows[features[i]])
                scores[e.tag] += e.weight;
        }
        return PosTag(std::max_element(scores.begin(), scores.end()) - scores.begin());
    }

    void update(PosTag truth, PosTag guess, const quint32 *features, int count)
    {
        ++m_step;
        if (truth == guess)
            return;
        for (int i = 0; i < count; ++i) {
            add(m_rows[features[i]], quint8(truth), 1.0f);
            add(m_rows[features[i]], quint8(guess), -1.0f);
        }
    }

    // The averaged weights in key order, so the file is the same for the same
    // training whatever the hash tables' order.
    void averageInto(PosModel &model) const
    {
        std::vector<quint32> order(m_keys.size());
        for (quint32 i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(),
                  [this](quint32 a, quint32 b) { return m_keys[a] < m_keys[b]; });
        std::vector<PosModel::Weight> weights;
        for (quint32 f : order) {
            weights.clear();
            std::vector<Entry> row = m_rows[f];
            std::sort(row.begin(), row.end(),
                      [](const Entry &a, const Entry &b) { return a.tag < b.tag; });
            for (const Entry &e : row) {
                const double total = e.total + double(m_step - e.stamp) * e.weight;
                const double average = m_step > 0 ? total / m_step : 0.0;
                if (std::abs(average) >= minWeight)
                    weights.push_back({e.tag, float(average)});
            }
            if (!weights.empty())
                model.addFeature(m_keys[f], weights);
        }
    }

private:
    struct Entry
    {
        quint8 tag;
        float weight;
        double total;
        quint32 stamp;
    };

    void add(std::vector<Entry> &row, quint8 tag, float delta)
    {
        auto it =
            std::find_if(row.begin(), row.end(), [tag](const Entry &e) { return e.tag == tag; });
        if (it == row.end()) {
            row.push_back({tag, 0.0f, 0.0, m_step});
            it = row.end() - 1;
        }
        it->total += double(m_step - it->stamp) * it->weight;
        it->stamp = m_step;
        it->weight += delta;
    }

    std::unordered_map<quint64, quint32> m_index;
    std::vector<quint64> m_keys;
    std::vector<std::vector<Entry>> m_rows;
    quint32 m_step = 0;
};

QHash<QString, PosTag> tagDictionary(const QList<PosTraining::Sentence> &sentences,
                                     const PosTraining::Options &options)
{
    QHash<QString, std::array<int, posTagCount>> counts;
    for (const PosTraining::Sentence &s : sentences) {
        for (qsizetype i = 0; i < s.words.size(); ++i) {
            auto it = counts.find(s.words[i]);
            if (it == counts.end())
                it = counts.insert(s.words[i], {});
            ++(*it)[size_t(s.tags[i])];
        }
    }
    QHash<QString, PosTag> dictionary;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const auto &c = it.value();
        int total = 0;
        for (int n : c)
            total += n;
        const auto best = std::max_element(c.begin(), c.end());
        if (total >= options.dictionaryMinCount && *best >= options.dictionaryMinShare * total) {
            dictionary.insert(it.key(), PosTag(best - c.begin()));
        }
    }
    return dictionary;
}

// The words the corpus writes in lower case (with at least one letter).
PosKeySet lowercaseWords(const QList<PosTraining::Sentence> &sentences)
{
    std::vector<quint64> keys;
    for (const PosTraining::Sentence &s : sentences) {
        for (const QString &word : s.words) {
            if (std::any_of(word.begin(), word.end(), [](QChar c) { return c.isLower(); }) &&
                word == word.toLower()) {
                keys.push_back(PosFeatures::stringHash(word));
            }
        }
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    PosKeySet set;
    set.build(std::move(keys));
    return set;
}

} // namespace

PosModel PosTraining::train(const QList<Sentence> &sentences, const Options &options,
                            const IterationReport &report)
{
    PosModel model;
    const QHash<QString, PosTag> dictionary = tagDictionary(sentences, options);
    const PosKeySet lowercase = lowercaseWords(sentences);

    // The word features never change: look them up once. Tokens the
    // dictionary tags need none; -1 marks them.
    Perceptron perceptron;
    std::vector<qsizetype> firstToken(size_t(sentences.size()) + 1, 0);
    std::vector<qint32> dictionaryTags;
    std::vector<quint32> staticFeatures;
    std::array<quint64, PosFeatures::count> keys{};
    for (qsizetype s = 0; s < sentences.size(); ++s) {
        const Sentence &sentence = sentences[s];
        const std::vector<PosFeatures::TokenInfo> info =
            PosFeatures::sentenceInfo(sentence.words, lowercase);
        for (qsizetype i = 0; i < sentence.words.size(); ++i) {
            const auto known = dictionary.constFind(sentence.words[i]);
            dictionaryTags.push_back(known == dictionary.cend() ? -1 : qint32(*known));
            PosFeatures::staticKeys(info, i, keys.data());
            for (int k = 0; k < PosFeatures::staticCount; ++k)
                staticFeatures.push_back(known == dictionary.cend() ? perceptron.intern(keys[k])
                                                                    : 0);
        }
        firstToken[size_t(s) + 1] = firstToken[size_t(s)] + sentence.words.size();
    }

    std::vector<qsizetype> order(size_t(sentences.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = qsizetype(i);
    std::mt19937 random(options.seed);
    std::array<quint32, PosFeatures::count> features{};
    for (int iteration = 1; iteration <= options.iterations; ++iteration) {
        // Fisher-Yates by hand: std::shuffle's use of the generator differs
        // between standard libraries.
        for (size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[random() % i]);
        qint64 correct = 0;
        qint64 total = 0;
        for (qsizetype s : order) {
            const Sentence &sentence = sentences[s];
            const std::vector<PosFeatures::TokenInfo> info =
                PosFeatures::sentenceInfo(sentence.words, lowercase);
            int prev = PosFeatures::startTag;
            int prev2 = PosFeatures::start2Tag;
            for (qsizetype i = 0; i < sentence.words.size(); ++i) {
                const size_t token = size_t(firstToken[size_t(s)] + i);
                PosTag guess;
                if (dictionaryTags[token] >= 0) {
                    guess = PosTag(dictionaryTags[token]);
                } else {
                    std::copy_n(staticFeatures.begin() +
                                    qsizetype(token) * PosFeatures::staticCount,
                                PosFeatures::staticCount, features.begin());
                    PosFeatures::dynamicKeys(info, i, prev, prev2, keys.data());
                    for (int k = 0; k < PosFeatures::dynamicCount; ++k)
                        features[size_t(PosFeatures::staticCount + k)] =
                            perceptron.intern(keys[size_t(k)]);
                    guess = perceptron.predict(features.data(), PosFeatures::count);
                    perceptron.update(sentence.tags[i], guess, features.data(), PosFeatures::count);
                }
                correct += guess == sentence.tags[i];
                ++total;
                prev2 = prev;
                prev = int(guess);
            }
        }
        if (report)
            report(iteration, total > 0 ? double(correct) / double(total) : 0.0);
    }

    perceptron.averageInto(model);
    model.setLowercase(lowercase);
    QList<QString> words = dictionary.keys();
    std::vector<std::pair<quint64, PosTag>> entries;
    for (const QString &word : words)
        entries.emplace_back(PosFeatures::stringHash(word), dictionary.value(word));
    std::sort(entries.begin(), entries.end());
    for (const auto &[key, tag] : entries)
        model.addDictionaryWord(key, tag);
    model.finish();
    return model;
}
