#include "engine/magic/magictext.h"

#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QStringView Ellipsis = u"...";

// The forms the marker comes back in, most complete first.
constexpr QStringView MarkerForms[] = {
    u". (..<<<<>>>>..)", u"(..<<<<>>>>..)", u"..<<<<>>>>..", u".<<<<>>>>.", u"<<<<>>>>", u"<<<>>>",
};

} // namespace

QString MagicText::prepare(const QString &article)
{
    QString text = article;
    while (text.size() >= 4 && text.endsWith(Ellipsis))
        text.chop(3);
    return text + EndMarker;
}

QString MagicText::withoutEllipsis(const QString &text)
{
    return text.endsWith(Ellipsis) ? text.chopped(3) : text;
}

QStringView MagicText::tail(QStringView text)
{
    return text.size() <= TailLength ? text : text.last(TailLength);
}

bool MagicText::showsEnd(QStringView translation)
{
    return tail(translation).contains(CompletionToken);
}

QString MagicText::removeMarker(const QString &translation)
{
    const qsizetype tailStart = translation.size() - tail(translation).size();
    QString cleaned = translation.mid(tailStart);
    for (QStringView form : MarkerForms) {
        if (cleaned.contains(form)) {
            cleaned.remove(form.toString());
            break;
        }
    }
    // A translator may split or re-punctuate the marker ("( .. <<<< >>>> ..)",
    // "<<>>"); what is left of it would otherwise stay in the article.
    static const QRegularExpression remains(
        u"[ \\t]*(?:\\([ \\t.]*|\\.*)<{2,}[ \\t]*>{2,}[ \\t.]*\\)?"_s);
    cleaned.remove(remains);
    while (!cleaned.isEmpty() && (cleaned.back() == u' ' || cleaned.back() == u'\t'))
        cleaned.chop(1);
    return withoutEllipsis(translation.left(tailStart) + cleaned);
}
