#include "engine/analysis.h"

#include "dictionary/dictionary.h"
#include "engine/jobcontrol.h"
#include "engine/scanner.h"
#include "engine/statistics.h"
#include "engine/store.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString ReservedTag = u"reserved_words"_s;
const QString IgnoreTag = u"ignore_words"_s;

QSet<QString> itemSet(const QString &list)
{
    QSet<QString> set;
    for (const QString &item : Analysis::listItems(list)) {
        if (!item.isEmpty())
            set.insert(item);
    }
    return set;
}

// The article text [from, to), empty when the range does not fit the text
// (a store that does not belong to it).
QStringView slice(QStringView text, qint64 from, qint64 to)
{
    if (from < 0 || to < from || to > text.size())
        return {};
    return text.mid(from, to - from);
}

// Whether [start, end) lies inside one of the sorted, merged spans; words come
// in increasing order, so the search only moves forward.
class SpanCover
{
public:
    explicit SpanCover(const QList<TextSpan> &spans) : m_spans(spans) {}
    bool covers(qsizetype start, qsizetype end)
    {
        while (m_next < m_spans.size() && m_spans[m_next].end <= start)
            ++m_next;
        return m_next < m_spans.size() && m_spans[m_next].start <= start &&
               end <= m_spans[m_next].end;
    }

private:
    const QList<TextSpan> &m_spans;
    qsizetype m_next = 0;
};

void appendSpanAndWord(QString &store, const WordSpan &word)
{
    store +=
        u'[' + QString::number(word.start) + u',' + QString::number(word.end) + u']' + word.text;
}

void appendTag(QString &store, const QString &tag)
{
    store += u'(' + tag + u')' + Store::LineEnd;
}

} // namespace

QStringList Analysis::listItems(const QString &list)
{
    QStringList items = list.split(u',');
    for (QString &item : items)
        item = item.trimmed();
    return items;
}

QString Analysis::normaliseArticleText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype lineEnd = i;
        while (lineEnd < n && text[lineEnd] != u'\r' && text[lineEnd] != u'\n')
            ++lineEnd;
        qsizetype p = i;
        while (p < lineEnd && !Scanner::isWordChar(text[p].unicode()))
            ++p;
        out += QStringView(text).mid(i, p - i);
        while (p < lineEnd) {
            if (text[p] != u' ') {
                out += text[p++];
                continue;
            }
            qsizetype q = p;
            while (q < lineEnd && text[q] == u' ')
                ++q;
            out += QString((q - p + 1) / 2, u' ');
            p = q;
        }
        i = lineEnd;
        if (i < n && text[i] == u'\r')
            out += text[i++];
        if (i < n && text[i] == u'\n')
            out += text[i++];
    }
    return out;
}

QList<TextSpan> Analysis::reservedWordSpans(QStringView text, const QString &reservedWords)
{
    QList<TextSpan> spans;
    for (const QString &item : listItems(reservedWords)) {
        if (item.isEmpty())
            continue;
        for (qsizetype at = text.indexOf(item); at >= 0; at = text.indexOf(item, at + 1)) {
            const qsizetype end = at + item.size();
            const bool freeBefore = at == 0 || !Scanner::isWordChar(text[at - 1].unicode());
            const bool freeAfter = end == text.size() || !Scanner::isWordChar(text[end].unicode());
            if (freeBefore && freeAfter)
                spans.append({at, end});
        }
    }
    std::sort(spans.begin(), spans.end(),
              [](const TextSpan &a, const TextSpan &b) { return a.start < b.start; });
    QList<TextSpan> merged;
    for (const TextSpan &s : std::as_const(spans)) {
        if (!merged.isEmpty() && s.start <= merged.last().end)
            merged.last().end = std::max(merged.last().end, s.end);
        else
            merged.append(s);
    }
    return merged;
}

