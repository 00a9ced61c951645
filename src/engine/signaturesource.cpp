#include "engine/signaturesource.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>
#define XXH_INLINE_ALL
#include <xxhash.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The C library's generator (MSVC constants): srand(seed), then rand() for
// each value.
class CRandom
{
public:
    explicit CRandom(quint32 seed) : m_state(seed) {}
    int next()
    {
        m_state = m_state * 214013u + 2531011u;
        return int((m_state >> 16) & 0x7FFFu);
    }

private:
    quint32 m_state;
};

} // namespace

SignatureSource::SignatureSource(QList<int> alternativeCounts, std::function<quint32()> tick,
                                 quint32 counter, std::function<void(QList<int> &)> canonicalise)
    : m_sizes(std::move(alternativeCounts)), m_tick(std::move(tick)),
      m_canonicalise(std::move(canonicalise)), m_counter(counter), m_groups(m_sizes.size())
{
    // More than this many groups agreeing makes two articles near-twins.
    m_twinLimit = qsizetype(m_groups * 9 / 10);
    int widest = 1;
    qint64 space = 1;
    for (const int n : std::as_const(m_sizes)) {
        widest = std::max(widest, n);
        space = space > SmallSpace ? space : space * std::max(n, 1);
    }
    m_width = widest <= 0xFF ? 1 : 2;
    m_exact = space <= SmallSpace;
    m_compact.resize(m_groups * m_width);

    // A near-twin differs in fewer groups than there are blocks, so in none
    // of some block.
    const qsizetype blocks = m_groups - m_twinLimit;
    if (blocks == 0)
        return;
    m_blockStart.resize(size_t(blocks) + 1);
    for (qsizetype b = 0; b <= blocks; ++b)
        m_blockStart[size_t(b)] = b * m_groups / blocks;
    m_blockKeys.resize(size_t(blocks));
    const size_t nodes = size_t(TwinWindow * blocks);
    size_t buckets = 16;
    while (buckets < nodes)
        buckets *= 2;
    m_buckets.assign(buckets, -1);
    m_nextNode.resize(nodes);
    m_nodeKeys.resize(nodes);
}

QList<int> SignatureSource::next(int article)
{
    QList<int> best;
    qsizetype bestAgreement = std::numeric_limits<qsizetype>::max();
    for (int attempt = 0; attempt < MaxRedraws; ++attempt) {
        QList<int> signature = draw(article);
        compact(signature);
        if (isUsed())
            continue;
        const qsizetype agreement = highestAgreement();
        if (agreement <= m_twinLimit)
            return claim(signature);
        if (agreement < bestAgreement) {
            bestAgreement = agreement;
            best = signature;
        }
    }
    if (!best.isEmpty()) {
        compact(best);
        return claim(best);
    }
    const QList<int> free = firstUnusedFrom(draw(article));
    compact(free);
    return claim(free);
}

QList<int> SignatureSource::draw(int article)
{
    ++m_counter;
    CRandom random(m_tick() + m_counter + quint32(article));
    QList<int> signature(m_groups);
    for (qsizetype g = 0; g < m_groups; ++g)
        signature[g] = random.next() % std::max(m_sizes[g], 1) + 1;
    if (m_canonicalise)
        m_canonicalise(signature);
    return signature;
}

void SignatureSource::compact(const QList<int> &signature)
{
    char *to = m_compact.data();
    for (qsizetype g = 0; g < m_groups; ++g) {
        if (m_width == 1)
            to[g] = char(signature[g]);
        else
            qToLittleEndian<quint16>(quint16(signature[g]), to + 2 * g);
    }
    m_blockKeysFresh = false;
}

bool SignatureSource::isUsed() const
{
    if (m_exact)
        return m_usedExact.contains(
            QByteArray::fromRawData(m_compact.constData(), m_compact.size()));
    return m_usedHashes.contains(XXH3_64bits(m_compact.constData(), size_t(m_compact.size())));
}

void SignatureSource::hashBlocks()
{
    for (size_t b = 0; b < m_blockKeys.size(); ++b) {
        const qsizetype from = m_blockStart[b] * m_width;
        m_blockKeys[b] = XXH3_64bits_withSeed(m_compact.constData() + from,
                                              size_t(m_blockStart[b + 1] * m_width - from), b);
    }
    m_blockKeysFresh = true;
}

QList<int> SignatureSource::claim(const QList<int> &signature)
{
    if (m_exact)
        m_usedExact.insert(QByteArray(m_compact.constData(), m_compact.size()));
    else
        m_usedHashes.insert(XXH3_64bits(m_compact.constData(), size_t(m_compact.size())));
    qsizetype row = m_recentRows;
    if (m_recentRows < TwinWindow) {
        m_recent.append(m_compact.constData(), m_compact.size());
        ++m_recentRows;
    } else {
        row = m_oldest;
        unindexRow(row);
        std::memcpy(m_recent.data() + row * m_compact.size(), m_compact.constData(),
                    size_t(m_compact.size()));
        m_oldest = (m_oldest + 1) % TwinWindow;
    }
    if (m_blockKeys.empty())
        return signature;
    if (!m_blockKeysFresh)
        hashBlocks();
    const qsizetype blocks = qsizetype(m_blockKeys.size());
    const size_t mask = m_buckets.size() - 1;
    for (qsizetype b = 0; b < blocks; ++b) {
        const qint32 node = qint32(row * blocks + b);
        const quint64 key = m_blockKeys[size_t(b)];
        m_nodeKeys[size_t(node)] = key;
        m_nextNode[size_t(node)] = m_buckets[key & mask];
        m_buckets[key & mask] = node;
    }
    return signature;
}

