#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The figures of the statistics line and of the article list.
//
// With no words (N = 0) no percentage is divided out: the replaced label reads
// "R/0=0.00%" after an addition, an article rate is "0.00%" and the density
// list is empty.
namespace Statistics {

// "N " followed by key "(" count ");" for every distinct lookup key of the
// store, in the order of first occurrence; N is the number of entries. Keys
// are compared whole ("cat" never counts inside "concat").
[[nodiscard]] QString frequencySummary(QStringView store);
// The leading number N of a summary.
[[nodiscard]] int wordsAmountOf(QStringView summary);

// The items of the word-frequency box: "(" count/N*100 as %2.1f "%)" key, in
// the order of a sorted combo box (case-insensitive, ties by case).
[[nodiscard]] QStringList densityItems(QStringView summary);

// The label text up to and including its first ":" (empty without one).
[[nodiscard]] QString labelPrefix(const QString &labelText);
// Replaced label after an analysis: prefix + "0/N=0.0%".
[[nodiscard]] QString resetStatisticsText(const QString &labelText, int wordsAmount);
// Word-amount label: prefix + N.
[[nodiscard]] QString wordsAmountText(const QString &labelText, int wordsAmount);
// The number after a label's ":", when one follows it.
[[nodiscard]] std::optional<int> labelNumber(const QString &labelText);
// Replaced label "prefix R/N=p%" with R raised by delta: prefix + "%d/%d=%3.2f%%".
// Unchanged when delta is 0 or the label has no ":".
[[nodiscard]] QString addReplacedText(const QString &labelText, int delta);
// Rate of a generated article: braceCount / N * 100 as "%3.2f%%".
[[nodiscard]] QString articleRate(int braceCount, int wordsAmount);

} // namespace Statistics
