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
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        if (line == u"[words]"_s || line == u"[senses]"_s) {
            section = line == u"[words]"_s ? &result.list.m_words : &result.list.m_senses;
        } else if (!section) {
            result.error = u"line %1: an entry before [words] or [senses]"_s.arg(n + 1);
        } else if (line.contains(u',') || line.contains(u'|')) {
            result.error = u"line %1: one word or phrase per line"_s.arg(n + 1);
        } else {
            const QString entry = normalised(line);
            section->insert(entry);
            result.list.m_longest = std::max(result.list.m_longest, int(entry.count(u' ')) + 1);
            continue;
        }
        if (!result.error.isEmpty()) {
            result.list = {};
            return result;
        }
    }
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
