#include "engine/spintax.h"

#include "engine/indefinitearticle.h"

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isSpintaxMark(QChar c)
{
    return c == u'{' || c == u'|' || c == u'}' || c == u'\\';
}

qint64 saturatedProduct(qint64 a, qint64 b, qint64 max)
{
    return (b != 0 && a > max / b) ? max : std::min(a * b, max);
}

qint64 countSequence(const Spintax::Template &spin, const Spintax::Sequence &sequence, qint64 max);

qint64 countGroup(const Spintax::Template &spin, int group, qint64 max)
{
    qint64 sum = 0;
    for (const Spintax::Sequence &alternative : spin.groups[group].alternatives)
        sum = std::min(sum + countSequence(spin, alternative, max), max);
    return std::max<qint64>(sum, 1);
}

qint64 countSequence(const Spintax::Template &spin, const Spintax::Sequence &sequence, qint64 max)
{
    qint64 product = 1;
    for (const Spintax::Piece &piece : sequence) {
        if (piece.group >= 0)
            product = saturatedProduct(product, countGroup(spin, piece.group, max), max);
    }
    return product;
}

int choiceOf(const Spintax::Template &spin, const QList<int> &signature, int group)
{
    const int n = int(spin.groups[group].alternatives.size());
    const int chosen = group < signature.size() ? signature[group] : 1;
    return std::clamp(chosen, 1, std::max(n, 1)) - 1;
}

void reach(const Spintax::Template &spin, const Spintax::Sequence &sequence,
           const QList<int> &signature, QList<bool> &reached)
{
    for (const Spintax::Piece &piece : sequence) {
        if (piece.group < 0)
            continue;
        reached[piece.group] = true;
        const Spintax::Group &group = spin.groups[piece.group];
        if (!group.alternatives.isEmpty())
            reach(spin, group.alternatives[choiceOf(spin, signature, piece.group)], signature,
                  reached);
    }
}

// Could the text before end close with an "a" or "an" of its own, blanks,
// a quote or a bracket between? A cheap test before the exact one: it runs
// once per group of every article.
bool mayEndWithArticle(const QChar *begin, const QChar *end)
{
    const auto isLetter = [](char16_t c) {
        return ((c | 0x20) >= u'a' && (c | 0x20) <= u'z') || c >= 0x80;
    };
    while (end > begin) {
        const char16_t c = end[-1].unicode();
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'"' || c == u'\'' ||
            c == u'(' || c == u'\u201C' || c == u'\u2018') {
            --end;
            continue;
        }
        const QChar *word = end - 1;
        if ((c | 0x20) == u'n') {
            if (word == begin || (word[-1].unicode() | 0x20) != u'a')
                return false;
            --word;
        } else if ((c | 0x20) != u'a') {
            return false;
        }
        return word == begin || !isLetter(word[-1].unicode());
    }
    return false;
}

// Texts are copied in blocks of this many characters, past their end, at
// least two blocks each: a memcpy call per piece, or a loop whose end the
// processor mispredicts, costs more than the copying, pieces being a word or two.
constexpr qsizetype CopyBlock = 8;
constexpr qsizetype CopySlack = 2 * CopyBlock;

// "a"/"an" before a group's text [from, end) agrees with it, as in the
// articles the auto-rewrite makes: the text moves by the one character the
// article gains or loses. takesAn: of the text, when known beforehand (-1
// otherwise). Returns the new end.
QChar *agreeArticleBefore(QChar *begin, QChar *from, QChar *end, int takesAn)
{
    if (from == end || !mayEndWithArticle(begin, from))
        return end;
    const QStringView written(begin, from - begin);
    const auto range = IndefiniteArticle::articleBefore(written, written.size());
    if (!range)
        return end;
    const auto [start, stop] = *range;
    const QStringView next(from, end - from);
    const bool an = takesAn >= 0 ? takesAn == 1 : IndefiniteArticle::takesAn(next);
    if ((stop - start == 2) == an)
        return end; // agrees already
    const QString agreeing = IndefiniteArticle::agreeing(written.mid(start, stop - start), next);
    const qsizetype shift = agreeing.size() - (stop - start);
    QChar *tail = begin + stop;
    memmove(tail + shift, tail, (end - tail) * sizeof(QChar));
    memcpy(begin + start, agreeing.constData(), agreeing.size() * sizeof(QChar));
    return end + shift;
}

