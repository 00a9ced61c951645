#include "update/updateversion.h"

#include "buildinfo.h"

#include <QList>

using namespace Qt::Literals::StringLiterals;

std::optional<UpdateVersion::Parts> UpdateVersion::parse(QStringView text)
{
    Parts parts{0, 0, 0, 0};
    qsizetype count = 0;
    for (const QStringView part : text.split(u'.', Qt::SkipEmptyParts)) {
        if (count == qsizetype(parts.size()))
            return std::nullopt;
        quint64 value = 0;
        for (const QChar c : part) {
            if (c < u'0' || c > u'9')
                return std::nullopt;
            value = value * 10 + quint64(c.unicode() - u'0');
            if (value > 0xFFFFFFFFu)
                return std::nullopt;
        }
        parts[count++] = quint32(value);
    }
    return parts;
}

bool UpdateVersion::isNewer(QStringView published, QStringView own)
{
    const std::optional<Parts> theirs = parse(published);
    const std::optional<Parts> ours = parse(own);
    return theirs && ours && *theirs > *ours;
}

QString UpdateVersion::ownVersionText(const Parts &parts)
{
    const auto n = [](quint32 v) {
        return QString::number(v);
    };
    if (parts[2] != 0 || parts[3] != 0)
        return n(parts[0]) + u'.' + n(parts[1]) + u'.' + n(parts[2]) + u'.' + n(parts[3]);
    if (parts[0] != 0 || parts[1] != 0)
        return n(parts[0]) + u'.' + n(parts[1]);
    return {};
}

QString UpdateVersion::builtVersion()
{
    const auto &v = BuildInfo::VersionParts;
    return ownVersionText({v[0], v[1], v[2], v[3]});
}
