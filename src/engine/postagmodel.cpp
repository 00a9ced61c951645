#include "engine/postagmodel.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

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

void PosKeySet::build(std::vector<quint64> keys)
{
    m_keys = std::move(keys);
    size_t size = 16;
    while (size < m_keys.size() * 2)
        size *= 2;
    m_slots.assign(size, 0);
    const size_t mask = size - 1;
    for (size_t i = 0; i < m_keys.size(); ++i) {
        size_t slot = size_t(m_keys[i] ^ (m_keys[i] >> 29)) & mask;
        while (m_slots[slot] != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = quint32(i + 1);
    }
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
    if (m_first.empty())
        m_first.push_back(0);
    m_featureKeys.push_back(featureKey);
    m_weights.insert(m_weights.end(), weights.begin(), weights.end());
    m_first.push_back(quint32(m_weights.size()));
}

void PosModel::addDictionaryWord(quint64 formKey, PosTag tag)
{
    m_dictionaryKeys.push_back(formKey);
    m_dictionaryTags.push_back(tag);
}

void PosModel::finish()
{
    if (m_first.empty())
        m_first.push_back(0);
    m_features.build(std::move(m_featureKeys));
    m_dictionary.build(std::move(m_dictionaryKeys));
    m_featureKeys.clear();
    m_dictionaryKeys.clear();
}

void PosModel::addScores(quint64 featureKey, float *scores) const
{
    const qsizetype f = m_features.find(featureKey);
    if (f < 0)
        return;
    for (quint32 w = m_first[size_t(f)]; w < m_first[size_t(f) + 1]; ++w)
        scores[m_weights[w].tag] += m_weights[w].value;
}

std::optional<PosTag> PosModel::dictionaryTag(quint64 formKey) const
{
    const qsizetype i = m_dictionary.find(formKey);
    if (i < 0)
        return std::nullopt;
    return m_dictionaryTags[size_t(i)];
}

// --- The model file ---
//
// All numbers little-endian.
//   magic            8 bytes "RWXPOSTM"
//   version          u32 (formatVersion)
//   tag count T      u32, then T names: u8 length, ASCII (posTagName order)
//   feature count F  u32, then F features:
//                      u64 key, u8 weight count n (at most T),
//                      n weights: u8 tag, f32 value (IEEE 754 bits)
//   dictionary D     u32, then D words: u64 form key, u8 tag
//   lower case L     u32, then L u64 word keys
//   checksum         u64 FNV-1a of every byte before it

namespace {

constexpr char magic[8] = {'R', 'W', 'X', 'P', 'O', 'S', 'T', 'M'};
constexpr quint32 formatVersion = 1;

void putU8(QByteArray &out, quint8 v)
{
    out.append(char(v));
}
void putU32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}
void putU64(QByteArray &out, quint64 v)
{
    char b[8];
    qToLittleEndian(v, b);
    out.append(b, 8);
}

// Reads forward through the bytes; every read reports whether they held it.
class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}

    [[nodiscard]] qsizetype remaining() const { return m_bytes.size() - m_pos; }
    bool u8(quint8 *v)
    {
        if (remaining() < 1)
            return false;
        *v = quint8(m_bytes[m_pos++]);
        return true;
    }
    bool u32(quint32 *v)
    {
        if (remaining() < 4)
            return false;
        *v = qFromLittleEndian<quint32>(m_bytes.data() + m_pos);
        m_pos += 4;
        return true;
    }
    bool u64(quint64 *v)
    {
        if (remaining() < 8)
            return false;
        *v = qFromLittleEndian<quint64>(m_bytes.data() + m_pos);
        m_pos += 8;
        return true;
    }
    bool f32(float *v)
    {
        quint32 bits = 0;
        if (!u32(&bits))
            return false;
        *v = std::bit_cast<float>(bits);
        return true;
    }
    bool bytes(qsizetype n, QByteArrayView *v)
    {
        if (remaining() < n)
            return false;
        *v = m_bytes.sliced(m_pos, n);
        m_pos += n;
        return true;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

bool hasDuplicates(std::vector<quint64> keys)
{
    std::sort(keys.begin(), keys.end());
    return std::adjacent_find(keys.begin(), keys.end()) != keys.end();
}

} // namespace

QByteArray PosModel::serialize() const
{
    const std::vector<quint64> &features = m_features.keys();
    const std::vector<quint64> &dictionary = m_dictionary.keys();
    const std::vector<quint64> &lowercase = m_lowercase.keys();
    QByteArray out;
    out.reserve(qsizetype(64 + features.size() * 9 + m_weights.size() * 5 + dictionary.size() * 9 +
                          lowercase.size() * 8));
    out.append(magic, sizeof magic);
    putU32(out, formatVersion);
    putU32(out, posTagCount);
    for (int t = 0; t < posTagCount; ++t) {
        const QByteArray name = posTagName(PosTag(t)).toLatin1();
        putU8(out, quint8(name.size()));
        out.append(name);
    }
    putU32(out, quint32(features.size()));
    for (size_t f = 0; f < features.size(); ++f) {
        putU64(out, features[f]);
        putU8(out, quint8(m_first[f + 1] - m_first[f]));
        for (quint32 w = m_first[f]; w < m_first[f + 1]; ++w) {
            putU8(out, m_weights[w].tag);
            putU32(out, std::bit_cast<quint32>(m_weights[w].value));
        }
    }
    putU32(out, quint32(dictionary.size()));
    for (size_t i = 0; i < dictionary.size(); ++i) {
        putU64(out, dictionary[i]);
        putU8(out, quint8(m_dictionaryTags[i]));
    }
    putU32(out, quint32(lowercase.size()));
    for (quint64 k : lowercase)
        putU64(out, k);
    putU64(out, fnv(fnvOffset, out.constData(), out.size()));
    return out;
}

