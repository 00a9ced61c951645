#pragma once

#include "engine/postagger.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <memory>
#include <optional>
#include <span>
#include <vector>

// A set of 64-bit keys that are already well mixed (hashes): open addressing,
// linear probing. Built once, then read only; its arrays are its own or, in
// a loaded model, the file's.
class PosKeySet
{
public:
    PosKeySet() = default;
    PosKeySet(const PosKeySet &other) { *this = other; }
    PosKeySet &operator=(const PosKeySet &other);
    PosKeySet(PosKeySet &&) = default;
    PosKeySet &operator=(PosKeySet &&) = default;

    // Keys must be distinct.
    void build(std::vector<quint64> keys);
    // The set build made, laid out elsewhere: slots hold a key's index + 1,
    // 0 when free; their count is a power of two greater than the keys'.
    // Both arrays must outlive the set.
    void view(std::span<const quint64> keys, std::span<const quint32> slots);
    // The key's position in the order given to build, -1 when absent.
    [[nodiscard]] qsizetype find(quint64 key) const;
    [[nodiscard]] bool contains(quint64 key) const { return find(key) >= 0; }
    [[nodiscard]] std::span<const quint64> keys() const { return m_keys; }
    [[nodiscard]] std::span<const quint32> slots() const { return m_slots; }
    [[nodiscard]] qsizetype size() const { return qsizetype(m_keys.size()); }

    // The slot count build chooses for count keys.
    [[nodiscard]] static size_t slotCountFor(size_t count);
    // Whether slots can serve as the table of count keys: sized as view
    // asks, every index in range, and a free slot to end each search.
    [[nodiscard]] static bool validSlots(std::span<const quint32> slots, size_t count);

private:
    std::vector<quint64> m_ownKeys;
    std::vector<quint32> m_ownSlots;
    std::span<const quint64> m_keys;
    std::span<const quint32> m_slots;
};

// The tagger's features. A feature is a template (which property of which
// token) and a value; its key is a 64-bit hash of both, so the model stores
// no text. Training and tagging call the same functions, which is what keeps
// a model valid: changing a key or a template means a new model version.
namespace PosFeatures {

// Tag codes of the two padding positions before a sentence.
inline constexpr int startTag = posTagCount;
inline constexpr int start2Tag = posTagCount + 1;

inline constexpr int staticCount = 14; // features of the words alone
inline constexpr int dynamicCount = 4; // features that involve previous tags
inline constexpr int count = staticCount + dynamicCount;

// FNV-1a over the UTF-16 code units: stable across machines and runs.
[[nodiscard]] quint64 stringHash(QStringView s);

// A token in the corpus's spelling: curly apostrophes and quotes, dashes and
// the ellipsis character become the corpus's ASCII forms. A straight double
// quote becomes `` when opening, '' otherwise.
[[nodiscard]] QString corpusForm(QStringView token, bool openingQuote);

// What the features need of one token, hashed once per sentence.
struct TokenInfo
{
    quint64 word = 0; // lower case; numbers folded into !YEAR and !DIGITS
    quint64 suffix1 = 0;
    quint64 suffix2 = 0;
    quint64 suffix3 = 0;
    quint64 prefix1 = 0; // first character, case kept
    quint64 shape = 0;   // case, digits, hyphen, lower-case form known, sentence start
};

// The tokens of a sentence with two padding tokens on each side, so that
// index i + 2 is token i. lowercase holds the hashes of the words the
// training corpus has in lower case: a capitalised word whose lower-case form
// it lacks is likely a name ("Google" as against "Water").
[[nodiscard]] std::vector<TokenInfo> sentenceInfo(const QStringList &forms,
                                                  const PosKeySet &lowercase);

// The keys of token i (0-based) that depend on the words only.
void staticKeys(const std::vector<TokenInfo> &info, qsizetype i, quint64 *keys);
// The keys that depend on the two previous tags (tag codes: a PosTag value,
// startTag or start2Tag).
void dynamicKeys(const std::vector<TokenInfo> &info, qsizetype i, int prev, int prev2,
                 quint64 *keys);

} // namespace PosFeatures

// The learned data: for each feature key a few (tag, weight) pairs, the tag
// dictionary of frequent unambiguous words and the lower-case vocabulary.
// Built once (by the trainer), or read in place from a model file; then read
// only. Movable, not copyable: its tables point into its own storage.
class PosModel
{
public:
    struct Weight
    {
        quint8 tag;
        float value;
    };

    PosModel() = default;
    PosModel(PosModel &&) = default;
    PosModel &operator=(PosModel &&) = default;

    // Building (the trainer). Keys must be distinct.
    void addFeature(quint64 key, const std::vector<Weight> &weights);
    void addDictionaryWord(quint64 formKey, PosTag tag);
    void setLowercase(PosKeySet words) { m_lowercase = std::move(words); }
    void finish(); // builds the lookup tables; call after the last add

    // Adds the feature's weights into scores (posTagCount floats).
    void addScores(quint64 key, float *scores) const
    {
        const qsizetype f = m_features.find(key);
        if (f < 0)
            return;
        for (quint32 w = m_first[f]; w < m_first[f + 1]; ++w)
            scores[m_weightTags[w]] += m_weightValues[w];
    }
    [[nodiscard]] std::optional<PosTag> dictionaryTag(quint64 formKey) const;
    [[nodiscard]] const PosKeySet &lowercase() const { return m_lowercase; }

    [[nodiscard]] qsizetype featureCount() const { return m_features.size(); }
    [[nodiscard]] qsizetype weightCount() const { return qsizetype(m_weightValues.size()); }
    [[nodiscard]] qsizetype dictionarySize() const { return m_dictionary.size(); }

    // The model file: see postagmodel.cpp for the layout.
    [[nodiscard]] QByteArray serialize() const;
    // Reads a model file's bytes in place: the tables point into them, so
    // storage must keep them alive (bytes not 8-byte aligned are copied).
    // Checks the header, every count, index and tag and the checksum; a
    // damaged file gives nullopt and the reason in error, never a crash.
    static std::optional<PosModel> parse(QByteArrayView bytes, std::shared_ptr<const void> storage,
                                         QString *error);
    // The same from bytes of its own.
    static std::optional<PosModel> parse(const QByteArray &bytes, QString *error);

private:
    // While building: the keys until finish, and the arrays the views show.
    std::vector<quint64> m_featureKeys;
    std::vector<quint64> m_dictionaryKeys;
    std::vector<quint32> m_ownFirst;
    std::vector<float> m_ownValues;
    std::vector<quint8> m_ownWeightTags;
    std::vector<quint8> m_ownDictionaryTags;
    // A loaded model's file.
    std::shared_ptr<const void> m_storage;

    PosKeySet m_features;
    std::span<const quint32> m_first; // per feature: its first weight, and one past the last
    std::span<const float> m_weightValues;
    std::span<const quint8> m_weightTags;
    PosKeySet m_dictionary;
    std::span<const quint8> m_dictionaryTags; // PosTag values
    PosKeySet m_lowercase;
};
