#include "synsetindex.h"

#include <QDir>
#include <QFile>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

QString fold(const QString &lemma)
{
    return lemma.toLower().replace(u' ', u'_');
}

QString suffix(PartOfSpeech pos)
{
    switch (pos) {
    case PartOfSpeech::Noun:
        return u"noun"_s;
    case PartOfSpeech::Verb:
        return u"verb"_s;
    case PartOfSpeech::Adjective:
        return u"adj"_s;
    case PartOfSpeech::Adverb:
        return u"adv"_s;
    }
    return {};
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

} // namespace

bool SynsetIndex::load(const QString &wordnetDir, QString *error)
{
    const QDir dir(wordnetDir);
    for (const PartOfSpeech pos : PartsOfSpeech::All) {
        for (const QString &kind : {u"index."_s, u"data."_s}) {
            const QString path = dir.filePath(kind + suffix(pos));
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
    qsizetype lineNumber = 0;
    for (const QByteArray &line : bytes.split('\n')) {
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(' '))
            continue;
        const QList<QByteArray> fields = line.trimmed().split(' ');
        bool ok = false;
        const int count = fields.size() > 2 ? fields.at(2).toInt(&ok) : 0;
        if (!ok || count < 1 || fields.size() < 4 + count) {
            *error = u"line %1: not an index line"_s.arg(lineNumber);
            return false;
        }
        QList<quint32> offsets;
        for (qsizetype i = fields.size() - count; i < fields.size(); ++i) {
            offsets << fields.at(i).toUInt(&ok);
            if (!ok) {
                *error = u"line %1: bad synset offset"_s.arg(lineNumber);
                return false;
            }
        }
        synsets.insert(QString::fromUtf8(fields.first()).toLower(), offsets);
    }
    return true;
}

// Line: synset_offset lex_filenum ss_type w_cnt (two hex digits) word lex_id
// [word lex_id...] p_cnt ... ; adjectives may carry a marker: "big(a)".
bool SynsetIndex::parseData(PartOfSpeech pos, const QByteArray &bytes, QString *error)
{
    QHash<quint32, QStringList> &words = m_words[int(pos)];
    words.clear();
    qsizetype lineNumber = 0;
    for (const QByteArray &line : bytes.split('\n')) {
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(' '))
            continue;
        const QList<QByteArray> fields = line.split(' ');
        bool offsetOk = false;
        bool countOk = false;
        const quint32 offset = fields.size() > 4 ? fields.at(0).toUInt(&offsetOk) : 0;
        const int count = fields.size() > 4 ? fields.at(3).toInt(&countOk, 16) : 0;
        if (!offsetOk || !countOk || count < 1 || fields.size() < 4 + 2 * count) {
            *error = u"line %1: not a data line"_s.arg(lineNumber);
            return false;
        }
        QStringList synsetWords;
        for (int i = 0; i < count; ++i) {
            QByteArray word = fields.at(4 + 2 * i);
            const qsizetype marker = word.indexOf('(');
            if (marker > 0)
                word = word.left(marker);
            synsetWords << QString::fromUtf8(word).toLower();
        }
        words.insert(offset, synsetWords);
    }
    return true;
}

std::optional<quint32> SynsetIndex::synsetOf(PartOfSpeech pos, const QString &headword,
                                             const QStringList &words) const
{
    QSet<QString> wanted{fold(headword)};
    for (const QString &word : words)
        wanted.insert(fold(word));
    std::optional<quint32> holdsAll;
    int holdingAll = 0;
    for (const quint32 offset : m_synsets[int(pos)].value(fold(headword))) {
        const QStringList synsetWords = m_words[int(pos)].value(offset);
        const QSet<QString> have(synsetWords.cbegin(), synsetWords.cend());
        if (have == wanted)
            return offset;
        if (have.contains(wanted)) {
            holdsAll = offset;
            ++holdingAll;
        }
    }
    return holdingAll == 1 ? holdsAll : std::nullopt;
}

int SynsetIndex::senseNumber(const QString &lemma, PartOfSpeech pos, quint32 synset) const
{
    return int(m_synsets[int(pos)].value(fold(lemma)).indexOf(synset) + 1);
}