std::optional<PosModel> PosModel::parse(const QByteArray &bytes, QString *error)
{
    const auto fail = [error](const QString &why) -> std::optional<PosModel> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString truncated = u"the tagger model is truncated"_s;
    if (bytes.size() < qsizetype(sizeof magic) + 4 ||
        std::memcmp(bytes.constData(), magic, sizeof magic) != 0) {
        return fail(u"not a tagger model (no RWXPOSTM header)"_s);
    }
    Reader header(QByteArrayView(bytes).sliced(sizeof magic));
    quint32 version = 0;
    header.u32(&version);
    if (version != formatVersion) {
        return fail(
            u"tagger model format %1 is not supported (this program reads %2)"_s.arg(version).arg(
                formatVersion));
    }
    if (bytes.size() < qsizetype(sizeof magic) + 4 + 8)
        return fail(truncated);
    const qsizetype bodySize = bytes.size() - 8;
    const quint64 stored = qFromLittleEndian<quint64>(bytes.constData() + bodySize);
    if (stored != fnv(fnvOffset, bytes.constData(), bodySize))
        return fail(u"the tagger model is damaged or truncated (checksum mismatch)"_s);

    Reader in(QByteArrayView(bytes).sliced(sizeof magic + 4, bodySize - sizeof magic - 4));
    quint32 tagCount = 0;
    if (!in.u32(&tagCount))
        return fail(truncated);
    if (tagCount != quint32(posTagCount))
        return fail(
            u"the tagger model has %1 tags, this program has %2"_s.arg(tagCount).arg(posTagCount));
    for (int t = 0; t < posTagCount; ++t) {
        quint8 length = 0;
        QByteArrayView name;
        if (!in.u8(&length) || !in.bytes(length, &name))
            return fail(truncated);
        if (QString::fromLatin1(name) != posTagName(PosTag(t)))
            return fail(u"the tagger model's tag %1 is %2, expected %3"_s.arg(t).arg(
                QString::fromLatin1(name), posTagName(PosTag(t))));
    }

    // Counts are checked against the bytes left before anything is reserved.
    PosModel model;
    quint32 featureCount = 0;
    if (!in.u32(&featureCount) || quint64(featureCount) * 9 > quint64(in.remaining()))
        return fail(truncated);
    model.m_featureKeys.reserve(featureCount);
    model.m_first.reserve(featureCount + 1);
    model.m_first.push_back(0);
    for (quint32 f = 0; f < featureCount; ++f) {
        quint64 k = 0;
        quint8 n = 0;
        if (!in.u64(&k) || !in.u8(&n))
            return fail(truncated);
        if (n > posTagCount)
            return fail(u"the tagger model's feature %1 has %2 weights"_s.arg(f).arg(n));
        for (quint8 w = 0; w < n; ++w) {
            Weight weight{};
            if (!in.u8(&weight.tag) || !in.f32(&weight.value))
                return fail(truncated);
            if (weight.tag >= posTagCount || !std::isfinite(weight.value))
                return fail(u"the tagger model's feature %1 has a bad weight"_s.arg(f));
            model.m_weights.push_back(weight);
        }
        model.m_featureKeys.push_back(k);
        model.m_first.push_back(quint32(model.m_weights.size()));
    }
    quint32 dictionaryCount = 0;
    if (!in.u32(&dictionaryCount) || quint64(dictionaryCount) * 9 > quint64(in.remaining()))
        return fail(truncated);
    for (quint32 i = 0; i < dictionaryCount; ++i) {
        quint64 k = 0;
        quint8 tag = 0;
        in.u64(&k);
        in.u8(&tag);
        if (tag >= posTagCount)
            return fail(u"the tagger model's dictionary has a bad tag"_s);
        model.addDictionaryWord(k, PosTag(tag));
    }
    quint32 lowercaseCount = 0;
    if (!in.u32(&lowercaseCount) || quint64(lowercaseCount) * 8 != quint64(in.remaining()))
        return fail(u"the tagger model's word list does not fill the file"_s);
    std::vector<quint64> lowercase(lowercaseCount);
    for (quint64 &k : lowercase)
        in.u64(&k);
    if (hasDuplicates(model.m_featureKeys) || hasDuplicates(model.m_dictionaryKeys) ||
        hasDuplicates(lowercase)) {
        return fail(u"the tagger model holds a key twice"_s);
    }
    model.m_lowercase.build(std::move(lowercase));
    model.finish();
    return model;
}