// Writes the text of range at end of a buffer that starts at begin, sized for
// the longest text plus one character per group ("a" may become "an" before
// each) plus CopySlack; returns the new end. One buffer: QString::append per
// piece costs more than the copying itself.
QChar *append(const Spintax::Template &spin, Spintax::Template::Range range,
              const QList<int> &signature, QChar *begin, QChar *end)
{
    const Spintax::Template::Step *const steps = spin.steps.constData();
    for (qsizetype i = range.begin; i < range.end; ++i) {
        const Spintax::Template::Step step = steps[i];
        const QChar *text = spin.literals.constData() + step.at;
        memcpy(end, text, CopySlack * sizeof(QChar));
        for (qsizetype k = CopySlack; k < step.size; k += CopyBlock)
            memcpy(end + k, text + k, CopyBlock * sizeof(QChar));
        end += step.size;
        if (step.count == 0)
            continue;
        const int chosen = step.group < signature.size() ? signature[step.group] : 1;
        const Spintax::Template::Range alternative =
            spin.alternatives[step.first + std::clamp(chosen, 1, step.count) - 1];
        QChar *const from = end;
        end = append(spin, alternative, signature, begin, end);
        end = agreeArticleBefore(begin, from, end, alternative.takesAn);
    }
    return end;
}

// Lays out the steps of sequence side by side, then those of its groups'
// alternatives.
Spintax::Template::Range flatten(Spintax::Template &spin, const Spintax::Sequence &sequence)
{
    const qsizetype begin = spin.steps.size();
    for (const Spintax::Piece &piece : sequence) {
        if (piece.group < 0) {
            spin.steps.append({piece.at, 0, int(piece.text.size()), -1, 0});
            continue;
        }
        // A group joins the text before it in one step.
        if (spin.steps.size() == begin || spin.steps.last().group >= 0)
            spin.steps.append({spin.literals.size() - CopySlack, 0, 0, -1, 0});
        Spintax::Template::Step &step = spin.steps.last();
        step.group = piece.group;
        step.count = int(spin.groups[piece.group].alternatives.size());
    }
    const qsizetype end = spin.steps.size();
    for (qsizetype i = begin; i < end; ++i) {
        const int group = spin.steps[i].group;
        if (group < 0)
            continue;
        const qsizetype first = spin.alternatives.size();
        spin.steps[i].first = first;
        const QList<Spintax::Sequence> &alternatives = spin.groups[group].alternatives;
        spin.alternatives.resize(first + alternatives.size());
        for (qsizetype k = 0; k < alternatives.size(); ++k) {
            Spintax::Template::Range range = flatten(spin, alternatives[k]);
            // The first word decides "a" or "an": known when it ends within
            // the alternative's own text.
            const QString &text = alternatives[k].isEmpty() ? QString() : alternatives[k][0].text;
            const qsizetype wordStart = std::find_if(text.cbegin(), text.cend(),
                                                     [](QChar c) { return c.isLetterOrNumber(); }) -
                                        text.cbegin();
            const bool wordEnds = std::find_if(text.cbegin() + wordStart, text.cend(), [](QChar c) {
                                      return !c.isLetterOrNumber();
                                  }) != text.cend();
            if (wordStart < text.size() && (wordEnds || alternatives[k].size() == 1))
                range.takesAn = IndefiniteArticle::takesAn(text) ? 1 : 0;
            spin.alternatives[first + k] = range;
        }
    }
    return {begin, end};
}

qsizetype longestText(const Spintax::Template &spin, const Spintax::Sequence &sequence)
{
    qsizetype size = 0;
    for (const Spintax::Piece &piece : sequence) {
        if (piece.group < 0) {
            size += piece.text.size();
            continue;
        }
        qsizetype longest = 0;
        for (const Spintax::Sequence &alternative : spin.groups[piece.group].alternatives)
            longest = std::max(longest, longestText(spin, alternative));
        size += longest;
    }
    return size;
}

} // namespace

