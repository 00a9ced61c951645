#include "synsetindex.h"

#include <QDir>
#include <QFile>
#include <QSet>

#include <algorithm>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

QString fold(const QString &lemma)
{
    return lemma.toLower().replace(u' ', u'_');
}

QByteArray readFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = u"cannot read %1: %2"_s.arg(path, file.errorString());
        return {};
    }
    return file.readAll();
}

// Calls parse(line) for each line of a WordNet file but the licence header's
// (they start with a blank); the first error it returns ends the reading.
template<typename Parse> bool forEachEntryLine(const QByteArray &bytes, QString *error, Parse parse)
{
    qsizetype lineNumber = 0;
    for (const QByteArray &line : bytes.split('\n')) {
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(' '))
            continue;
        if (const QString lineError = parse(line); !lineError.isEmpty()) {
            *error = u"line %1: %2"_s.arg(lineNumber).arg(lineError);
            return false;
        }
    }
    return true;
}

} // namespace

bool SynsetIndex::load(const QString &wordnetDir, QString *error)
{
    const QDir dir(wordnetDir);
    for (const PartOfSpeech pos : PartsOfSpeech::All) {
        for (const QString &kind : {u"index."_s, u"data."_s}) {
            const QString path = dir.filePath(kind + PartsOfSpeech::WordNetSuffixes[int(pos)]);
            const QByteArray bytes = readFile(path, error);
            if (!error->isEmpty())
                return false;
            const bool ok =
                kind == u"index."_s ? parseIndex(pos, bytes, error) : parseData(pos, bytes, error);
            if (!ok) {
                *error = path + u": "_s + *error;
                return false;
            }
        }
    }
    return true;
}

// Line: lemma pos synset_cnt p_cnt [ptr_symbol...] sense_cnt tagsense_cnt
// synset_offset... ; the licence header lines start with blanks.
bool SynsetIndex::parseIndex(PartOfSpeech pos, const QByteArray &bytes, QString *error)
{
    QHash<QString, QList<quint32>> &synsets = m_synsets[int(pos)];
    synsets.clear();
    return forEachEntryLine(bytes, error, [&](const QByteArray &line) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        bool ok = false;
        const int count = fields.size() > 2 ? fields.at(2).toInt(&ok) : 0;
        if (!ok || count < 1 || fields.size() < 4 + count)
            return u"not an index line"_s;
        QList<quint32> offsets;
        for (qsizetype i = fields.size() - count; i < fields.size(); ++i) {
            offsets << fields.at(i).toUInt(&ok);
            if (!ok)
                return u"bad synset offset"_s;
        }
        synsets.insert(QString::fromUtf8(fields.first()).toLower(), offsets);
        return QString();
    });
}

// Line: synset_offset lex_filenum ss_type w_cnt (two hex digits) word lex_id
// [word lex_id...] p_cnt [pointer_symbol synset_offset pos source/target...]
// ... ; adjectives may carry a marker: "big(a)".
bool SynsetIndex::parseData(PartOfSpeech pos, const QByteArray &bytes, QString *error)
{
    QHash<quint32, Synset> &synsets = m_data[int(pos)];
    synsets.clear();
    return forEachEntryLine(bytes, error, [&](const QByteArray &line) {
        const QList<QByteArray> fields = line.split(' ');
        bool offsetOk = false;
        bool countOk = false;
        bool lexFileOk = false;
        const quint32 offset = fields.size() > 4 ? fields.at(0).toUInt(&offsetOk) : 0;
        const int count = fields.size() > 4 ? fields.at(3).toInt(&countOk, 16) : 0;
        Synset synset;
        synset.lexFile = fields.size() > 4 ? fields.at(1).toInt(&lexFileOk) : 0;
        synset.satellite = fields.size() > 4 && fields.at(2) == "s";
        if (!offsetOk || !countOk || !lexFileOk || count < 1 || fields.size() < 4 + 2 * count)
            return u"not a data line"_s;
        for (int i = 0; i < count; ++i) {
            QByteArray word = fields.at(4 + 2 * i);
            const qsizetype marker = word.indexOf('(');
            if (marker > 0)
                word = word.left(marker);
            bool lexIdOk = false;
            synset.spelled << QString::fromUtf8(word).replace(u'_', u' ');
            synset.words << QString::fromUtf8(word).toLower();
            synset.lexIds << fields.at(5 + 2 * i).toInt(&lexIdOk, 16);
            if (!lexIdOk)
                return u"bad lex_id"_s;
        }
        const qsizetype pointersAt = 4 + 2 * count;
        bool pointersOk = false;
        const int pointers =
            pointersAt < fields.size() ? fields.at(pointersAt).toInt(&pointersOk) : 0;
        if (!pointersOk || pointers < 0 || fields.size() < pointersAt + 1 + 4 * pointers)
            return u"bad pointer list"_s;
        for (int i = 0; i < pointers; ++i) {
            const qsizetype at = pointersAt + 1 + 4 * i;
            const QByteArray &symbol = fields.at(at);
            bool targetOk = false;
            const quint32 target = fields.at(at + 1).toUInt(&targetOk);
            if (!targetOk)
                return u"bad pointer target"_s;
            if (symbol == "&")
                synset.similar << target;
            else if (symbol == "@")
                synset.hypernyms << target;
            else if (symbol == "$")
                synset.group << target;
            else if (symbol == "~")
                ++synset.hyponyms;
            else if (symbol == ";u" && fields.at(at + 2) == "n")
                synset.usage << std::pair(target, fields.at(at + 3).left(2).toInt(nullptr, 16));
        }
        synsets.insert(offset, synset);
        return QString();
    });
}

