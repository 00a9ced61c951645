#include "app/mainwindowlogic.h"

#include "engine/scanner.h"

using namespace Qt::Literals::StringLiterals;

std::atomic<bool> g_bAutoRewriting{false};

namespace MainWindowLogic {

std::optional<int> neighbouringWordStart(QStringView text, int caret, bool forward)
{
    const QList<WordSpan> spans = Scanner::allWords(text);
    if (forward) {
        for (const WordSpan &w : spans) {
            if (w.start > caret)
                return int(w.start);
        }
        return std::nullopt;
    }
    for (auto it = spans.crbegin(); it != spans.crend(); ++it) {
        if (it->start < caret)
            return int(it->start);
    }
    return std::nullopt;
}

namespace {

// Neither one of our word characters nor a letter or digit of another script,
// which the editor's own whole-word test already refuses.
bool isBoundary(QStringView text, qsizetype at)
{
    if (at < 0 || at >= text.size())
        return true;
    const QChar c = text[at];
    return !Scanner::isWordChar(c.unicode()) && !c.isLetterOrNumber();
}

} // namespace

int findWholeWord(QStringView text, QStringView needle, int from)
{
    if (needle.isEmpty())
        return -1;
    qsizetype at = std::max(0, from);
    while (at <= text.size()) {
        const qsizetype hit = text.indexOf(needle, at, Qt::CaseSensitive);
        if (hit < 0)
            return -1;
        const qsizetype end = hit + needle.size();
        if (isBoundary(text, hit - 1) && isBoundary(text, end))
            return int(hit);
        at = end + 1;
    }
    return -1;
}

QString captionPrefix(QStringView caption)
{
    const qsizetype colon = caption.indexOf(u':');
    return (colon < 0 ? caption : caption.left(colon + 1)).toString();
}

QString keepFigures(const QString &header, QStringView current)
{
    const qsizetype colon = current.indexOf(u':');
    return colon < 0 ? header : header + current.mid(colon + 1);
}

int windowsLanguageId(const QString &localeName)
{
    // Qt names locales "zh_CN", "zh_Hant_TW", "de_AT" ...
    const QString name = QString(localeName).replace(u'-', u'_');
    const QStringList parts = name.split(u'_');
    const QString lang = parts.value(0).toLower();
    const QString region = parts.size() > 1 ? parts.last().toUpper() : QString();
    // System language ids, first match wins: a region of its own, then any
    // traditional script ("Hant"), then the language's default (no region).
    struct RegionId
    {
        QStringView lang, region;
        int id;
    };
    static constexpr RegionId ids[] = {
        {u"zh", u"TW", 1028},   {u"zh", u"HK", 3076}, {u"zh", u"SG", 4100}, {u"zh", u"MO", 5124},
        {u"zh", u"Hant", 1028}, {u"zh", u"", 2052},   {u"de", u"CH", 2055}, {u"de", u"AT", 3079},
        {u"de", u"LU", 4103},   {u"de", u"LI", 5127}, {u"de", u"", 1031},   {u"ja", u"", 1041},
    };
    for (const RegionId &entry : ids) {
        if (entry.lang == lang && (entry.region.isEmpty() || entry.region == region ||
                                   (entry.region == u"Hant" && name.contains(u"Hant"))))
            return entry.id;
    }
    return 0;
}

QString firstStartLanguage(int languageId, const QList<QString> &existingStems)
{
    // The language file offered for each group of system language ids.
    struct Offer
    {
        QList<int> ids;
        QStringView stem, name;
    };
    static const Offer offers[] = {
        {{1028, 3076, 4100, 5124}, u"Chinese(Traditional)", u"繁體中文 -- Chinese(Traditional)"},
        {{1031, 2055, 3079, 4103, 5127}, u"German", u"Deutsch -- German"},
        {{1041}, u"Japanese", u"日本語 -- Japanese"},
        {{2052}, u"Chinese(Simplified)", u"简体中文 -- Chinese(Simplified)"},
    };
    for (const Offer &offer : offers) {
        if (offer.ids.contains(languageId))
            return existingStems.contains(offer.stem.toString()) ? offer.name.toString()
                                                                 : u"English"_s;
    }
    return u"English"_s;
}

bool selectAllBoxVisible(Mode mode, int listRows)
{
    return mode == Mode::Auto && listRows > 5;
}

QString wordsButtonText(const QString &header, const QString &count)
{
    return header + count;
}

QString menuText(const QString &languageText)
{
    const qsizetype lastBlank = languageText.lastIndexOf(u' ');
    if (lastBlank < 0)
        return languageText;
    const QString shortcut = languageText.mid(lastBlank + 1);
    qsizetype labelEnd = lastBlank;
    while (labelEnd > 0 && languageText[labelEnd - 1] == u' ')
        --labelEnd;
    const bool column = lastBlank - labelEnd >= 1 || shortcut.contains(u'+');
    if (!column || shortcut.isEmpty() || labelEnd == 0)
        return languageText;
    return languageText.left(labelEnd) + u'\t' + shortcut;
}

QString withAccessKey(const QString &title, QString *taken)
{
    for (qsizetype i = 0; i + 1 < title.size(); ++i) {
        if (title[i] != u'&')
            continue;
        if (title[i + 1] != u'&') {
            taken->append(title[i + 1].toLower());
            return title;
        }
        ++i; // "&&" is a literal "&"
    }
    for (qsizetype i = 0; i < title.size(); ++i) {
        const QChar c = title[i];
        // Keys a keyboard can type with Alt: the ASCII letters and digits.
        if (c.unicode() < 128 && c.isLetterOrNumber() && !taken->contains(c.toLower())) {
            taken->append(c.toLower());
            return title.left(i) + u'&' + title.mid(i);
        }
    }
    return title;
}

std::optional<int> parseArticleAmount(QStringView text)
{
    const QStringView digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 9)
        return std::nullopt;
    int value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < 1)
        return std::nullopt;
    return value;
}

QUrl helpAddress(const QString &configured, const QString &programDir)
{
    const QString address = configured.trimmed();
    if (address.isEmpty())
        return {};
    const QUrl url(address);
    if (!url.scheme().isEmpty() && url.scheme().size() > 1)
        return url;
    QString path = address;
    QString fragment;
    if (const qsizetype hash = path.indexOf(u'#'); hash >= 0) {
        fragment = path.mid(hash + 1);
        path.truncate(hash);
    }
    QUrl file = QUrl::fromLocalFile(programDir + u'/' + path);
    if (!fragment.isEmpty())
        file.setFragment(fragment);
    return file;
}

bool needsSaveQuestion(bool modified, bool empty, bool showingGeneratedArticle)
{
    return modified && !empty && !showingGeneratedArticle;
}

} // namespace MainWindowLogic
