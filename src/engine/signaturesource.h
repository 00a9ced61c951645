#pragma once

#include <QList>
#include <QSet>

#include <functional>
#include <vector>

// Choice signatures for the articles of one run: for each group, the
// alternative chosen (1-based). The C library's generator is seeded once per
// draw with tick + ++counter + article number and gives successive values for
// the groups, so every choice sequence can come up. A draw already used, or one
// that agrees with one of the last TwinWindow articles in more than 90% of its
// groups, is drawn again; when the draws keep failing the least similar unused
// one is taken, and a space that is nearly used up is searched from a random
// point. canonicalise may rewrite a draw (nested groups: unreached ones to 0).
//
// Memory stays flat in the number of articles: a used sequence is kept as a
// 64-bit hash, and the near-twin check looks at compact signatures (a byte per
// group while the alternatives fit) of recent articles only. A hash shared by
// two sequences can only turn a fresh draw away, never let a repeat through;
// in a space small enough to walk (at most SmallSpace sequences) the sequences
// themselves are kept, so the walk never skips the last free one.
//
// The near-twin check is indexed: the groups are cut into as many blocks as
// the differences a near-twin must stay below, so a near-twin agrees with the
// draw in a whole block at least, and only the recent articles that share a
// block with it are counted.
class SignatureSource
{
public:
    SignatureSource(QList<int> alternativeCounts, std::function<quint32()> tick, quint32 counter,
                    std::function<void(QList<int> &)> canonicalise = {});
    QList<int> next(int article);
    quint32 counter() const { return m_counter; }

    static constexpr qsizetype TwinWindow = 1000;
    static constexpr qint64 SmallSpace = 1 << 16;

private:
    static constexpr int MaxRedraws = 256;

    QList<int> draw(int article);
    // The compact signature, in m_compact.
    void compact(const QList<int> &signature);
    bool isUsed() const;
    QList<int> claim(const QList<int> &signature);
    qsizetype highestAgreement();
    qsizetype agreementWith(const char *theirs) const;
    QList<int> firstUnusedFrom(QList<int> signature);
    // The keys of m_compact's blocks, in m_blockKeys.
    void hashBlocks();
    void unindexRow(qsizetype row);

    QList<int> m_sizes;
    std::function<quint32()> m_tick;
    std::function<void(QList<int> &)> m_canonicalise;
    quint32 m_counter;
    qsizetype m_groups = 0;
    qsizetype m_twinLimit = 0;
    int m_width = 1; // bytes per group in a compact signature
    bool m_exact = false;
    QSet<QByteArray> m_usedExact;
    QSet<quint64> m_usedHashes;
    QByteArray m_compact;
    // The last TwinWindow compact signatures, a row each, the oldest at
    // m_oldest once all rows are used.
    QByteArray m_recent;
    qsizetype m_recentRows = 0;
    qsizetype m_oldest = 0;
    // The block index: block b holds groups [m_blockStart[b], m_blockStart[b + 1]);
    // node row * blocks + b, keyed by the block's content, is chained in the
    // bucket of its key.
    std::vector<qsizetype> m_blockStart;
    std::vector<quint64> m_blockKeys;
    bool m_blockKeysFresh = false; // m_blockKeys are those of m_compact
    std::vector<qint32> m_buckets;
    std::vector<qint32> m_nextNode;
    std::vector<quint64> m_nodeKeys;
    std::vector<qsizetype> m_candidates;
};
