#include "engine/popuplist.h"

#include "dictionary/dictionary.h"
#include "engine/store.h"

#include <QFileInfo>
#include <QSet>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isAsciiUpper(QChar c)
{
    return c >= u'A' && c <= u'Z';
}

// The start and end (before CR LF) of the store line holding position at.
std::pair<qsizetype, qsizetype> lineAround(QStringView store, qsizetype at)
{
    qsizetype start = store.lastIndexOf(Store::LineEnd, at);
    start = start < 0 ? 0 : start + Store::LineEnd.size();
    qsizetype end = store.indexOf(Store::LineEnd, at);
    if (end < 0)
        end = store.size();
    return {start, end};
}

QString serialise(const QList<PopupGroup> &groups)
{
    QString text;
    for (const PopupGroup &g : groups)
        text += u'<' + g.label + u'>' + g.items.join(u',');
    return text;
}

} // namespace

QList<PopupGroup> PopupList::groups(QStringView alternatives)
{
    QList<PopupGroup> result;
    qsizetype from = 0;
    while (from < alternatives.size()) {
        PopupGroup group;
        qsizetype itemsStart = from;
        if (alternatives[from] == u'<') {
            const qsizetype close = alternatives.indexOf(u'>', from + 1);
            if (close < 0)
                break;
            group.label = alternatives.mid(from + 1, close - from - 1).toString();
            itemsStart = close + 1;
        }
        qsizetype end = alternatives.indexOf(u'<', itemsStart);
        if (end < 0)
            end = alternatives.size();
        for (QStringView item : alternatives.mid(itemsStart, end - itemsStart).split(u',')) {
            if (!item.isEmpty())
                group.items.append(item.toString());
        }
        result.append(std::move(group));
        from = end;
    }
    return result;
}

QString PopupList::preferType(const QString &alternatives, const QString &type)
{
    QList<PopupGroup> all = groups(alternatives);
    if (type.isEmpty() || all.size() < 3 || all.first().label != AllLabel)
        return alternatives;
    qsizetype at = -1;
    for (qsizetype i = 1; i < all.size(); ++i) {
        if (all[i].label.compare(type, Qt::CaseInsensitive) == 0)
            at = i;
    }
    if (at < 0)
        return alternatives;
    all.move(at, 1);
    // "All" keeps its leading "(blank)", then this type's items, then the rest.
    QStringList &items = all.first().items;
    const bool blank = !items.isEmpty() && items.first() == Blank;
    QStringList ordered;
    if (blank)
        ordered.append(Blank.toString());
    for (const QString &item : std::as_const(all[1].items)) {
        if (items.contains(item) && !ordered.contains(item))
            ordered.append(item);
    }
    for (const QString &item : std::as_const(items)) {
        if (!ordered.contains(item))
            ordered.append(item);
    }
    items = ordered;
    return serialise(all);
}

QString PopupList::build(const QString &markedList)
{
    QList<PopupGroup> found = groups(markedList);
    found.removeIf([](const PopupGroup &g) { return g.items.isEmpty(); });
    if (found.isEmpty())
        return {};
    if (found.size() > 1) {
        PopupGroup all{AllLabel.toString(), {}};
        QSet<QString> seen;
        qsizetype longest = 0;
        for (const PopupGroup &g : std::as_const(found))
            longest = std::max(longest, g.items.size());
        for (qsizetype i = 0; i < longest; ++i) {
            for (const PopupGroup &g : std::as_const(found)) {
                if (i < g.items.size() && !seen.contains(g.items[i])) {
                    seen.insert(g.items[i]);
                    all.items.append(g.items[i]);
                }
            }
        }
        found.prepend(std::move(all));
    }
    found.first().items.prepend(Blank.toString());
    return serialise(found);
}

int PopupList::groupContaining(QStringView alternatives, QStringView text)
{
    const QList<PopupGroup> all = groups(alternatives);
    for (int i = 0; i < all.size(); ++i) {
        for (const QString &item : all[i].items) {
            if (item == text)
                return i;
        }
    }
    return -1;
}

bool PopupList::wantsCapitals(QStringView word)
{
    return word.size() >= 2 && isAsciiUpper(word[0]) && !isAsciiUpper(word[1]);
}