void SignatureSource::unindexRow(qsizetype row)
{
    const qsizetype blocks = qsizetype(m_blockKeys.size());
    const size_t mask = m_buckets.size() - 1;
    for (qsizetype b = 0; b < blocks; ++b) {
        const qint32 node = qint32(row * blocks + b);
        qint32 *link = &m_buckets[m_nodeKeys[size_t(node)] & mask];
        while (*link != node)
            link = &m_nextNode[size_t(*link)];
        *link = m_nextNode[size_t(node)];
    }
}

// The most groups in which the compact signature agrees with a recent
// article, as a count over all of them in order would give: the agreement
// with the first near-twin, or at most the limit when there is none.
qsizetype SignatureSource::highestAgreement()
{
    if (m_blockKeys.empty())
        return 0; // no groups: nothing to agree in
    hashBlocks();
    const qsizetype blocks = qsizetype(m_blockKeys.size());
    const size_t mask = m_buckets.size() - 1;
    m_candidates.clear();
    for (qsizetype b = 0; b < blocks; ++b) {
        const quint64 key = m_blockKeys[size_t(b)];
        for (qint32 node = m_buckets[key & mask]; node >= 0; node = m_nextNode[size_t(node)]) {
            if (m_nodeKeys[size_t(node)] == key && node % blocks == b)
                m_candidates.push_back(node / blocks);
        }
    }
    std::sort(m_candidates.begin(), m_candidates.end());
    m_candidates.erase(std::unique(m_candidates.begin(), m_candidates.end()), m_candidates.end());
    for (const qsizetype row : m_candidates) {
        const qsizetype agreement = agreementWith(m_recent.constData() + row * m_compact.size());
        if (agreement > m_twinLimit)
            return agreement;
    }
    return 0;
}

// The groups in which the compact signature agrees with theirs; counting
// stops once they cannot be near-twins any more, with a count at most the
// limit.
qsizetype SignatureSource::agreementWith(const char *theirs) const
{
    const qsizetype allowedDifferences = m_groups - m_twinLimit;
    const char *mine = m_compact.constData();
    qsizetype differences = 0;
    qsizetype g = 0;
    if (m_width == 1) {
#if defined(__SSE2__)
        // 128 groups at a time, which nearly always settles it at one
        // predictable branch, then 64: the unequal bytes of each sixteen
        // counted per lane, then summed. Stopping later than needed only
        // lowers the agreement of an article that is no near-twin anyway.
        const __m128i one = _mm_set1_epi8(1);
        for (int blocks = 8; blocks >= 4; blocks /= 2) {
            while (g + 16 * blocks <= m_groups && differences < allowedDifferences) {
                __m128i unequal = _mm_setzero_si128();
                for (int k = 0; k < blocks; ++k, g += 16) {
                    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(mine + g));
                    const __m128i b =
                        _mm_loadu_si128(reinterpret_cast<const __m128i *>(theirs + g));
                    unequal = _mm_add_epi8(unequal, _mm_andnot_si128(_mm_cmpeq_epi8(a, b), one));
                }
                const __m128i sums = _mm_sad_epu8(unequal, _mm_setzero_si128());
                differences += _mm_cvtsi128_si32(sums) + _mm_extract_epi16(sums, 4);
            }
        }
#endif
        // Eight groups at a time: the bytes that differ are the non-zero
        // bytes of the XOR.
        constexpr quint64 Low7 = 0x7F7F7F7F7F7F7F7FULL;
        for (; g + 8 <= m_groups && differences < allowedDifferences; g += 8) {
            quint64 a;
            quint64 b;
            memcpy(&a, mine + g, 8);
            memcpy(&b, theirs + g, 8);
            const quint64 x = a ^ b;
            // High bit of each byte set when the byte is not zero; then
            // their sum, without a population-count instruction.
            const quint64 nonZero = (((x & Low7) + Low7) | x) & ~Low7;
            differences += qsizetype((nonZero >> 7) * 0x0101010101010101ULL >> 56);
        }
        for (; g < m_groups && differences < allowedDifferences; ++g)
            differences += mine[g] != theirs[g];
    } else {
        for (; g < m_groups && differences < allowedDifferences; ++g)
            differences += (mine[2 * g] != theirs[2 * g]) | (mine[2 * g + 1] != theirs[2 * g + 1]);
    }
    return differences < allowedDifferences ? m_groups - differences : g - differences;
}

// The first unused signature in mixed-radix order from start (the last group
// counting fastest), wrapping round. The caller never asks for more articles
// than there are distinct signatures.
QList<int> SignatureSource::firstUnusedFrom(QList<int> signature)
{
    for (;;) {
        QList<int> candidate = signature;
        if (m_canonicalise)
            m_canonicalise(candidate);
        compact(candidate);
        if (!isUsed())
            return candidate;
        for (qsizetype g = signature.size() - 1; g >= 0; --g) {
            if (++signature[g] <= m_sizes[g])
                break;
            signature[g] = 1;
        }
    }
}
