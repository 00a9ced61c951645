#include "engine/postagmodel.h"

#include <QtEndian>

#define XXH_INLINE_ALL
#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <type_traits>
#include <xxhash.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Feature templates. The numbers are part of the keys, hence of the model.
enum Template : quint64
{
    Bias = 1,
    Word,
    Suffix1,
    Suffix2,
    Suffix3,
    Prefix1,
    Shape,
    PrevWord,
    PrevSuffix3,
    Prev2Word,
    NextWord,
    NextSuffix3,
    Next2Word,
    NextShape,
    PrevTag,
    Prev2Tag,
    PrevTagPrev2Tag,
    PrevTagWord,
};

// splitmix64's finaliser: every bit of the input reaches every bit of the key.
constexpr quint64 mix(quint64 x)
{
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

constexpr quint64 key(Template t, quint64 value)
{
    return mix(value + quint64(t) * 0x9e3779b97f4a7c15ULL);
}

constexpr quint64 fnvOffset = 0xcbf29ce484222325ULL;
constexpr quint64 fnvPrime = 0x100000001b3ULL;

quint64 fnv(quint64 h, const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        h ^= quint8(data[i]);
        h *= fnvPrime;
    }
    return h;
}

// Shape bits: letter case (0 no letters, 1 lower, 2 capitalised, 3 all
// capitals, 4 mixed), 8 a digit, 16 a hyphen, 32 the sentence's first token,
// 64 a word with capitals whose lower-case form the corpus has.
quint64 shapeOf(QStringView form, bool first, const PosKeySet &lowercase)
{
    int upper = 0;
    int lower = 0;
    quint64 bits = first ? 32 : 0;
    for (QChar c : form) {
        if (c.isUpper())
            ++upper;
        else if (c.isLower())
            ++lower;
        else if (c.isDigit())
            bits |= 8;
        else if (c == u'-')
            bits |= 16;
    }
    if (upper == 0)
        bits |= lower > 0 ? 1 : 0;
    else if (lower == 0)
        bits |= upper == 1 && form.size() == 1 ? 2 : 3;
    else
        bits |= form.front().isUpper() && upper == 1 ? 2 : 4;
    if (upper > 0 && lowercase.contains(PosFeatures::stringHash(form.toString().toLower())))
        bits |= 64;
    return bits;
}

QString normalisedWord(QStringView form)
{
    if (form.isEmpty())
        return {};
    if (form.front().isDigit()) {
        const bool year = form.size() == 4 && std::all_of(form.begin(), form.end(),
                                                          [](QChar c) { return c.isDigit(); });
        return year ? u"!YEAR"_s : u"!DIGITS"_s;
    }
    if (form.front() == u'$' && form.size() > 1 && form[1].isDigit())
        return u"!MONEY"_s;
    return form.toString().toLower();
}

PosFeatures::TokenInfo padding(QStringView name)
{
    const quint64 h = PosFeatures::stringHash(name);
    return {h, h, h, h, h, h};
}

} // namespace

quint64 PosFeatures::stringHash(QStringView s)
{
    quint64 h = fnvOffset;
    for (QChar c : s) {
        const char16_t u = c.unicode();
        const char bytes[2] = {char(u & 0xff), char(u >> 8)};
        h = fnv(h, bytes, 2);
    }
    return h;
}

QString PosFeatures::corpusForm(QStringView token, bool openingQuote)
{
    if (token == u"\"")
        return openingQuote ? u"``"_s : u"''"_s;
    QString form;
    form.reserve(token.size());
    for (QChar c : token) {
        switch (c.unicode()) {
        case 0x2018: // ‘ ’ ‛ ′
        case 0x2019:
        case 0x201B:
        case 0x2032:
            form += u'\'';
            break;
        case 0x201C: // “ „
        case 0x201E:
            form += u"``"_s;
            break;
        case 0x201D: // ” ″
        case 0x2033:
            form += u"''"_s;
            break;
        case 0x2013: // – —
        case 0x2014:
            form += u"--"_s;
            break;
        case 0x2026: // …
            form += u"..."_s;
            break;
        case 0x2010: // hyphens
        case 0x2011:
            form += u'-';
            break;
        default:
            form += c;
        }
    }
    return form;
}

