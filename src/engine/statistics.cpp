#include "engine/statistics.h"

#include "engine/store.h"

#include <QHash>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

qint64 leadingDigits(QStringView text, bool *found = nullptr)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    qint64 value = 0;
    const qsizetype first = i;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value < (qint64(1) << 40))
            value = value * 10 + (text[i].unicode() - u'0');
    }
    if (found)
        *found = i > first;
    return value;
}

double percent(qint64 part, qint64 whole)
{
    return whole == 0 ? 0.0 : double(part) / double(whole) * 100.0;
}

} // namespace

QString Statistics::frequencySummary(QStringView store)
{
    struct Item
    {
        QString key;
        int count = 0;
    };
    QList<Item> items;
    QHash<QString, qsizetype> indexOf;
    int total = 0;
    // Line by line: a list of every parsed entry would hold the store thrice.
    Store::forEachLineIn(store, [&](QStringView line) {
        if (line.isEmpty())
            return true;
        QString key = Store::entryKey(line);
        ++total;
        const auto found = indexOf.constFind(key);
        if (found != indexOf.cend()) {
            ++items[*found].count;
        } else {
            indexOf.insert(key, items.size());
            items.append({std::move(key), 1});
        }
        return true;
    });
    QString summary = QString::number(total) + u' ';
    for (const Item &item : std::as_const(items))
        summary += item.key + u'(' + QString::number(item.count) + u");"_s;
    return summary;
}

int Statistics::wordsAmountOf(QStringView summary)
{
    return int(leadingDigits(summary));
}

QStringList Statistics::densityItems(QStringView summary)
{
    const qsizetype space = summary.indexOf(u' ');
    if (space < 0)
        return {};
    const qint64 n = leadingDigits(summary.left(space));
    QStringList items;
    qsizetype from = space + 1;
    while (from < summary.size()) {
        qsizetype end = summary.indexOf(u");", from);
        if (end < 0)
            end = summary.size();
        const QStringView item = summary.mid(from, end - from);
        const qsizetype open = item.lastIndexOf(u'(');
        if (open >= 0) {
            const qint64 count = leadingDigits(item.mid(open + 1));
            items.append(QString::asprintf("(%2.1f", percent(count, n)) + u"%)"_s +
                         item.left(open));
        }
        from = end + 2;
    }
    std::sort(items.begin(), items.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return items;
}

QString Statistics::labelPrefix(const QString &labelText)
{
    return labelText.left(labelText.indexOf(u':') + 1);
}

QString Statistics::resetStatisticsText(const QString &labelText, int wordsAmount)
{
    return labelPrefix(labelText) + QString::asprintf("0/%d=0.0%%", wordsAmount);
}

QString Statistics::wordsAmountText(const QString &labelText, int wordsAmount)
{
    return labelPrefix(labelText) + QString::number(wordsAmount);
}

std::optional<int> Statistics::labelNumber(const QString &labelText)
{
    const qsizetype colon = labelText.indexOf(u':');
    if (colon < 0)
        return std::nullopt;
    bool found = false;
    const qint64 value = leadingDigits(QStringView(labelText).mid(colon + 1), &found);
    if (!found)
        return std::nullopt;
    return int(value);
}

QString Statistics::addReplacedText(const QString &labelText, int delta)
{
    const qsizetype colon = labelText.indexOf(u':');
    if (delta == 0 || colon < 0)
        return labelText;
    const QStringView figures = QStringView(labelText).mid(colon + 1);
    const qint64 replaced = leadingDigits(figures) + delta;
    const qsizetype slash = figures.indexOf(u'/');
    const qint64 words = slash < 0 ? 0 : leadingDigits(figures.mid(slash + 1));
    return labelText.left(colon + 1) +
           QString::asprintf("%lld/%lld=%3.2f%%", static_cast<long long>(replaced),
                             static_cast<long long>(words), percent(replaced, words));
}

QString Statistics::articleRate(int braceCount, int wordsAmount)
{
    return QString::asprintf("%3.2f%%", percent(braceCount, wordsAmount));
}
