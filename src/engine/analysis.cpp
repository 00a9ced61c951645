#include "engine/analysis.h"

#include "dictionary/dictionary.h"
#include "engine/jobcontrol.h"
#include "engine/scanner.h"
#include "engine/statistics.h"
#include "engine/store.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <functional>
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

// The tag of each word of the editor's text, as the Search Phrase pass gives
// it: reserved words, a word's first tag for its later occurrences, one
// lookup per word.
class EditorTagging
{
public:
    EditorTagging(const QList<TextSpan> &reservedSpans, const QString &reservedWords,
                  const QString &ignoreWords, Dictionary &dictionary)
        : m_wrappedReserved(u',' + reservedWords + u','), m_ignored(itemSet(ignoreWords)),
          m_reservedCover(reservedSpans), m_dictionary(dictionary)
    {}

    QString tagOf(const WordSpan &word)
    {
        QString tag;
        if (m_wrappedReserved.contains(word.text) && m_reservedCover.covers(word.start, word.end)) {
            tag = ReservedTag;
        } else if (const auto first = m_firstTag.constFind(word.text);
                   first != m_firstTag.cend() && *first != ReservedTag) {
            tag = *first;
        } else if (const auto known = m_lookedUp.constFind(word.text); known != m_lookedUp.cend()) {
            tag = *known;
        } else {
            tag = m_dictionary.inflectionTag(word.text);
            if (m_ignored.contains(word.text))
                tag = tag.isEmpty() ? IgnoreTag : IgnoreTag + u'|' + tag;
            m_lookedUp.insert(word.text, tag);
        }
        if (!m_firstTag.contains(word.text))
            m_firstTag.insert(word.text, tag);
        return tag;
    }

private:
    const QString m_wrappedReserved;
    const QSet<QString> m_ignored;
    SpanCover m_reservedCover;
    Dictionary &m_dictionary;
    // The tag of each word's first entry (what a search of the store text for
    // "]" word "(" finds), and the lookups done so far.
    QHash<QString, QString> m_firstTag;
    QHash<QString, QString> m_lookedUp;
};

// The phrase merge over a stream of entry lines: runs of entries that form a
// dictionary phrase become one entry. Only the lines of the phrase being
// tried are held; the others go to emit(line) (without CR LF) as soon as no
// phrase can take them any more.
class PhraseMerger
{
public:
    PhraseMerger(QStringView text, Dictionary &dictionary,
                 std::function<void(QStringView line)> emit)
        : m_text(text), m_dictionary(dictionary), m_emit(std::move(emit))
    {}

    void addLine(QStringView line)
    {
        if (m_passEnded) {
            m_emit(line);
            return;
        }
        const StoreEntry e = Store::parseEntry(line);
        QString key = e.key();
        if (key.isEmpty()) {
            if (m_words > 1 && (m_lastStatus & 2))
                commit(m_s0, m_e0, m_candidate);
            // The pass ends here; the remaining entries stay as they are.
            flushPending();
            m_emit(line);
            m_passEnded = true;
            return;
        }
        if (m_candidate.isEmpty()) {
            startCandidate(e, std::move(key));
            addPending(line);
            return;
        }
        const QString longer = m_candidate + slice(m_text, m_e0, e.start) + key;
        const int status = phraseStatus(longer);
        if (status & 1) {
            m_candidate = longer;
            ++m_words;
            m_lastStatus = status;
            m_e0 = e.end;
            addPending(line);
        } else if (status == 2) {
            addPending(line);
            commit(m_s0, e.end, longer);
            m_candidate.clear();
            m_words = 0;
        } else {
            if (m_words > 1 && (m_lastStatus & 2))
                commit(m_s0, m_e0, m_candidate);
            startCandidate(e, std::move(key));
            addPending(line);
        }
    }

    // A phrase still open at the end is not merged.
    void finish() { flushPending(); }

    QList<TextSpan> underlines; // the merged phrases

private:
    void addPending(QStringView line)
    {
        m_pending += line;
        m_pendingEnds.append(m_pending.size());
    }

    void flushPending()
    {
        qsizetype from = 0;
        for (const qsizetype end : std::as_const(m_pendingEnds)) {
            m_emit(QStringView(m_pending).mid(from, end - from));
            from = end;
        }
        m_pending.clear();
        m_pendingEnds.clear();
    }

