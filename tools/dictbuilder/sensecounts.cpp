#include "sensecounts.h"

#include <QFile>

using namespace Qt::Literals::StringLiterals;

namespace {

QChar posDigit(PartOfSpeech pos)
{
    return QChar(u'1' + int(pos)); // same order as the enum: noun, verb, adjective, adverb
}

} // namespace

QString SenseCounts::key(const QString &lemma)
{
    return lemma.toLower().replace(u' ', u'_');
}

bool SenseCounts::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = u"cannot read %1: %2"_s.arg(path, file.errorString());
        return false;
    }
    if (!parse(file.readAll(), error)) {
        *error = path + u": "_s + *error;
        return false;
    }
    return true;
}

bool SenseCounts::parse(const QByteArray &bytes, QString *error)
{
    m_senses.clear();
    m_byPos.clear();
    m_total.clear();
    const QString text = QString::fromUtf8(bytes);
    const QList<QStringView> lines = QStringView(text).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringView line = lines.at(n).trimmed();
        if (line.isEmpty())
            continue;
        const QList<QStringView> fields = line.split(u' ', Qt::SkipEmptyParts);
        const qsizetype percent = fields.first().indexOf(u'%');
        bool numberOk = false;
        bool countOk = false;
        const int number = fields.size() == 3 ? fields.at(1).toInt(&numberOk) : 0;
        const int count = fields.size() == 3 ? fields.at(2).toInt(&countOk) : 0;
        const auto pos = percent > 0 && percent + 1 < fields.first().size()
                             ? PartsOfSpeech::fromSynsetType(fields.first().at(percent + 1))
                             : std::nullopt;
        if (!numberOk || !countOk || !pos || number < 1 || count < 0) {
            *error = u"line %1: expected \"sense_key sense_number tag_cnt\""_s.arg(n + 1);
            return false;
        }
        const QString lemma = key(fields.first().left(percent).toString());
        const QString byPos = lemma + u'%' + posDigit(*pos);
        m_senses[fields.first().toString().toLower()] += count;
        m_byPos[byPos] += count;
        m_total[lemma] += count;
    }
    return true;
}

int SenseCounts::senseCount(const QString &senseKey) const
{
    return m_senses.value(senseKey);
}

int SenseCounts::familiarity(const QString &lemma, PartOfSpeech pos) const
{
    return m_byPos.value(key(lemma) + u'%' + posDigit(pos));
}

int SenseCounts::totalFamiliarity(const QString &lemma) const
{
    return m_total.value(key(lemma));
}
