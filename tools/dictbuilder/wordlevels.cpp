#include "wordlevels.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

bool WordLevels::load(const QString &dir, QString *error)
{
    m_levels.clear();
    if (dir.isEmpty())
        return true;
    static const QRegularExpression name(u"^(english|american)-words\\.(\\d+)$"_s);
    const QDir folder(dir);
    if (!folder.exists()) {
        *error = u"no word-list folder %1"_s.arg(dir);
        return false;
    }
    for (const QString &file : folder.entryList(QDir::Files)) {
        const QRegularExpressionMatch match = name.match(file);
        if (!match.hasMatch())
            continue;
        QFile list(folder.filePath(file));
        if (!list.open(QIODevice::ReadOnly)) {
            *error = u"cannot read %1: %2"_s.arg(list.fileName(), list.errorString());
            return false;
        }
        const int level = match.captured(2).toInt();
        for (const QByteArray &line : list.readAll().split('\n'))
            if (!line.trimmed().isEmpty())
                add(QString::fromUtf8(line.trimmed()), level);
    }
    if (m_levels.isEmpty()) {
        *error = u"%1 holds no english-words.N or american-words.N lists"_s.arg(dir);
        return false;
    }
    return true;
}

void WordLevels::add(const QString &word, int level)
{
    auto it = m_levels.find(word);
    if (it == m_levels.end())
        m_levels.insert(word, level);
    else
        *it = std::min(*it, level);
}

int WordLevels::level(const QString &word) const
{
    if (m_levels.isEmpty())
        return 0;
    const auto it = m_levels.constFind(word);
    if (it != m_levels.cend())
        return *it;
    return m_levels.value(word.toLower(), Unknown);
}

int WordLevels::phraseLevel(const QString &phrase) const
{
    int highest = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= phrase.size(); ++i) {
        if (i < phrase.size() && phrase.at(i) != u' ' && phrase.at(i) != u'-')
            continue;
        if (i > start)
            highest = std::max(highest, level(phrase.mid(start, i - start)));
        start = i + 1;
    }
    return highest;
}
