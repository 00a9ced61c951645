#include "engine/autorewrite.h"

#include "app/articlefile.h"
#include "app/textfile.h"
#include "dictionary/dictionary.h"
#include "engine/analysis.h"
#include "engine/indefinitearticle.h"
#include "engine/jobcontrol.h"
#include "engine/spintax.h"
#include "engine/statistics.h"
#include "engine/store.h"
#include "engine/wordcontext.h"
#include "rtf/rtfwriter.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString OriginalArticleName = u"original article"_s;

bool isDigitsOnly(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

// "USA", "NEW": two letters or more and none in lower case.
bool isAllCapitals(QStringView word)
{
    qsizetype letters = 0;
    for (QChar c : word) {
        if (c.isLower())
            return false;
        letters += c.isLetter();
    }
    return letters >= 2;
}

// The list without empty items, without the word it replaces and without an
// item met before: a group offers each text once.
QString withoutRepeats(const QString &list, const QString &word)
{
    QStringList kept;
    QSet<QStringView> seen{word};
    for (QStringView item : QStringView(list).split(u',')) {
        if (item.isEmpty() || seen.contains(item))
            continue;
        seen.insert(item);
        kept.append(item.toString());
    }
    return kept.join(u',');
}

QString placeholder(qsizetype position)
{
    return u"reservedwords:"_s + QString::number(position);
}

// "a"/"an" at the end of text agrees with the word that now follows it.
void agreeArticleBefore(QString &text, QStringView next)
{
    const auto range = IndefiniteArticle::articleBefore(text, text.size());
    if (!range)
        return;
    const auto [start, end] = *range;
    const QString agreeing =
        IndefiniteArticle::agreeing(QStringView(text).mid(start, end - start), next);
    text.replace(start, end - start, agreeing);
}

quint32 systemTickCount()
{
    return quint32(QDeadlineTimer::current().deadline());
}

} // namespace

int AutoRewrite::synonymsKept(int degree)
{
    switch (degree) {
    case Topmost:
        return 0;
    case VeryHigh:
        return 5;
    case High:
        return 4;
    case General:
        return 3;
    case Low:
        return 2;
    default:
        return 1;
    }
}

QString AutoRewrite::protectReservedWords(QString text, const QString &reservedWords)
{
    const QStringList items = Analysis::listItems(reservedWords);
    for (qsizetype k = 0; k < items.size(); ++k) {
        if (!items[k].isEmpty())
            text.replace(items[k], placeholder(k + 1));
    }
    return text;
}

QString AutoRewrite::restoreReservedWords(QString text, const QString &reservedWords)
{
    const QStringList items = Analysis::listItems(reservedWords);
    for (qsizetype k = items.size() - 1; k >= 0; --k) {
        if (!items[k].isEmpty())
            text.replace(placeholder(k + 1), items[k]);
    }
    return text;
}

