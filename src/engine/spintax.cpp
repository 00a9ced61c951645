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
    while (end > begin) {
        const char16_t c = end[-1].unicode();
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r' && c != u'"' && c != u'\'' &&
            c != u'(' && c != u'\u201C' && c != u'\u2018')
            return c == u'a' || c == u'A' || c == u'n' || c == u'N';
        --end;
    }
    return false;
}

// The output of one resolution: a buffer sized for the longest text plus one
// character per group, since "a" may become "an" before each.
struct Output
{
    QChar *begin;
    QChar *end;
};

// "a"/"an" before a group's text [from, out.end) agrees with it, as in the
// articles the auto-rewrite makes: the text moves by the one character the
// article gains or loses.
void agreeArticleBefore(Output &out, QChar *from)
{
    if (from == out.end || !mayEndWithArticle(out.begin, from))
        return;
    const QStringView written(out.begin, from - out.begin);
    const auto range = IndefiniteArticle::articleBefore(written, written.size());
    if (!range)
        return;
    const auto [start, stop] = *range;
    const QString agreeing = IndefiniteArticle::agreeing(written.mid(start, stop - start),
                                                         QStringView(from, out.end - from));
    // Only "a" <-> "an" changes, so an article of the same length agrees already.
    const qsizetype shift = agreeing.size() - (stop - start);
    if (shift == 0)
        return;
    QChar *tail = out.begin + stop;
    memmove(tail + shift, tail, (out.end - tail) * sizeof(QChar));
    memcpy(out.begin + start, agreeing.constData(), agreeing.size() * sizeof(QChar));
    out.end += shift;
}

// Copies into a buffer sized for the longest text: QString::append per piece
// costs more than the copying itself.
void append(const Spintax::Template &spin, const Spintax::Sequence &sequence,
            const QList<int> &signature, Output &out)
{
    for (const Spintax::Piece &piece : sequence) {
        if (piece.group < 0) {
            memcpy(out.end, piece.text.constData(), piece.text.size() * sizeof(QChar));
            out.end += piece.text.size();
            continue;
        }
        const Spintax::Group &group = spin.groups[piece.group];
        if (group.alternatives.isEmpty())
            continue;
        QChar *const from = out.end;
        append(spin, group.alternatives[choiceOf(spin, signature, piece.group)], signature, out);
        agreeArticleBefore(out, from);
    }
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
    QString text(longest + spin.groups.size(), Qt::Uninitialized);
    Output out{text.data(), text.data()};
    append(spin, spin.root, signature, out);
    text.truncate(out.end - out.begin);
    return text;
}