QString PopupList::entryLookup(const QString &word, const QString &tag, Dictionary &dictionary)
{
    const qsizetype colon = tag.indexOf(u':');
    if (colon <= 0)
        return dictionary.synonyms(word);
    // Several readings ("sp|pp:lie|lay") are looked up base by base.
    if (tag.left(colon).contains(u'|') || tag.indexOf(u'|', colon) >= 0)
        return dictionary.readingsList(tag);
    return dictionary.inflectList(u'(' + tag + u')' + dictionary.synonyms(tag.mid(colon + 1)));
}

QString PopupList::wordLookup(const QString &word, Dictionary &dictionary)
{
    const QString own = dictionary.synonyms(word);
    if (!own.isEmpty())
        return own;
    const QString irregular = dictionary.irregularTag(word);
    if (!irregular.isEmpty())
        return dictionary.readingsList(QStringView(irregular).mid(1, irregular.size() - 2));
    // A regular form of a headword: its base's synonyms of the parts of speech
    // that form can stand for, bent into the form.
    const QString tag = dictionary.inflectionTag(word);
    const qsizetype colon = tag.indexOf(u':');
    if (colon <= 0)
        return {};
    const QString base = tag.mid(colon + 1);
    const QString list = dictionary.synonyms(base, Lookup::popupTypeFilter(tag.left(colon)));
    if (list.isEmpty())
        return {};
    return dictionary.inflectList(u'(' + tag + u')' + list);
}

PopupFill PopupList::fill(const QString &word, Dictionary *dictionary, const QString &storePath,
                          bool scrambled)
{
    PopupFill result;
    if (word.isEmpty() || word.contains(u'"') || word.size() > MaxWordLength)
        return result;
    if (word.size() == 1) {
        const QChar c = word[0];
        const bool lookable = (c >= u'a' && c <= u'z') || isAsciiUpper(c) ||
                              (c >= u'0' && c <= u'9') || c == u'%' || c == u'$';
        if (!lookable) {
            result.skippable = true;
            return result;
        }
    }
    if (!dictionary)
        return result;
    result.skippable = true;

    QString store = Store::readStore(storePath, scrambled);
    QString list;
    const qsizetype at = Store::findEntry(store, word);
    if (at >= 0) {
        const auto [lineStart, lineEnd] = lineAround(store, at);
        const StoreEntry entry =
            Store::parseEntry(QStringView(store).mid(lineStart, lineEnd - lineStart));
        if (entry.tag.contains(u"reserved_words") || entry.tag.contains(u"ignore_words")) {
            result.hide = true;
            return result;
        }
        if (entry.tag.contains(u"not_exist"))
            return result;
        if (!entry.alternatives.isEmpty()) {
            list = entry.alternatives;
        } else if (entry.hasTag) {
            list = build(entryLookup(word, entry.tag, *dictionary));
            if (!list.isEmpty()) {
                store.insert(lineEnd, list);
                Store::writeStore(storePath, store, scrambled);
            }
        }
    } else {
        list = build(wordLookup(word, *dictionary));
        // A text with a line end would break the store's lines; it is shown but
        // not kept.
        if (!list.isEmpty() && !word.contains(u'\r') && !word.contains(u'\n')) {
            store += UnplacedSpan + word + u"()"_s + list + Store::LineEnd;
            Store::writeStore(storePath, store, scrambled);
        }
    }
    result.alternatives = wantsCapitals(word) ? Lookup::capitaliseMarkedList(list) : list;
    return result;
}

QString PopupList::libraryWord(QStringView store, const QString &popupWord)
{
    const qsizetype at = Store::findEntry(store, popupWord);
    if (at < 0)
        return popupWord;
    const auto [lineStart, lineEnd] = lineAround(store, at);
    const StoreEntry entry = Store::parseEntry(store.mid(lineStart, lineEnd - lineStart));
    const qsizetype colon = entry.tag.indexOf(u':');
    if (colon <= 0)
        return popupWord;
    // Of several readings the first base is the one to edit.
    const QString bases = entry.tag.mid(colon + 1);
    const qsizetype bar = bases.indexOf(u'|');
    return bar < 0 ? bases : bases.left(bar);
}