QString AutoRewrite::escapeMarks(QStringView text, bool keepBars)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case u'[':
            out += u"[[]";
            break;
        case u'{':
            out += u"[<]";
            break;
        case u'}':
            out += u"[>]";
            break;
        case u'|':
            if (keepBars)
                out += c;
            else
                out += u"[!]";
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString AutoRewrite::unescapeMarks(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'[' && i + 2 < text.size() && text[i + 2] == u']') {
            const char16_t mark = text[i + 1].unicode();
            const char16_t plain = mark == u'['   ? u'['
                                   : mark == u'<' ? u'{'
                                   : mark == u'!' ? u'|'
                                   : mark == u'>' ? u'}'
                                                  : 0;
            if (plain) {
                out += QChar(plain);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::optional<QString> AutoRewrite::expandAlternatives(const QString &store, int degree,
                                                       Dictionary &dictionary,
                                                       const JobControl *control,
                                                       const ArticleContext *context,
                                                       QStringView text)
{
    const int degreeKept = synonymsKept(degree);
    // Only synonyms of a word's main meaning go into an automatic rewrite
    // when the dictionary marks them and the word's part of speech is known.
    const bool mainSenses = context && context->tagged && WordContext::hasMainSenses(dictionary);
    const ArticleContext none;
    const ArticleContext &words = context ? *context : none;
    QHash<QString, QString> listFor; // reading + text -> its list
    QString out;
    out.reserve(store.size() * 3);
    for (const StoreEntry &e : Store::parseEntries(store)) {
        if (control && control->isAborted())
            return std::nullopt;
        out += QStringView(store).mid(e.lineStart, e.lineEnd - e.lineStart);
        const bool takesList = e.hasTag && e.alternatives.isEmpty() &&
                               !e.tag.contains(u"reserved_words") &&
                               !e.tag.contains(u"ignore_words") && !e.tag.contains(u"not_exist");
        if (takesList) {
            const EntryReading reading = WordContext::readingOf(e, text, words, dictionary);
            if (reading.skip) {
                out += Store::LineEnd;
                continue;
            }
            const QString cacheKey =
                reading.tag + u'\x1f' + reading.lookup + u'\x1f' + reading.type + u'\x1f' + e.text;
            auto found = listFor.constFind(cacheKey);
            if (found == listFor.cend()) {
                int kept = degreeKept; // 0: all
                int main = -1;         // synonyms of the main meaning; -1: not known
                if (mainSenses)
                    main = WordContext::mainSenseCount(dictionary, reading.lookup, reading.type);
                if (main > 0)
                    kept = kept > 0 ? std::min(kept, main) : main;
                QString list;
                if (main == 0) {
                    // No synonym is sure to mean what the word means here.
                } else if (reading.tag.contains(u':')) {
                    list = u'(' + reading.tag + u')' +
                           dictionary.synonyms(reading.lookup, reading.type);
                    if (kept > 0)
                        list = Lookup::truncateList(list, kept);
                    list = Lookup::stripMarkers(dictionary.inflectList(list));
                } else {
                    list = Lookup::stripMarkers(dictionary.synonyms(reading.lookup, reading.type));
                    if (kept > 0)
                        list = Lookup::truncateList(list, kept);
                }
                list = withoutRepeats(list, e.text);
                if (isAllCapitals(e.text))
                    list = list.toUpper();
                else if (!e.text.isEmpty() && e.text.front() >= u'A' && e.text.front() <= u'Z')
                    list = Lookup::capitaliseList(list);
                found = listFor.insert(cacheKey, escapeMarks(list, true));
            }
            out += *found;
        }
        out += Store::LineEnd;
    }
    return out;
}

SpinTemplate AutoRewrite::buildSpinTemplate(const QString &article, const QString &store,
                                            int degree,
                                            const std::function<void(int)> &replacedAdded)
{
    const QList<StoreEntry> entries = Store::parseEntries(store);
    // Built front to back; the records are listed back to front, as a
    // replacement from the last word to the first writes them.
    QString text;
    text.reserve(article.size() * 4);
    QStringList records;
    qint64 copied = 0;
    for (const StoreEntry &e : entries) {
        if (e.start < copied || e.end < e.start || e.end > article.size())
            continue;
        const QStringView w = QStringView(article).mid(e.start, e.end - e.start);
        if (e.alternatives.isEmpty() || w.isEmpty() || isDigitsOnly(w))
            continue;
        QString list = degree == Topmost ? e.alternatives : w + u',' + e.alternatives;
        if (list.contains(u',')) {
            list = u'{' + list.replace(u',', u'|') + u'}';
            records.append(list + u'=' + w + Store::LineEnd);
        } else {
            records.append(u'[' + list + u"]="_s + w + Store::LineEnd);
        }
        text += QStringView(article).mid(copied, e.start - copied);
        if (!list.startsWith(u'{'))
            agreeArticleBefore(text, list); // groups agree when they are resolved
        text += list;
        copied = e.end;
    }
    text += QStringView(article).mid(copied);

    SpinTemplate spin;
    spin.text = std::move(text);
    spin.recordCount = int(records.size());
    int sinceUpdate = 0;
    for (qsizetype i = records.size() - 1; i >= 0; --i) {
        spin.records += records[i];
        if (++sinceUpdate == 9) {
            if (replacedAdded)
                replacedAdded(sinceUpdate);
            sinceUpdate = 0;
        }
    }
    if (sinceUpdate > 0 && replacedAdded)
        replacedAdded(sinceUpdate);
    return spin;
}

std::optional<ParsedTemplate> AutoRewrite::parseTemplate(QStringView templateText,
                                                         QStringView records)
{
    // The original of each group text: the first record of that group.
    QHash<QStringView, QStringView> originals;
    qsizetype from = 0;
    while (from < records.size()) {
        qsizetype end = records.indexOf(Store::LineEnd, from);
        if (end < 0)
            end = records.size();
        const QStringView line = records.mid(from, end - from);
        from = end + Store::LineEnd.size();
        const qsizetype close = line.indexOf(u'}');
        if (!line.startsWith(u'{') || close < 0)
            continue;
        const qsizetype eq = line.indexOf(u'=', close);
        const QStringView group = line.mid(1, close - 1);
        if (eq >= 0 && !originals.contains(group))
            originals.insert(group, line.mid(eq + 1));
    }

    ParsedTemplate parsed;
    from = 0;
    for (;;) {
        const qsizetype open = templateText.indexOf(u'{', from);
        if (open < 0)
            break;
        const qsizetype close = templateText.indexOf(u'}', open + 1);
        if (close < 0)
            return std::nullopt;
        parsed.literals.append(templateText.mid(from, open - from).toString());
        const QStringView inner = templateText.mid(open + 1, close - open - 1);
        const auto original = originals.constFind(inner);
        ParsedTemplate::Group group;
        for (QStringView alternative : inner.split(u'|')) {
            group.alternatives.append(alternative.toString());
            group.isOriginal.append(original != originals.cend() && *original == alternative);
        }
        parsed.groups.append(std::move(group));
        from = close + 1;
    }
    parsed.literals.append(templateText.mid(from).toString());
    return parsed;
}

qint64 AutoRewrite::distinctSignatures(const ParsedTemplate &parsed, qint64 max)
{
    qint64 product = 1;
    for (const ParsedTemplate::Group &g : parsed.groups) {
        const qint64 n = g.alternatives.size();
        if (product > max / n)
            return max;
        product *= n;
    }
    return std::min(product, max);
}

QString AutoRewrite::resolveTemplate(const ParsedTemplate &parsed, const QList<int> &signature)
{
    // Reserved once for the whole article: growing it step by step copies it
    // over and over.
    qsizetype size = 0;
    for (const QString &literal : parsed.literals)
        size += literal.size();
    for (const ParsedTemplate::Group &group : parsed.groups)
        size += group.alternatives.first().size() * 2 + 8;
    QString out;
    out.reserve(size);
    for (qsizetype g = 0; g < parsed.groups.size(); ++g) {
        out += parsed.literals[g];
        const ParsedTemplate::Group &group = parsed.groups[g];
        const qsizetype c =
            std::clamp<qsizetype>(signature.value(g, 1), 1, group.alternatives.size()) - 1;
        if (group.isOriginal[c]) {
            out += group.alternatives[c];
        } else {
            agreeArticleBefore(out, group.alternatives[c]);
            out += u'{';
            out += group.alternatives[c];
            out += u'}';
        }
    }
    out += parsed.literals.last();
    return out;
}

RtfCharFormat AutoRewrite::defaultCharFormat(const ArticleFormat &format)
{
    RtfCharFormat f;
    f.face = format.face;
    f.halfPoints = Rtf::validHalfPoints(format.pointSize * 2);
    f.bold = format.bold;
    f.italic = format.italic;
    f.underline = false;
    f.colour = Rtf::rgbFromColorRef(format.wordsColor);
    return f;
}

namespace {

// Calls add(text, chosen) for each stretch of a resolved article: chosen for
// the text of a "{...}" group, the braces dropped. An unclosed "{" is text.
template<typename Add> void forEachStretch(QStringView resolved, Add add)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = resolved.indexOf(u'{', from);
        if (open < 0) {
            add(resolved.mid(from), false);
            return;
        }
        add(resolved.mid(from, open - from), false);
        const qsizetype close = resolved.indexOf(u'}', open + 1);
        if (close < 0) {
            add(resolved.mid(open + 1), false);
            return;
        }
        add(resolved.mid(open + 1, close - open - 1), true);
        from = close + 1;
    }
}

// A stretch as the editor holds it: marks restored, line breaks as "\n".
template<typename Use> void asEditorText(QStringView text, Use use)
{
    if (!text.contains(u'[') && !text.contains(u'\r'))
        use(text);
    else
        use(ArticleFile::toEditorText(AutoRewrite::unescapeMarks(text)));
}

} // namespace