    void startCandidate(const StoreEntry &e, QString key)
    {
        flushPending();
        m_candidate = std::move(key);
        m_words = 1;
        m_s0 = e.start;
        m_e0 = e.end;
    }

    // Replaces the pending lines (the entries from a through b) by one entry.
    void commit(qint64 a, qint64 b, const QString &phrase)
    {
        QString tag;
        qsizetype from = 0;
        for (const qsizetype end : std::as_const(m_pendingEnds)) {
            const QStringView line = QStringView(m_pending).mid(from, end - from);
            from = end;
            const qsizetype colon = line.indexOf(u':');
            if (colon >= 0) {
                tag = line.mid(std::max<qsizetype>(colon - 2, 0), std::min<qsizetype>(colon, 2)) +
                      u':' + phrase;
                break;
            }
        }
        m_pending = Store::formatEntry(a, b, slice(m_text, a, b), tag);
        m_pending.chop(Store::LineEnd.size());
        m_pendingEnds = {m_pending.size()};
        underlines.append({qsizetype(a), qsizetype(b)});
    }

    int phraseStatus(const QString &candidate)
    {
        const auto known = m_statusOf.constFind(candidate);
        if (known != m_statusOf.cend())
            return *known;
        const int status = m_dictionary.phraseStatus(candidate);
        m_statusOf.insert(candidate, status);
        return status;
    }

    QStringView m_text;
    Dictionary &m_dictionary;
    std::function<void(QStringView)> m_emit;
    QHash<QString, int> m_statusOf;
    QString m_candidate;  // C
    int m_words = 0;      // k
    int m_lastStatus = 0; // L
    qint64 m_s0 = 0;
    qint64 m_e0 = 0;
    QString m_pending;              // the lines from the candidate's first entry on
    QList<qsizetype> m_pendingEnds; // where each of them ends in m_pending
    bool m_passEnded = false;
};

} // namespace

QList<TextSpan> Analysis::mergedSpans(QList<TextSpan> spans)
{
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
    return mergedSpans(std::move(spans));
}

namespace {

// One store line per word of text, tagged by tagOf; pausable passes wait while
// paused, the others only stop when aborted.
template<typename TagOf>
PassOutcome taggingPass(const QString &text, const JobControl &control, bool pausable, TagOf tagOf)
{
    QString store;
    qsizetype caret = 0;
    for (;;) {
        const WordSpan word = Scanner::nextWordInText(text, caret);
        if (word.isEmpty())
            break;
        if (pausable ? control.waitWhilePaused() : control.isAborted())
            return {{}, true};
        appendSpanAndWord(store, word);
        appendTag(store, tagOf(word));
        caret = word.end + 1;
    }
    return {store, false};
}

} // namespace

PassOutcome Analysis::taggingPassEditor(const QString &text, const QList<TextSpan> &reservedSpans,
                                        const QString &reservedWords, const QString &ignoreWords,
                                        Dictionary &dictionary, const JobControl &control)
{
    EditorTagging tagging(reservedSpans, reservedWords, ignoreWords, dictionary);
    return taggingPass(text, control, true,
                       [&](const WordSpan &word) { return tagging.tagOf(word); });
}

PassOutcome Analysis::taggingPassText(const QString &text, const QString &ignoreWords,
                                      Dictionary &dictionary, const JobControl &control)
{
    const QSet<QString> ignored = itemSet(ignoreWords);
    QHash<QString, QString> firstTag;
    return taggingPass(text, control, false, [&](const WordSpan &word) {
        if (const auto first = firstTag.constFind(word.text); first != firstTag.cend())
            return *first;
        const QString tag =
            ignored.contains(word.text) ? IgnoreTag : dictionary.inflectionTag(word.text);
        firstTag.insert(word.text, tag);
        return tag;
    });
}

MergeOutcome Analysis::phraseMergePass(const QString &store, QStringView text,
                                       Dictionary &dictionary, const JobControl &control,
                                       bool pausable)
{
    MergeOutcome outcome;
    outcome.store.reserve(store.size());
    PhraseMerger merger(text, dictionary, [&](QStringView line) {
        outcome.store += line;
        outcome.store += Store::LineEnd;
    });
    // Entry lines one by one; empty lines are skipped.
    const bool finished = Store::forEachLineIn(store, [&](QStringView line) {
        if (line.isEmpty())
            return true;
        if (pausable ? control.waitWhilePaused() : control.isAborted())
            return false;
        merger.addLine(line);
        return true;
    });
    if (!finished) {
        outcome.aborted = true;
        outcome.store.clear();
        return outcome;
    }
    merger.finish();
    outcome.underlines = std::move(merger.underlines);
    return outcome;
}