QString PopupList::withoutCachedAlternatives(QStringView store)
{
    QString out;
    out.reserve(store.size());
    Store::forEachLineIn(store, [&](QStringView line) {
        const qsizetype close = line.indexOf(u')');
        out += close < 0 ? line : line.left(close + 1);
        out += Store::LineEnd;
        return true;
    });
    if (!store.endsWith(Store::LineEnd))
        out.chop(Store::LineEnd.size()); // an unterminated last line stays so
    return out;
}

bool PopupList::clearCachedAlternatives(const QString &storePath, bool scrambled)
{
    if (!QFileInfo::exists(storePath))
        return true;
    const QString store = Store::readStore(storePath, scrambled);
    const QString cleared = withoutCachedAlternatives(store);
    if (cleared == store)
        return true;
    return Store::writeStore(storePath, cleared, scrambled);
}

QList<int> PopupList::checkedRows(const QStringList &rows, const QString &selectedText)
{
    QString selection = selectedText;
    if (selection.startsWith(u'{'))
        selection = selection.mid(1, selection.size() - 2);
    selection = u'|' + selection + u'|';
    QList<int> checked;
    for (int i = 0; i < rows.size(); ++i) {
        if (selection.contains(QString(u'|' + rows[i] + u'|')))
            checked.append(i);
    }
    return checked;
}

int PopupList::wordCount(QStringView popupWord)
{
    return popupWord.isEmpty() ? 1 : int(popupWord.mid(1).count(u' ')) + 1;
}

QString PopupList::record(QStringView replacement, QStringView original)
{
    return u'[' + replacement.toString() + u"]="_s + original;
}

bool PopupList::hasRecord(QStringView records, QStringView record)
{
    qsizetype from = 0;
    while ((from = records.indexOf(record, from)) >= 0) {
        const bool lineStart = from == 0 || records.mid(0, from).endsWith(Store::LineEnd);
        const qsizetype end = from + record.size();
        const bool lineEnd = end == records.size() || records.mid(end).startsWith(Store::LineEnd);
        if (lineStart && lineEnd)
            return true;
        from += 1;
    }
    return false;
}

TextRange PopupList::wordAround(QStringView text, qsizetype caret)
{
    caret = std::clamp<qsizetype>(caret, 0, text.size());
    TextRange range{caret, caret};
    while (range.start > 0 && Scanner::isWordChar(text[range.start - 1].unicode()))
        --range.start;
    while (range.end < text.size() && Scanner::isWordChar(text[range.end].unicode()))
        ++range.end;
    return range;
}

TextRange PopupList::trimmed(QStringView text, TextRange range)
{
    range.start = std::clamp<qsizetype>(range.start, 0, text.size());
    range.end = std::clamp<qsizetype>(range.end, range.start, text.size());
    while (range.start < range.end && !Scanner::isWordStart(text[range.start].unicode()))
        ++range.start;
    while (range.end > range.start && !Scanner::isWordChar(text[range.end - 1].unicode()))
        --range.end;
    while (range.end > range.start) {
        const QChar last = text[range.end - 1];
        if (last != u'\'' && last != u'-' && last != u':')
            break;
        --range.end;
    }
    if (range.isEmpty())
        return {range.start, range.start};
    return range;
}

WordSpan PopupList::nextWord(QStringView text, qsizetype caret)
{
    return Scanner::nextWordInEditor(text, caret);
}

WordSpan PopupList::previousWord(QStringView text, qsizetype caret)
{
    WordSpan previous;
    qsizetype from = 0;
    for (;;) {
        WordSpan w = Scanner::nextWordInText(text, from);
        if (w.isEmpty() || w.end >= caret)
            break;
        from = w.end + 1;
        previous = std::move(w);
    }
    return previous;
}

qsizetype PopupList::caretIntoNext(const WordSpan &word)
{
    return word.end - word.start > 1 ? word.start + 1 : word.start;
}

qsizetype PopupList::caretIntoPrevious(const WordSpan &word)
{
    return std::max(word.start, word.end - 1);
}

QPoint PopupList::placement(const PlacementInput &input)
{
    const QRect &r = input.editorRect;
    const int right = r.x() + r.width();
    const int x = std::min(r.x() + input.charPos.x(), right - RightEdgeRoom);
    int y = r.y() + input.charPos.y() + input.fontHeight;
    if (input.popupHeight + y + 5 > input.screenBottom - 20)
        y = y - input.fontHeight - input.popupHeight - 5;
    return {x, y + 9};
}