PassOutcome Analysis::taggingPassEditor(const QString &text, const QList<TextSpan> &reservedSpans,
                                        const QString &reservedWords, const QString &ignoreWords,
                                        Dictionary &dictionary, const JobControl &control)
{
    const QString wrappedReserved = u',' + reservedWords + u',';
    const QSet<QString> ignored = itemSet(ignoreWords);
    SpanCover reservedCover(reservedSpans);
    // The tag of each word's first entry (what a search of the store text for
    // "]" word "(" finds), and the lookups done so far.
    QHash<QString, QString> firstTag;
    QHash<QString, QString> lookedUp;
    QString store;
    qsizetype caret = 0;
    for (;;) {
        const WordSpan word = Scanner::nextWordInText(text, caret);
        if (word.isEmpty())
            break;
        if (control.waitWhilePaused())
            return {{}, true};
        appendSpanAndWord(store, word);
        QString tag;
        if (wrappedReserved.contains(word.text) && reservedCover.covers(word.start, word.end)) {
            tag = ReservedTag;
        } else if (const auto first = firstTag.constFind(word.text);
                   first != firstTag.cend() && *first != ReservedTag) {
            tag = *first;
        } else if (const auto known = lookedUp.constFind(word.text); known != lookedUp.cend()) {
            tag = *known;
        } else {
            tag = dictionary.inflectionTag(word.text);
            if (ignored.contains(word.text))
                tag = tag.isEmpty() ? IgnoreTag : IgnoreTag + u'|' + tag;
            lookedUp.insert(word.text, tag);
        }
        appendTag(store, tag);
        if (!firstTag.contains(word.text))
            firstTag.insert(word.text, tag);
        caret = word.end + 1;
    }
    return {store, false};
}

PassOutcome Analysis::taggingPassText(const QString &text, const QString &ignoreWords,
                                      Dictionary &dictionary, const JobControl &control)
{
    const QSet<QString> ignored = itemSet(ignoreWords);
    QHash<QString, QString> firstTag;
    QString store;
    qsizetype caret = 0;
    for (;;) {
        const WordSpan word = Scanner::nextWordInText(text, caret);
        if (word.isEmpty())
            break;
        if (control.isAborted())
            return {{}, true};
        appendSpanAndWord(store, word);
        QString tag;
        if (const auto first = firstTag.constFind(word.text); first != firstTag.cend())
            tag = *first;
        else if (ignored.contains(word.text))
            tag = IgnoreTag;
        else
            tag = dictionary.inflectionTag(word.text);
        appendTag(store, tag);
        if (!firstTag.contains(word.text))
            firstTag.insert(word.text, tag);
        caret = word.end + 1;
    }
    return {store, false};
}

MergeOutcome Analysis::phraseMergePass(const QString &store, QStringView text,
                                       Dictionary &dictionary, const JobControl &control,
                                       bool pausable)
{
    // The output lines are kept as ranges of the input store, or of a merged
    // entry: a list of every line as a string of its own would hold the store
    // several times over.
    struct Line
    {
        qsizetype start = 0;
        qsizetype end = 0;
        qsizetype merged = -1; // index in mergedEntries, or -1
    };
    MergeOutcome outcome;
    QList<Line> lines;
    QStringList mergedEntries;
    auto lineText = [&](const Line &l) {
        return l.merged >= 0 ? QStringView(mergedEntries[l.merged])
                             : QStringView(store).mid(l.start, l.end - l.start);
    };
    QHash<QString, int> statusOf;
    auto phraseStatus = [&](const QString &candidate) {
        const auto known = statusOf.constFind(candidate);
        if (known != statusOf.cend())
            return *known;
        const int status = dictionary.phraseStatus(candidate);
        statusOf.insert(candidate, status);
        return status;
    };

    QString candidate;  // C
    int words = 0;      // k
    int lastStatus = 0; // L
    qint64 s0 = 0;
    qint64 e0 = 0;
    qsizetype firstLine = 0; // the candidate's first entry in lines

    // Replaces lines[firstLine..] (the entries from a through b) by one entry.
    auto commit = [&](qint64 a, qint64 b, const QString &phrase) {
        QString tag;
        for (qsizetype i = firstLine; i < lines.size(); ++i) {
            const QStringView text = lineText(lines[i]);
            const qsizetype colon = text.indexOf(u':');
            if (colon >= 0) {
                tag = text.mid(std::max<qsizetype>(colon - 2, 0), std::min<qsizetype>(colon, 2)) +
                      u':' + phrase;
                break;
            }
        }
        lines.remove(firstLine, lines.size() - firstLine);
        QString entry = Store::formatEntry(a, b, slice(text, a, b), tag);
        entry.chop(Store::LineEnd.size());
        lines.append({0, 0, mergedEntries.size()});
        mergedEntries.append(std::move(entry));
        outcome.underlines.append({qsizetype(a), qsizetype(b)});
    };
    auto startCandidate = [&](const StoreEntry &e, QString key) {
        candidate = std::move(key);
        words = 1;
        s0 = e.start;
        e0 = e.end;
        firstLine = lines.size();
    };

    // Entry lines one by one; empty lines are skipped.
    qsizetype from = 0;
    auto nextLine = [&](Line &line) {
        while (from < store.size()) {
            qsizetype end = store.indexOf(Store::LineEnd, from);
            if (end < 0)
                end = store.size();
            line = {from, end, -1};
            from = end + Store::LineEnd.size();
            if (end > line.start)
                return true;
        }
        return false;
    };
    for (Line line; nextLine(line);) {
        if (pausable ? control.waitWhilePaused() : control.isAborted()) {
            outcome.aborted = true;
            outcome.store.clear();
            outcome.underlines.clear();
            return outcome;
        }
        const StoreEntry e = Store::parseEntry(lineText(line));
        QString key = e.key();
        if (key.isEmpty()) {
            if (words > 1 && (lastStatus & 2))
                commit(s0, e0, candidate);
            // The pass ends here; the remaining entries stay as they are.
            lines.append(line);
            while (nextLine(line))
                lines.append(line);
            break;
        }
        if (candidate.isEmpty()) {
            startCandidate(e, std::move(key));
            lines.append(line);
            continue;
        }
        const QString longer = candidate + slice(text, e0, e.start) + key;
        const int status = phraseStatus(longer);
        if (status & 1) {
            candidate = longer;
            ++words;
            lastStatus = status;
            e0 = e.end;
            lines.append(line);
        } else if (status == 2) {
            lines.append(line);
            commit(s0, e.end, longer);
            candidate.clear();
            words = 0;
        } else {
            if (words > 1 && (lastStatus & 2))
                commit(s0, e0, candidate);
            startCandidate(e, std::move(key));
            lines.append(line);
        }
    }

    qsizetype size = 0;
    for (const Line &l : std::as_const(lines))
        size += lineText(l).size() + Store::LineEnd.size();
    outcome.store.reserve(size);
    for (const Line &l : std::as_const(lines)) {
        outcome.store += lineText(l);
        outcome.store += Store::LineEnd;
    }
    return outcome;
}