RtfDocument AutoRewrite::colourReplaced(QStringView resolved, const ArticleFormat &format)
{
    const RtfCharFormat plain = defaultCharFormat(format);
    RtfCharFormat replaced = plain;
    replaced.colour = Rtf::rgbFromColorRef(format.replacedColor);
    RtfCharFormat replacedUnderlined = replaced;
    replacedUnderlined.underline = true;

    RtfDocument document;
    forEachStretch(resolved, [&](QStringView text, bool chosen) {
        if (text.isEmpty())
            return;
        const RtfCharFormat &f =
            !chosen ? plain : (text.indexOf(u' ', 1) >= 0 ? replacedUnderlined : replaced);
        asEditorText(text, [&](QStringView editor) { Rtf::appendText(document, editor, f); });
    });
    return document;
}

QString AutoRewrite::plainArticle(QStringView resolved)
{
    // One pass into a buffer of the final size at most: this runs once per
    // generated article. Each stretch is unescaped on its own, as in
    // colourReplaced; "\r\n" and "\r" become "\n", as do line separators.
    QString text(resolved.size(), Qt::Uninitialized);
    char16_t *to = reinterpret_cast<char16_t *>(text.data());
    char16_t *const begin = to;
    auto copy = [&](QStringView stretch) {
        const char16_t *p = stretch.utf16();
        const char16_t *const end = p + stretch.size();
        while (p < end) {
            const char16_t c = *p++;
            if (c == u'[' && end - p >= 2 && p[1] == u']') {
                const char16_t plain = p[0] == u'['   ? u'['
                                       : p[0] == u'<' ? u'{'
                                       : p[0] == u'!' ? u'|'
                                       : p[0] == u'>' ? u'}'
                                                      : 0;
                if (plain) {
                    *to++ = plain;
                    p += 2;
                    continue;
                }
            }
            if (c == u'\r') {
                *to++ = u'\n';
                if (p < end && *p == u'\n')
                    ++p;
            } else {
                *to++ = c == QChar::LineSeparator ? u'\n' : c;
            }
        }
    };
    forEachStretch(resolved, [&](QStringView stretch, bool) { copy(stretch); });
    text.truncate(to - begin);
    return text;
}

