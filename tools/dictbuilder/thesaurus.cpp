#include "thesaurus.h"

#include "inputfile.h"

#include <QFile>
#include <QStringDecoder>

using namespace Qt::Literals::StringLiterals;

namespace Thesaurus {

namespace {

constexpr QStringView SimilarNote = u"(similar term)";
constexpr QStringView RelatedNote = u"(related term)";

std::optional<QStringConverter::Encoding> encodingNamed(QByteArray name)
{
    name = name.trimmed().toUpper().replace('-', "").replace('_', "");
    if (name == "UTF8")
        return QStringConverter::Utf8;
    if (name == "ISO88591" || name == "LATIN1")
        return QStringConverter::Latin1;
    return std::nullopt;
}

QString lineError(qsizetype lineNumber, const QString &what)
{
    return u"line %1: %2"_s.arg(lineNumber).arg(what);
}

} // namespace

ReadResult parse(const QByteArray &bytes)
{
    ReadResult result;
    const qsizetype firstEnd = bytes.indexOf('\n');
    const QByteArray encodingName = bytes.left(firstEnd < 0 ? bytes.size() : firstEnd);
    const auto encoding = encodingNamed(encodingName);
    if (!encoding) {
        result.error = u"unsupported encoding \"%1\" on the first line"_s.arg(
            QString::fromLatin1(encodingName.left(40)).trimmed());
        return result;
    }
    QStringDecoder decoder(*encoding);
    const QString text = decoder.decode(bytes.mid(firstEnd < 0 ? bytes.size() : firstEnd + 1));
    if (decoder.hasError()) {
        result.error = u"text is not valid %1"_s.arg(QString::fromLatin1(encodingName).trimmed());
        return result;
    }

    const QList<QStringView> lines = QStringView(text).split(u'\n');
    qsizetype i = 0;
    const auto lineAt = [&](qsizetype index) {
        QStringView line = lines.at(index);
        return line.endsWith(u'\r') ? line.chopped(1) : line;
    };
    while (i < lines.size()) {
        const QStringView head = lineAt(i);
        const qsizetype headLine = i + 2; // 1-based, after the encoding line
        ++i;
        if (head.trimmed().isEmpty())
            continue;
        const qsizetype bar = head.lastIndexOf(u'|');
        bool ok = false;
        const int senseCount = bar > 0 ? head.mid(bar + 1).toInt(&ok) : 0;
        if (!ok || senseCount < 0) {
            result.error = lineError(headLine, u"expected \"headword|count\""_s);
            return result;
        }
        if (i + senseCount > lines.size()) {
            result.error = lineError(headLine, u"file ends inside the senses of this headword"_s);
            return result;
        }
        Entry entry;
        entry.headword = head.left(bar).trimmed().toString();
        for (int s = 0; s < senseCount; ++s, ++i) {
            const QStringView line = lineAt(i);
            if (!line.startsWith(u'(')) {
                result.error = lineError(i + 2, u"expected a sense line \"(pos)|...\""_s);
                return result;
            }
            const QList<QStringView> items = line.split(u'|');
            const QStringView posName = items.first().trimmed();
            const auto pos = PartsOfSpeech::fromThesaurus(posName.mid(1, posName.size() - 2));
            if (!pos || !posName.endsWith(u')')) {
                ++result.unknownPosSenses;
                continue;
            }
            Sense sense;
            sense.pos = *pos;
            for (qsizetype k = 1; k < items.size(); ++k) {
                const QString item = items.at(k).toString().simplified();
                if (item.isEmpty())
                    continue;
                if (!item.contains(u'(')) {
                    sense.synonyms << item;
                } else if (item.endsWith(RelatedNote)) {
                    sense.relatedTerms = true;
                } else if (item.endsWith(SimilarNote)) {
                    const QString word = item.chopped(SimilarNote.size()).trimmed();
                    if (!word.isEmpty() && !word.contains(u'('))
                        sense.similar << word;
                }
            }
            entry.senses << sense;
        }
        result.entries << std::move(entry);
    }
    return result;
}

ReadResult read(const QString &path)
{
    return readInputFile<ReadResult>(path, parse);
}

} // namespace Thesaurus
