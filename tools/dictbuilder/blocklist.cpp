#include "blocklist.h"

#include "inputfile.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

QString normalised(const QString &text)
{
    return text.toLower().replace(u'-', u' ').simplified();
}

} // namespace

Blocklist::ReadResult Blocklist::parse(const QByteArray &bytes)
{
    ReadResult result;
    QSet<QString> *section = nullptr;
    result.error = forEachInputLine(bytes, [&](const QString &line) {
        if (line == u"[words]"_s || line == u"[senses]"_s) {
            section = line == u"[words]"_s ? &result.list.m_words : &result.list.m_senses;
            return QString();
        }
        if (!section)
            return u"an entry before [words] or [senses]"_s;
        if (line.contains(u',') || line.contains(u'|'))
            return u"one word or phrase per line"_s;
        const QString entry = normalised(line);
        section->insert(entry);
        result.list.m_longest = std::max(result.list.m_longest, int(entry.count(u' ')) + 1);
        return QString();
    });
    if (!result.error.isEmpty())
        result.list = {};
    return result;
}

Blocklist::ReadResult Blocklist::read(const QString &path)
{
    return readInputFile<ReadResult>(path, parse);
}

// Looks up every run of up to m_longest words of the item.
bool Blocklist::holds(const QSet<QString> &entries, const QString &item) const
{
    if (entries.isEmpty())
        return false;
    const QStringList words = normalised(item).split(u' ');
    for (qsizetype from = 0; from < words.size(); ++from) {
        QString run;
        for (qsizetype to = from; to < words.size() && to - from < m_longest; ++to) {
            run += (to > from ? u" "_s : QString()) + words.at(to);
            if (entries.contains(run))
                return true;
        }
    }
    return false;
}

bool Blocklist::blocks(const QString &item) const
{
    return holds(m_words, item) || holds(m_senses, item);
}

bool Blocklist::marksSense(const QString &item) const
{
    return holds(m_senses, item);
}