std::vector<PosFeatures::TokenInfo> PosFeatures::sentenceInfo(const QStringList &forms,
                                                              const PosKeySet &lowercase)
{
    std::vector<TokenInfo> info;
    info.reserve(forms.size() + 4);
    info.push_back(padding(u"-START-"));
    info.push_back(padding(u"-START2-"));
    for (qsizetype i = 0; i < forms.size(); ++i) {
        const QString &form = forms[i];
        const QString word = normalisedWord(form);
        const QStringView w(word);
        info.push_back({stringHash(w), stringHash(w.right(1)), stringHash(w.right(2)),
                        stringHash(w.right(3)), stringHash(QStringView(form).left(1)),
                        shapeOf(form, i == 0, lowercase)});
    }
    info.push_back(padding(u"-END-"));
    info.push_back(padding(u"-END2-"));
    return info;
}

void PosFeatures::staticKeys(const std::vector<TokenInfo> &info, qsizetype i, quint64 *keys)
{
    const qsizetype k = i + 2;
    const TokenInfo &t = info[k];
    keys[0] = key(Bias, 0);
    keys[1] = key(Word, t.word);
    keys[2] = key(Suffix1, t.suffix1);
    keys[3] = key(Suffix2, t.suffix2);
    keys[4] = key(Suffix3, t.suffix3);
    keys[5] = key(Prefix1, t.prefix1);
    keys[6] = key(Shape, t.shape);
    keys[7] = key(PrevWord, info[k - 1].word);
    keys[8] = key(PrevSuffix3, info[k - 1].suffix3);
    keys[9] = key(Prev2Word, info[k - 2].word);
    keys[10] = key(NextWord, info[k + 1].word);
    keys[11] = key(NextSuffix3, info[k + 1].suffix3);
    keys[12] = key(Next2Word, info[k + 2].word);
    keys[13] = key(NextShape, info[k + 1].shape);
}

void PosFeatures::dynamicKeys(const std::vector<TokenInfo> &info, qsizetype i, int prev, int prev2,
                              quint64 *keys)
{
    keys[0] = key(PrevTag, quint64(prev));
    keys[1] = key(Prev2Tag, quint64(prev2));
    keys[2] = key(PrevTagPrev2Tag, quint64(prev) * 64 + quint64(prev2));
    keys[3] = key(PrevTagWord, info[i + 2].word ^ mix(quint64(prev) + 1));
}

// --- PosKeySet and PosModel ---

PosKeySet &PosKeySet::operator=(const PosKeySet &other)
{
    if (this == &other)
        return *this;
    m_ownKeys = other.m_ownKeys;
    m_ownSlots = other.m_ownSlots;
    const bool owned = other.m_keys.data() == other.m_ownKeys.data();
    m_keys = owned ? std::span<const quint64>(m_ownKeys) : other.m_keys;
    m_slots = owned ? std::span<const quint32>(m_ownSlots) : other.m_slots;
    return *this;
}

size_t PosKeySet::slotCountFor(size_t count)
{
    // At most two thirds full: a few probes for a key that is absent, as
    // most features of a word are.
    size_t size = 16;
    while (size < count + count / 2)
        size *= 2;
    return size;
}

bool PosKeySet::validSlots(std::span<const quint32> slots, size_t count)
{
    if (slots.size() < 2 || (slots.size() & (slots.size() - 1)) != 0 || count >= slots.size())
        return false;
    size_t used = 0;
    for (const quint32 slot : slots) {
        if (slot > count)
            return false;
        used += slot != 0;
    }
    return used == count;
}

void PosKeySet::build(std::vector<quint64> keys)
{
    m_ownKeys = std::move(keys);
    m_ownSlots.assign(slotCountFor(m_ownKeys.size()), 0);
    const size_t mask = m_ownSlots.size() - 1;
    for (size_t i = 0; i < m_ownKeys.size(); ++i) {
        size_t slot = size_t(m_ownKeys[i] ^ (m_ownKeys[i] >> 29)) & mask;
        while (m_ownSlots[slot] != 0)
            slot = (slot + 1) & mask;
        m_ownSlots[slot] = quint32(i + 1);
    }
    m_keys = m_ownKeys;
    m_slots = m_ownSlots;
}