QString Spintax::fromTemplate(QStringView escapedTemplate)
{
    QString out;
    out.reserve(escapedTemplate.size() + escapedTemplate.size() / 16);
    for (qsizetype i = 0; i < escapedTemplate.size(); ++i) {
        const QChar c = escapedTemplate[i];
        if (c == u'[' && i + 2 < escapedTemplate.size() && escapedTemplate[i + 2] == u']') {
            const QChar mark = escapedTemplate[i + 1];
            const QChar plain = mark == u'['   ? u'['
                                : mark == u'<' ? u'{'
                                : mark == u'!' ? u'|'
                                : mark == u'>' ? u'}'
                                               : QChar();
            if (!plain.isNull()) {
                if (plain != u'[')
                    out += u'\\';
                out += plain;
                i += 2;
                continue;
            }
        }
        if (c == u'\\')
            out += u'\\';
        out += c;
    }
    return out;
}

std::optional<Spintax::Template> Spintax::parse(QStringView text, QString *error)
{
    Template spin;
    // The sequences being filled: the root, then one per open group.
    struct Open
    {
        int group = -1;
        Sequence current;
        qsizetype at = 0;
    };
    QList<Open> stack{Open{-1, Sequence(), 0}};
    QString literal;
    auto flush = [&] {
        if (!literal.isEmpty())
            stack.last().current.append(Piece{std::move(literal), -1});
        literal.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\\' && i + 1 < text.size() && isSpintaxMark(text[i + 1])) {
            literal += text[++i];
        } else if (c == u'{') {
            flush();
            const int group = int(spin.groups.size());
            spin.nested = spin.nested || stack.size() > 1;
            spin.groups.append(Group());
            stack.last().current.append(Piece{QString(), group});
            stack.append(Open{group, Sequence(), i});
        } else if (c == u'|' && stack.size() > 1) {
            flush();
            spin.groups[stack.last().group].alternatives.append(std::move(stack.last().current));
            stack.last().current.clear();
        } else if (c == u'}' && stack.size() > 1) {
            flush();
            spin.groups[stack.last().group].alternatives.append(std::move(stack.last().current));
            stack.removeLast();
        } else if (c == u'}') {
            if (error)
                *error = u"a \"}\" at character %1 closes no group"_s.arg(i + 1);
            return std::nullopt;
        } else {
            literal += c;
        }
    }
    if (stack.size() > 1) {
        if (error)
            *error = u"the \"{\" at character %1 is not closed"_s.arg(stack.last().at + 1);
        return std::nullopt;
    }
    flush();
    spin.root = std::move(stack.first().current);
    spin.longestText = longestText(spin, spin.root);
    auto pool = [&spin](Sequence &sequence) {
        for (Piece &piece : sequence) {
            piece.at = spin.literals.size();
            spin.literals += piece.text;
        }
    };
    pool(spin.root);
    for (Group &group : spin.groups) {
        for (Sequence &alternative : group.alternatives)
            pool(alternative);
    }
    // Every text can be copied in whole blocks; an empty one starts here.
    spin.literals += QString(CopySlack, QChar());
    spin.rootSteps = flatten(spin, spin.root);
    return spin;
}

QList<int> Spintax::alternativeCounts(const Template &spin)
{
    QList<int> counts;
    counts.reserve(spin.groups.size());
    for (const Group &group : spin.groups)
        counts.append(int(std::max<qsizetype>(group.alternatives.size(), 1)));
    return counts;
}

qint64 Spintax::distinctChoices(const Template &spin, qint64 max)
{
    return countSequence(spin, spin.root, max);
}

void Spintax::canonicalise(const Template &spin, QList<int> &signature)
{
    if (!spin.nested)
        return; // every group is reached
    QList<bool> reached(spin.groups.size(), false);
    reach(spin, spin.root, signature, reached);
    for (qsizetype g = 0; g < signature.size() && g < reached.size(); ++g) {
        if (!reached[g])
            signature[g] = 0;
    }
}

QString Spintax::resolve(const Template &spin, const QList<int> &signature)
{
    const qsizetype longest =
        spin.longestText > 0 ? spin.longestText : longestText(spin, spin.root);
    QString text(longest + spin.groups.size() + CopySlack, Qt::Uninitialized);
    QChar *const begin = text.data();
    text.truncate(append(spin, spin.rootSteps, signature, begin, begin) - begin);
    return text;
}