bool AutoRewrite::writeRtfArticle(const QString &path, const RtfDocument &document, QString *error)
{
    return TextFile::writeScratchUtf16(path, QString::fromLatin1(Rtf::write(document)), error);
}

AutoRewriteResult AutoRewrite::runAutoRewrite(const AutoRewriteParams &params,
                                              Dictionary &dictionary, const JobControl &control,
                                              const AutoRewriteCallbacks &callbacks)
{
    AutoRewriteResult result;
    result.choiceCounter = params.choiceCounter;
    auto emptyStores = [&] {
        Store::truncateStore(params.storePath);
        Store::truncateStore(params.replacedStorePath);
    };
    auto aborted = [&] {
        emptyStores();
        result.status = AutoRewriteStatus::Aborted;
        return result;
    };
    auto failed = [&](const QString &why) {
        result.status = AutoRewriteStatus::Error;
        result.error = why;
        return result;
    };
    dictionary.clearError();
    auto lookupFailed = [&] {
        const QString why = dictionary.lastError();
        if (why.isEmpty())
            return false;
        emptyStores();
        result.status = AutoRewriteStatus::Error;
        result.error = u"The dictionary cannot be read: "_s + why;
        return true;
    };
    QString error;
    auto writeTemp = [&](const QString &text) {
        return Store::writeStore(params.storePath, text, params.scrambled, &error);
    };

    if (control.isAborted())
        return aborted();
    // Reserved words become placeholders and the article's own group marks are
    // escaped; every position below is a position in this working text.
    const QString article = escapeMarks(
        protectReservedWords(Analysis::normaliseArticleText(params.article), params.reservedWords));

    const PassOutcome tagged =
        Analysis::taggingPassText(article, params.ignoreWords, dictionary, control);
    if (tagged.aborted || control.isAborted())
        return aborted();
    if (lookupFailed())
        return result;
    if (!writeTemp(tagged.store))
        return failed(error);
    const int wordsAmount = int(Store::entryCount(tagged.store));
    result.wordsAmount = wordsAmount;
    if (callbacks.wordsAmount)
        callbacks.wordsAmount(wordsAmount);

    const MergeOutcome merged =
        Analysis::phraseMergePass(tagged.store, article, dictionary, control, false);
    if (merged.aborted || control.isAborted())
        return aborted();
    if (lookupFailed())
        return result;
    if (!writeTemp(merged.store) || !Store::truncateStore(params.replacedStorePath, &error))
        return failed(error);
    if (callbacks.frequencySummary)
        callbacks.frequencySummary(Statistics::frequencySummary(merged.store));

    const ArticleContext context =
        WordContext::analyse(article, params.tagger, params.protectNames);
    const std::optional<QString> expanded =
        expandAlternatives(merged.store, params.degree, dictionary, &control, &context, article);
    if (!expanded || control.isAborted())
        return aborted();
    if (lookupFailed())
        return result;
    if (!writeTemp(*expanded))
        return failed(error);
    const SpinTemplate spin =
        buildSpinTemplate(article, *expanded, params.degree, callbacks.replacedAdded);
    if (!Store::writeStore(params.replacedStorePath, spin.records, false, &error))
        return failed(error);
    const QString templateText = restoreReservedWords(spin.text, escapeMarks(params.reservedWords));
    result.templateText = unescapeMarks(templateText);
    result.spintax = Spintax::fromTemplate(templateText);
    if (callbacks.templateReady)
        callbacks.templateReady(result.templateText);
    if (control.isAborted())
        return aborted();

    if (params.richArticles) {
        QDir().mkpath(params.articlesDir);
        Store::DeleteFolderContents(params.articlesDir);
    }
    const ArticleFormat &format = params.format;
    {
        GeneratedArticle original;
        original.name = OriginalArticleName;
        original.rate = u"0.00%"_s;
        const RtfDocument document =
            params.originalDocument.runs.isEmpty()
                ? Rtf::fromPlainText(ArticleFile::toEditorText(params.article),
                                     defaultCharFormat(format))
                : params.originalDocument;
        if (params.richArticles) {
            original.path = params.articlesDir + u'/' + OriginalArticleName + u".rtf"_s;
            if (!writeRtfArticle(original.path, document, &error))
                return failed(error);
        }
        original.text = Rtf::plainText(document);
        if (callbacks.articleAdded)
            callbacks.articleAdded(original);
    }

    const int combinations = Store::countCombinationsIn(spin.records);
    const int requested = std::max(params.requestedCount, 0);
    int count = (combinations == -1 || requested < combinations) ? requested : combinations;
    const std::optional<ParsedTemplate> parsed = parseTemplate(templateText, spin.records);
    if (!parsed)
        return failed(u"Error"_s);
    // Above the cap the count is not limited by the groups; still never ask
    // for more articles than there are distinct ones.
    if (combinations == -1)
        count = int(distinctSignatures(*parsed, count));
    result.articleCount = count;
    if (callbacks.articleCount)
        callbacks.articleCount(count);

    QList<int> sizes;
    for (const ParsedTemplate::Group &group : parsed->groups)
        sizes.append(int(group.alternatives.size()));
    SignatureSource signatures(std::move(sizes),
                               params.tickCount ? params.tickCount : systemTickCount,
                               params.choiceCounter);
    for (int i = 1; i <= count; ++i) {
        if (control.isAborted()) {
            result.choiceCounter = signatures.counter();
            return aborted();
        }
        GeneratedArticle row;
        row.index = i;
        row.name = QString::number(i);
        row.signature = signatures.next(i);
        const QString resolved = resolveTemplate(*parsed, row.signature);
        row.rate = Statistics::articleRate(int(resolved.count(u'{')), wordsAmount);
        if (params.richArticles) {
            const RtfDocument document = colourReplaced(resolved, format);
            row.path = params.articlesDir + u'/' + row.name + u".rtf"_s;
            if (!writeRtfArticle(row.path, document, &error)) {
                result.choiceCounter = signatures.counter();
                return failed(error);
            }
            row.text = Rtf::plainText(document);
        } else {
            row.text = plainArticle(resolved);
        }
        result.rates.append(row.rate);
        result.generated = i;
        if (callbacks.articleAdded)
            callbacks.articleAdded(row);
        control.report(i);
    }
    result.choiceCounter = signatures.counter();
    emptyStores();
    result.status = AutoRewriteStatus::Finished;
    return result;
}