std::optional<quint32> SynsetIndex::synsetOf(PartOfSpeech pos, const QString &headword,
                                             const QStringList &words, const QStringList &similar,
                                             int position) const
{
    QSet<QString> wanted{fold(headword)};
    for (const QString &word : words)
        wanted.insert(fold(word));
    const QList<quint32> candidates = m_synsets[int(pos)].value(fold(headword));
    std::optional<quint32> best;
    std::tuple<int, bool, bool> bestRank;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const Synset synset = m_data[int(pos)].value(candidates.at(i));
        const QSet<QString> have(synset.words.cbegin(), synset.words.cend());
        if (!have.contains(wanted))
            continue;
        int similarHeld = 0;
        for (const QString &word : similar)
            similarHeld += similarSynsetsWith(pos, candidates.at(i), word).isEmpty() ? 0 : 1;
        const std::tuple rank(similarHeld, have == wanted, i + 1 == position);
        if (!best || rank > bestRank) {
            best = candidates.at(i);
            bestRank = rank;
        }
    }
    if (best || position < 1 || position > candidates.size())
        return best;
    const QStringList atPosition = m_data[int(pos)].value(candidates.at(position - 1)).words;
    const auto held = std::count_if(wanted.cbegin(), wanted.cend(),
                                    [&](const QString &w) { return atPosition.contains(w); });
    return 2 * held > wanted.size() ? std::optional(candidates.at(position - 1)) : std::nullopt;
}

std::optional<quint32> SynsetIndex::closestSynset(PartOfSpeech pos, const QString &headword,
                                                  const QStringList &words, int position) const
{
    const QList<quint32> candidates = m_synsets[int(pos)].value(fold(headword));
    std::optional<quint32> best;
    std::pair<qsizetype, bool> bestRank;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const std::pair rank(
            std::count_if(words.cbegin(), words.cend(),
                          [&](const QString &w) { return holds(pos, candidates.at(i), w); }),
            i + 1 == position);
        if (!best || rank > bestRank) {
            best = candidates.at(i);
            bestRank = rank;
        }
    }
    return best;
}

bool SynsetIndex::holds(PartOfSpeech pos, quint32 synset, const QString &word) const
{
    return m_data[int(pos)].value(synset).words.contains(fold(word));
}

int SynsetIndex::senseNumber(const QString &lemma, PartOfSpeech pos, quint32 synset) const
{
    return int(m_synsets[int(pos)].value(fold(lemma)).indexOf(synset) + 1);
}

QString SynsetIndex::senseKey(const QString &lemma, PartOfSpeech pos, quint32 synset) const
{
    const QString folded = fold(lemma);
    const Synset data = m_data[int(pos)].value(synset);
    const qsizetype at = data.words.indexOf(folded);
    if (at < 0)
        return {};
    const auto twoDigits = [](int n) {
        return u"%1"_s.arg(n, 2, 10, QChar(u'0'));
    };
    const int type = data.satellite ? 5 : int(pos) + 1; // 1 noun, 2 verb, 3 adjective, 4 adverb
    QString key = folded + u'%' + QString::number(type) + u':' + twoDigits(data.lexFile) + u':' +
                  twoDigits(data.lexIds.at(at)) + u':';
    const Synset head = data.satellite && !data.similar.isEmpty()
                            ? m_data[int(pos)].value(data.similar.first())
                            : Synset();
    if (!head.words.isEmpty())
        key += head.words.first() + u':' + twoDigits(head.lexIds.first());
    else
        key += u':';
    return key;
}

QList<quint32> SynsetIndex::similarSynsetsWith(PartOfSpeech pos, quint32 synset,
                                               const QString &word) const
{
    const QString folded = fold(word);
    QList<quint32> holding;
    for (const quint32 target : m_data[int(pos)].value(synset).similar)
        if (m_data[int(pos)].value(target).words.contains(folded))
            holding << target;
    return holding;
}

std::optional<quint32> SynsetIndex::nounSynsetWith(const QStringList &lemmas) const
{
    if (lemmas.isEmpty())
        return std::nullopt;
    const auto &nouns = m_data[int(PartOfSpeech::Noun)];
    for (const quint32 candidate : m_synsets[int(PartOfSpeech::Noun)].value(fold(lemmas.first()))) {
        const QStringList words = nouns.value(candidate).words;
        if (std::all_of(lemmas.cbegin(), lemmas.cend(),
                        [&](const QString &l) { return words.contains(fold(l)); }))
            return candidate;
    }
    return std::nullopt;
}

QList<quint32> SynsetIndex::usageDomains(PartOfSpeech pos, quint32 synset,
                                         const QString &word) const
{
    const Synset data = m_data[int(pos)].value(synset);
    const int at = int(data.words.indexOf(fold(word))) + 1;
    QList<quint32> domains;
    for (const auto &[domain, source] : data.usage)
        if (source == 0 || source == at)
            domains << domain;
    return domains;
}

QStringList SynsetIndex::spelledWords(PartOfSpeech pos, quint32 synset) const
{
    return m_data[int(pos)].value(synset).spelled;
}

QList<quint32> SynsetIndex::hypernyms(PartOfSpeech pos, quint32 synset) const
{
    return m_data[int(pos)].value(synset).hypernyms;
}

QList<quint32> SynsetIndex::verbGroup(PartOfSpeech pos, quint32 synset) const
{
    return m_data[int(pos)].value(synset).group;
}

QList<quint32> SynsetIndex::synsetsOf(PartOfSpeech pos, const QString &lemma) const
{
    return m_synsets[int(pos)].value(fold(lemma));
}

int SynsetIndex::hyponymCount(PartOfSpeech pos, quint32 synset) const
{
    return m_data[int(pos)].value(synset).hyponyms;
}