QString Analysis::removeNotExist(QString store)
{
    store = Store::replacedAll(store, u"|not_exist", {});
    store = Store::replacedAll(store, u"not_exist|", {});
    return Store::replacedAll(store, u"not_exist", {});
}

AnalysisResult Analysis::runAnalysis(const AnalysisParams &params, Dictionary &dictionary,
                                     const JobControl &control)
{
    AnalysisResult result;
    auto write = [&](const QString &path, const QString &text, bool scrambled) {
        if (Store::writeStore(path, text, scrambled, &result.error))
            return true;
        result.status = AnalysisStatus::Failed;
        return false;
    };

    // A lookup that fails reads as "not found": each pass is checked so that the
    // job ends with the dictionary's message instead of a thinner result.
    dictionary.clearError();
    auto lookupFailed = [&] {
        result.error = dictionary.lastError();
        if (result.error.isEmpty())
            return false;
        result.error = u"The dictionary cannot be read: "_s + result.error;
        result.status = AnalysisStatus::Failed;
        return true;
    };

    control.report(1);
    result.normalisedText = normaliseArticleText(params.article);
    result.reservedSpans = reservedWordSpans(result.normalisedText, params.reservedWords);
    if (control.waitWhilePaused()) {
        result.status = AnalysisStatus::Aborted;
        return result;
    }

    PassOutcome tagged =
        taggingPassEditor(result.normalisedText, result.reservedSpans, params.reservedWords,
                          params.ignoreWords, dictionary, control);
    if (tagged.aborted) {
        result.status = AnalysisStatus::Aborted;
        return result;
    }
    if (lookupFailed())
        return result;
    if (!write(params.storePath, tagged.store, params.scrambled))
        return result;
    if (tagged.store.isEmpty()) {
        result.status = AnalysisStatus::NoWords;
        return result;
    }
    result.wordsAmount = int(Store::entryCount(tagged.store));
    control.report(3);

    MergeOutcome merged =
        phraseMergePass(tagged.store, result.normalisedText, dictionary, control, true);
    tagged.store = QString(); // each copy of the store is several times the article
    if (merged.aborted) {
        result.status = AnalysisStatus::Aborted;
        return result;
    }
    if (lookupFailed())
        return result;
    if (!write(params.storePath, merged.store, params.scrambled))
        return result;
    if (control.isAborted()) {
        result.status = AnalysisStatus::Aborted;
        return result;
    }
    if (!Store::truncateStore(params.replacedStorePath, &result.error)) {
        result.status = AnalysisStatus::Failed;
        return result;
    }
    result.store = removeNotExist(std::exchange(merged.store, QString()));
    if (!write(params.storePath, result.store, params.scrambled))
        return result;
    result.underlineSpans = merged.underlines;
    control.report(5);

    result.frequencySummary = Statistics::frequencySummary(result.store);
    result.status = AnalysisStatus::Finished;
    control.report(6);
    control.report(8);
    return result;
}