void PosKeySet::view(std::span<const quint64> keys, std::span<const quint32> slots)
{
    m_ownKeys.clear();
    m_ownSlots.clear();
    m_keys = keys;
    m_slots = slots;
}

qsizetype PosKeySet::find(quint64 key) const
{
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = size_t(key ^ (key >> 29)) & mask; m_slots[slot] != 0;
         slot = (slot + 1) & mask) {
        if (m_keys[m_slots[slot] - 1] == key)
            return qsizetype(m_slots[slot] - 1);
    }
    return -1;
}

void PosModel::addFeature(quint64 featureKey, const std::vector<Weight> &weights)
{
    if (m_ownFirst.empty())
        m_ownFirst.push_back(0);
    m_featureKeys.push_back(featureKey);
    for (const Weight &w : weights) {
        m_ownWeightTags.push_back(w.tag);
        m_ownValues.push_back(w.value);
    }
    m_ownFirst.push_back(quint32(m_ownValues.size()));
}

void PosModel::addDictionaryWord(quint64 formKey, PosTag tag)
{
    m_dictionaryKeys.push_back(formKey);
    m_ownDictionaryTags.push_back(quint8(tag));
}

void PosModel::finish()
{
    if (m_ownFirst.empty())
        m_ownFirst.push_back(0);
    m_features.build(std::move(m_featureKeys));
    m_dictionary.build(std::move(m_dictionaryKeys));
    m_featureKeys.clear();
    m_dictionaryKeys.clear();
    m_first = m_ownFirst;
    m_weightValues = m_ownValues;
    m_weightTags = m_ownWeightTags;
    m_dictionaryTags = m_ownDictionaryTags;
}

std::optional<PosTag> PosModel::dictionaryTag(quint64 formKey) const
{
    const qsizetype i = m_dictionary.find(formKey);
    if (i < 0)
        return std::nullopt;
    return PosTag(m_dictionaryTags[size_t(i)]);
}

// --- The model file ---
//
// Laid out to be used where it lies: every table is an array the tagger reads
// in place, so loading costs a checksum and a pass of checks, no parsing.
// All numbers little-endian; arrays start at multiples of their element size.
//   magic            8 bytes "RWXPOSTM"
//   version          u32 (formatVersion)
//   tag count T      u32, then T names: u8 length, ASCII (posTagName order);
//                    zero bytes up to a multiple of 8
//   counts           u32 each: features F, weights W, dictionary words D,
//                    lower-case words L, then the slot counts of the three
//                    key sets SF, SD, SL (powers of two), then 0
//   u64 F feature keys, D dictionary keys, L lower-case keys
//   u32 F + 1 first weights (feature f has weights first[f] .. first[f+1]),
//       SF, SD, SL slots of the key sets (a key's index + 1, 0 when free;
//       a key k is searched from slot (k ^ k >> 29) mod the count, onwards)
//   f32 W weight values (IEEE 754), u8 W weight tags, u8 D dictionary tags;
//       zero bytes up to a multiple of 8
//   checksum         u64 XXH3-64 (seed 0) of every byte before it

namespace {

constexpr char magic[8] = {'R', 'W', 'X', 'P', 'O', 'S', 'T', 'M'};
constexpr quint32 formatVersion = 2;

qsizetype paddedTo8(qsizetype n)
{
    return (n + 7) & ~qsizetype(7);
}

// Where each array starts, from the counts; end is where the checksum stands.
struct Layout
{
    std::array<quint32, 8> counts{}; // as in the file
    qsizetype featureKeys = 0, dictionaryKeys = 0, lowercaseKeys = 0;
    qsizetype first = 0, featureSlots = 0, dictionarySlots = 0, lowercaseSlots = 0;
    qsizetype values = 0, weightTags = 0, dictionaryTags = 0, end = 0;

    quint32 features() const { return counts[0]; }
    quint32 weights() const { return counts[1]; }
    quint32 dictionary() const { return counts[2]; }
    quint32 lowercase() const { return counts[3]; }

