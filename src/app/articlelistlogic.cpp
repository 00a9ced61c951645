#include "app/articlelistlogic.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// The text after leading blanks, with its sign taken off.
QStringView unsignedPart(QStringView text, bool *negative)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    *negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        *negative = text[i] == u'-';
        ++i;
    }
    return text.sliced(i);
}

} // namespace

int ArticleListLogic::leadingInteger(QStringView text)
{
    bool negative = false;
    const QStringView digits = unsignedPart(text, &negative);
    qint64 value = 0;
    for (QChar c : digits) {
        if (!isDigit(c))
            break;
        value = std::min<qint64>(value * 10 + (c.unicode() - u'0'),
                                 qint64(std::numeric_limits<int>::max()) + 1);
    }
    value = negative ? -value : value;
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

double ArticleListLogic::leadingNumber(QStringView text)
{
    bool negative = false;
    const QStringView rest = unsignedPart(text, &negative);
    QByteArray ascii;
    for (QChar c : rest) {
        if (c.unicode() >= 0x80)
            break;
        ascii += char(c.unicode());
    }
    double value = 0;
    // from_chars takes the longest prefix that forms a number, as strtod does,
    // without depending on the process locale.
    const auto [end, error] = std::from_chars(ascii.constData(), ascii.constData() + ascii.size(),
                                              value, std::chars_format::general);
    if (error != std::errc() || !std::isfinite(value))
        value = 0;
    return negative ? -value : value;
}

int ArticleListLogic::compareNames(QStringView a, QStringView b)
{
    const qint64 difference = qint64(leadingInteger(a)) - qint64(leadingInteger(b));
    return difference < 0 ? -1 : difference > 0 ? 1 : 0;
}

int ArticleListLogic::compareRates(QStringView a, QStringView b)
{
    const double difference = leadingNumber(a.chopped(std::min<qsizetype>(1, a.size()))) -
                              leadingNumber(b.chopped(std::min<qsizetype>(1, b.size())));
    const double scaled = std::trunc(difference * 100);
    return scaled < 0 ? -1 : scaled > 0 ? 1 : 0;
}

bool ArticleListLogic::opensFormatMenu(int cursorX, int left, int right)
{
    return cursorX >= right - (right - left) / 5;
}

QString ArticleListLogic::replacedLabelText(const QString &label, const QString &rate)
{
    const qsizetype colon = label.indexOf(u':');
    return (colon > 0 ? label.left(colon + 1) : label) + rate;
}