QString Analysis::removeNotExist(QString store)
{
    // In place, one pass per pattern: the store is many times the article's
    // size, and a text never grows by removing from it.
    for (const QStringView pattern : {u"|not_exist", u"not_exist|", u"not_exist"}) {
        QChar *const data = store.data();
        const QStringView text(data, store.size());
        qsizetype kept = 0;
        qsizetype from = 0;
        for (qsizetype at; (at = text.indexOf(pattern, from)) >= 0; from = at + pattern.size()) {
            memmove(data + kept, data + from, (at - from) * sizeof(QChar));
            kept += at - from;
        }
        memmove(data + kept, data + from, (store.size() - from) * sizeof(QChar));
        store.truncate(kept + store.size() - from);
    }
    return store;
}

namespace {

// The Search Phrase job in one pass over the words: the tagged, merged and
// cleaned lines go straight to files of their own, which then replace
// temp.dat in the order the separate passes would leave it.
AnalysisResult streamedAnalysis(const AnalysisParams &params, Dictionary &dictionary,
                                const JobControl &control, AnalysisResult result)
{
    auto failed = [&] {
        result.status = AnalysisStatus::Failed;
        return result;
    };
    StoreWriter tagged(params.storePath, params.scrambled, u".tagged.part"_s);
    StoreWriter merged(params.storePath, params.scrambled, u".merged.part"_s);
    StoreWriter cleaned(params.storePath, params.scrambled, u".part"_s);
    if (!tagged.open(&result.error) || !merged.open(&result.error) || !cleaned.open(&result.error))
        return failed();
    PhraseMerger merger(result.normalisedText, dictionary, [&](QStringView line) {
        merged.append(line);
        merged.append(Store::LineEnd);
        if (line.contains(u"not_exist"))
            cleaned.append(Analysis::removeNotExist(line.toString()));
        else
            cleaned.append(line);
        cleaned.append(Store::LineEnd);
    });
    EditorTagging tagging(result.reservedSpans, params.reservedWords, params.ignoreWords,
                          dictionary);
    QString line;
    for (qsizetype caret = 0;;) {
        const WordSpan word = Scanner::nextWordInText(result.normalisedText, caret);
        if (word.isEmpty())
            break;
        if (control.waitWhilePaused()) {
            result.status = AnalysisStatus::Aborted;
            return result;
        }
        line.clear();
        appendSpanAndWord(line, word);
        appendTag(line, tagging.tagOf(word));
        tagged.append(line);
        merger.addLine(QStringView(line).chopped(Store::LineEnd.size()));
        ++result.wordsAmount;
        caret = word.end + 1;
    }
    merger.finish();
    if (const QString why = dictionary.lastError(); !why.isEmpty()) {
        result.error = u"The dictionary cannot be read: "_s + why;
        return failed();
    }
    if (!tagged.commit(&result.error))
        return failed();
    if (result.wordsAmount == 0) {
        result.status = AnalysisStatus::NoWords;
        return result;
    }
    control.report(3);
    if (!merged.commit(&result.error))
        return failed();
    if (control.isAborted()) {
        result.status = AnalysisStatus::Aborted;
        return result;
    }
    if (!Store::truncateStore(params.replacedStorePath, &result.error) ||
        !cleaned.commit(&result.error))
        return failed();
    result.underlineSpans = std::move(merger.underlines);
    control.report(5);
    result.status = AnalysisStatus::Finished;
    control.report(6);
    control.report(8);
    return result;
}

} // namespace

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

    if (!params.keepStore)
        return streamedAnalysis(params, dictionary, control, std::move(result));

    // A pass ends the job when it was aborted, a lookup failed or its store
    // could not be written.
    const auto passFailed = [&](bool aborted, const QString &store) {
        if (aborted)
            result.status = AnalysisStatus::Aborted;
        return aborted || lookupFailed() || !write(params.storePath, store, params.scrambled);
    };
    PassOutcome tagged =
        taggingPassEditor(result.normalisedText, result.reservedSpans, params.reservedWords,
                          params.ignoreWords, dictionary, control);
    if (passFailed(tagged.aborted, tagged.store))
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
    if (passFailed(merged.aborted, merged.store))
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