    // countsAt: where the counts stand, after the header.
    void place(qsizetype countsAt)
    {
        qsizetype at = countsAt + qsizetype(sizeof counts);
        auto next = [&at](qint64 count, qsizetype size) {
            const qsizetype start = at;
            at += qsizetype(count) * size;
            return start;
        };
        featureKeys = next(counts[0], 8);
        dictionaryKeys = next(counts[2], 8);
        lowercaseKeys = next(counts[3], 8);
        first = next(qint64(counts[0]) + 1, 4);
        featureSlots = next(counts[4], 4);
        dictionarySlots = next(counts[5], 4);
        lowercaseSlots = next(counts[6], 4);
        values = next(counts[1], 4);
        weightTags = next(counts[1], 1);
        dictionaryTags = next(counts[2], 1);
        end = paddedTo8(at);
    }
};

void putU32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

template<typename T> void putArray(QByteArray &out, std::span<const T> values)
{
    for (const T v : values) {
        char b[sizeof(T)];
        if constexpr (std::is_same_v<T, float>)
            qToLittleEndian(std::bit_cast<quint32>(v), b);
        else
            qToLittleEndian(v, b);
        out.append(b, sizeof(T));
    }
}

void padTo8(QByteArray &out)
{
    out.append(paddedTo8(out.size()) - out.size(), '\0');
}

quint64 checksum(QByteArrayView bytes)
{
    return XXH3_64bits(bytes.data(), size_t(bytes.size()));
}

template<typename T> std::span<const T> arrayAt(QByteArrayView bytes, qsizetype at, qint64 count)
{
    return {reinterpret_cast<const T *>(bytes.data() + at), size_t(count)};
}

} // namespace

QByteArray PosModel::serialize() const
{
    QByteArray out;
    out.append(magic, sizeof magic);
    putU32(out, formatVersion);
    putU32(out, posTagCount);
    for (int t = 0; t < posTagCount; ++t) {
        const QByteArray name = posTagName(PosTag(t)).toLatin1();
        out.append(char(name.size()));
        out.append(name);
    }
    padTo8(out);
    Layout layout;
    layout.counts = {quint32(m_features.size()),          quint32(m_weightValues.size()),
                     quint32(m_dictionary.size()),        quint32(m_lowercase.size()),
                     quint32(m_features.slots().size()),  quint32(m_dictionary.slots().size()),
                     quint32(m_lowercase.slots().size()), 0};
    layout.place(out.size());
    out.reserve(layout.end + 8);
    for (const quint32 count : layout.counts)
        putU32(out, count);
    putArray(out, m_features.keys());
    putArray(out, m_dictionary.keys());
    putArray(out, m_lowercase.keys());
    putArray(out, m_first);
    putArray(out, m_features.slots());
    putArray(out, m_dictionary.slots());
    putArray(out, m_lowercase.slots());
    putArray(out, m_weightValues);
    putArray(out, m_weightTags);
    putArray(out, m_dictionaryTags);
    padTo8(out);
    char sum[8];
    qToLittleEndian(checksum(out), sum);
    out.append(sum, 8);
    return out;
}

std::optional<PosModel> PosModel::parse(const QByteArray &bytes, QString *error)
{
    auto storage = std::make_shared<const QByteArray>(bytes);
    return parse(*storage, storage, error);
}

