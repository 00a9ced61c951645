#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <functional>

// The rules of the article list and of the Save All button that need no
// screen: the comparisons of the two sort columns, the format-menu zone of the
// button and the label texts of a shown article.
namespace ArticleListLogic {

// The C library's atoi and atof: optional leading blanks and sign, then the
// longest number that follows; 0 when there is none.
[[nodiscard]] int leadingInteger(QStringView text);
[[nodiscard]] double leadingNumber(QStringView text);

// Column 0: the leading integers of the names ("original article" is 0).
[[nodiscard]] int compareNames(QStringView a, QStringView b);
// Column 1: the rates without their last character ("%"), the difference
// times 100 truncated; rates closer than 0.01 compare equal.
[[nodiscard]] int compareRates(QStringView a, QStringView b);

// Save All opens the format menu instead of saving when the cursor's x is at
// or right of right - (right - left) / 5; right is exclusive, as in a RECT.
[[nodiscard]] bool opensFormatMenu(int cursorX, int left, int right);

// Label 1043 of a shown article: its text cut after the first ":" (unless
// that is the first character) followed by the row's rate.
[[nodiscard]] QString replacedLabelText(const QString &label, const QString &rate);

// A stable merge sort that stays within bounds whatever the comparison
// answers: the rate comparison is not transitive (12.345 ~ 12.349 ~ 12.353,
// yet 12.345 < 12.355). compare < 0 puts a before b.
template<typename T>
void stableSort(QList<T> &items, const std::function<int(const T &, const T &)> &compare)
{
    const qsizetype n = items.size();
    QList<T> buffer(n);
    for (qsizetype width = 1; width < n; width *= 2) {
        for (qsizetype left = 0; left < n; left += 2 * width) {
            const qsizetype mid = std::min(left + width, n);
            const qsizetype right = std::min(left + 2 * width, n);
            qsizetype i = left;
            qsizetype j = mid;
            qsizetype k = left;
            while (i < mid && j < right)
                buffer[k++] = compare(items[j], items[i]) < 0 ? items[j++] : items[i++];
            while (i < mid)
                buffer[k++] = items[i++];
            while (j < right)
                buffer[k++] = items[j++];
        }
        std::swap(items, buffer);
    }
}

} // namespace ArticleListLogic
