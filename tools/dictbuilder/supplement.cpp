#include "supplement.h"

#include "inputfile.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace Supplement {

ReadResult parse(const QByteArray &bytes)
{
    static const QRegularExpression line(u"^([^:,|]+) (noun|verb|adjective|adverb):(.+)$"_s);
    ReadResult result;
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString text = lines.at(n).section(u'#', 0, 0).simplified();
        if (text.isEmpty())
            continue;
        const QRegularExpressionMatch match = line.match(text);
        QStringList words;
        for (const QString &word : match.captured(3).split(u','))
            if (!word.trimmed().isEmpty())
                words << word.trimmed();
        if (!match.hasMatch() || words.isEmpty() ||
            std::any_of(words.cbegin(), words.cend(), [](const QString &w) {
                return w.contains(u'|') || w.contains(u'"') || w.contains(u'{') || w.contains(u'}');
            })) {
            result.error = u"line %1: expected \"headword pos: word, word\""_s.arg(n + 1);
            result.words.clear();
            return result;
        }
        PartOfSpeech pos = PartOfSpeech::Noun;
        for (const PartOfSpeech p : PartsOfSpeech::All)
            if (PartsOfSpeech::typeName(p) == match.captured(2))
                pos = p;
        result.words[match.captured(1).trimmed().toLower()][int(pos)] << words;
        ++result.lines;
    }
    return result;
}

ReadResult read(const QString &path)
{
    return readInputFile<ReadResult>(path, parse);
}

} // namespace Supplement