std::optional<PosModel> PosModel::parse(QByteArrayView bytes, std::shared_ptr<const void> storage,
                                        QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<PosModel> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (bytes.size() < qsizetype(sizeof magic) + 4 ||
        std::memcmp(bytes.data(), magic, sizeof magic) != 0) {
        return fail(u"not a tagger model (no RWXPOSTM header)"_s);
    }
    const quint32 version = qFromLittleEndian<quint32>(bytes.data() + sizeof magic);
    if (version != formatVersion) {
        return fail(
            u"tagger model format %1 is not supported (this program reads %2)"_s.arg(version).arg(
                formatVersion));
    }
    if constexpr (std::endian::native != std::endian::little)
        return fail(u"tagger models are read in place, on little-endian machines only"_s);
    if (quintptr(bytes.data()) % 8 != 0) {
        auto copy = std::make_shared<std::vector<quint64>>(size_t(paddedTo8(bytes.size()) / 8));
        std::memcpy(copy->data(), bytes.data(), size_t(bytes.size()));
        bytes = QByteArrayView(reinterpret_cast<const char *>(copy->data()), bytes.size());
        storage = std::move(copy);
    }

    const QString truncated = u"the tagger model is truncated"_s;
    qsizetype at = sizeof magic + 4;
    if (bytes.size() < at + 4)
        return fail(truncated);
    const quint32 tagCount = qFromLittleEndian<quint32>(bytes.data() + at);
    at += 4;
    if (tagCount != quint32(posTagCount))
        return fail(
            u"the tagger model has %1 tags, this program has %2"_s.arg(tagCount).arg(posTagCount));
    for (int t = 0; t < posTagCount; ++t) {
        if (bytes.size() < at + 1 || bytes.size() < at + 1 + quint8(bytes[at]))
            return fail(truncated);
        const QByteArrayView name = bytes.sliced(at + 1, quint8(bytes[at]));
        at += 1 + name.size();
        if (QString::fromLatin1(name) != posTagName(PosTag(t)))
            return fail(u"the tagger model's tag %1 is %2, expected %3"_s.arg(t).arg(
                QString::fromLatin1(name), posTagName(PosTag(t))));
    }
    at = paddedTo8(at);
    Layout layout;
    if (bytes.size() < at + qsizetype(sizeof layout.counts))
        return fail(truncated);
    std::memcpy(layout.counts.data(), bytes.data() + at, sizeof layout.counts);
    layout.place(at);
    if (bytes.size() < layout.end + 8)
        return fail(truncated);
    if (bytes.size() > layout.end + 8)
        return fail(u"the tagger model is damaged (%1 bytes more than its counts hold)"_s.arg(
            bytes.size() - layout.end - 8));
    if (qFromLittleEndian<quint64>(bytes.data() + layout.end) != checksum(bytes.first(layout.end)))
        return fail(u"the tagger model is damaged (checksum mismatch)"_s);

    // The checksum finds damage; these checks keep a file made otherwise
    // from reading out of bounds or searching without end.
    PosModel model;
    model.m_storage = std::move(storage);
    model.m_first = arrayAt<quint32>(bytes, layout.first, qint64(layout.features()) + 1);
    model.m_weightValues = arrayAt<float>(bytes, layout.values, layout.weights());
    model.m_weightTags = arrayAt<quint8>(bytes, layout.weightTags, layout.weights());
    model.m_dictionaryTags = arrayAt<quint8>(bytes, layout.dictionaryTags, layout.dictionary());
    const auto keySet = [&](PosKeySet &set, qsizetype keysAt, quint32 count, qsizetype slotsAt,
                            quint32 slotCount) {
        const auto slots = arrayAt<quint32>(bytes, slotsAt, slotCount);
        if (!PosKeySet::validSlots(slots, count))
            return false;
        set.view(arrayAt<quint64>(bytes, keysAt, count), slots);
        return true;
    };
    if (!keySet(model.m_features, layout.featureKeys, layout.features(), layout.featureSlots,
                layout.counts[4]) ||
        !keySet(model.m_dictionary, layout.dictionaryKeys, layout.dictionary(),
                layout.dictionarySlots, layout.counts[5]) ||
        !keySet(model.m_lowercase, layout.lowercaseKeys, layout.lowercase(), layout.lowercaseSlots,
                layout.counts[6])) {
        return fail(u"the tagger model's key tables are inconsistent"_s);
    }
    const std::span<const quint32> first = model.m_first;
    if (first.front() != 0 || first.back() != layout.weights() ||
        std::adjacent_find(first.begin(), first.end(), std::greater<>()) != first.end()) {
        return fail(u"the tagger model's weight ranges are inconsistent"_s);
    }
    const auto badTag = [](quint8 tag) {
        return tag >= posTagCount;
    };
    if (std::any_of(model.m_weightTags.begin(), model.m_weightTags.end(), badTag) ||
        std::any_of(model.m_dictionaryTags.begin(), model.m_dictionaryTags.end(), badTag) ||
        !std::all_of(model.m_weightValues.begin(), model.m_weightValues.end(),
                     [](float v) { return std::isfinite(v); })) {
        return fail(u"the tagger model holds a bad tag or weight"_s);
    }
    return model;
}
