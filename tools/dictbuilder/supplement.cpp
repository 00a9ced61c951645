#include "supplement.h"

#include "inputfile.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace Supplement {

ReadResult parse(const QByteArray &bytes)
{
    static const QRegularExpression line(u"^([^:,|]+) (noun|verb|adjective|adverb):(.+)$"_s);
    ReadResult result;
    result.error = forEachInputLine(bytes, [&](const QString &text) {
        const QRegularExpressionMatch match = line.match(text.simplified());
        QStringList words;
        for (const QString &word : match.captured(3).split(u','))
            if (!word.trimmed().isEmpty())
                words << word.trimmed();
        if (!match.hasMatch() || words.isEmpty() ||
            std::any_of(words.cbegin(), words.cend(), [](const QString &w) {
                return w.contains(u'|') || w.contains(u'"') || w.contains(u'{') || w.contains(u'}');
            }))
            return u"expected \"headword pos: word, word\""_s;
        PartOfSpeech pos = PartOfSpeech::Noun;
        for (const PartOfSpeech p : PartsOfSpeech::All)
            if (PartsOfSpeech::typeName(p) == match.captured(2))
                pos = p;
        result.words[match.captured(1).trimmed().toLower()][int(pos)] << words;
        ++result.lines;
        return QString();
    });
    if (!result.error.isEmpty())
        result.words.clear();
    return result;
}

ReadResult read(const QString &path)
{
    return readInputFile<ReadResult>(path, parse);
}

} // namespace Supplement
