#include "app/config.h"

#include "app/apppaths.h"
#include "app/textfile.h"

#include <QFileInfo>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr QStringView CrLf = u"\r\n";

// Keys as they are searched for; each names the whole key with its "=".
constexpr QStringView LanguageKey = u"\r\nLanguage=";
constexpr QStringView ArticlesNumberKey = u"Default Articles Number=";
constexpr QStringView AlwaysDisplaySourceKey = u"Always Display Source Article=";
constexpr QStringView ProtectNamesKey = u"Protect Names=";
constexpr QStringView UseSystemLookKey = u"Use System Look=";
constexpr QStringView ReplaceDegreeKey = u"Default Replace Degree=";
constexpr QStringView IgnoreWordsKey = u"Default Ignore Words=";
constexpr QStringView ReservedWordsKey = u"Default Reserved Words=";
constexpr QStringView WordsNumberKey = u"Words Number=";
constexpr QStringView WordsFontKey = u"Default Words Font=";
constexpr QStringView WordsSizeKey = u"Default Words Size=";
constexpr QStringView WordsBoldKey = u"Default Words Bold=";
constexpr QStringView WordsItalicKey = u"Default Words Italic=";
constexpr QStringView WordsColorKey = u"Default Words Color=";
constexpr QStringView ReplacedColorKey = u"Replaced Words Color=";
constexpr QStringView ReservedColorKey = u"Reserved Words Color=";
constexpr QStringView SaveAllFormatKey = u"Default Saveall Format=";
constexpr QStringView UpdateUrlKey = u"Update URL=";
constexpr QStringView MagicPageKey = u"Magic Rewrite Page=";
constexpr QStringView MagicCheckKey = u"Magic Connection Check=";
constexpr QStringView OptimizationSwitch = u"Enable Optimization=1";

constexpr quint32 Blue = 0xFF0000;
constexpr quint32 Red = 0x0000FF;

QString read(QStringView key)
{
    return ReadKeyValue(AppPaths::configFile(), key.toString());
}

bool write(QStringView key, const QString &value)
{
    return WriteConfigValue(key.toString(), value);
}

int readNumber(QStringView key, int whenEmpty)
{
    const QString value = read(key);
    return value.isEmpty() ? whenEmpty : Config::parseNumber(value);
}

quint32 readColour(QStringView key, quint32 whenEmptyOrZero)
{
    const quint32 colour = quint32(readNumber(key, 0));
    return colour == 0 ? whenEmptyOrZero : colour;
}

bool writeFlag(QStringView key, bool on)
{
    return write(key, on ? u"1"_s : u"0"_s);
}

} // namespace

QString ReadKeyValue(const QString &path, const QString &key)
{
    if (key.isEmpty() || !QFileInfo::exists(path))
        return {};
    const QString text = TextFile::readUtf16(path);
    const qsizetype at = text.indexOf(key);
    if (at < 0)
        return {};
    const qsizetype start = at + key.size();
    qsizetype end = text.indexOf(CrLf, start);
    if (end < 0)
        end = text.size();
    return text.mid(start, end - start);
}

bool WriteConfigValue(const QString &path, const QString &key, const QString &value)
{
    QString text = TextFile::readUtf16(path);
    const qsizetype at = text.indexOf(key);
    if (at >= 0) {
        const qsizetype start = at + key.size();
        qsizetype end = text.indexOf(CrLf, start);
        if (end < 0)
            end = text.indexOf(u'\r', start);
        if (end < 0)
            end = text.indexOf(u'\n', start);
        if (end < 0) {
            text.truncate(start);
            text += value + CrLf;
        } else {
            text.replace(start, end - start, value);
        }
    } else {
        text += key + value + CrLf;
    }
    return TextFile::writeUtf16(path, text);
}

bool WriteConfigValue(const QString &key, const QString &value)
{
    return WriteConfigValue(AppPaths::configFile(), key, value);
}

int Config::parseNumber(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\v' ||
                     text[i] == u'\f' || text[i] == u'\r')) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    for (; i < n && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            break; // saturate rather than overflow
    }
    if (negative)
        value = -value;
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(),
                                  std::numeric_limits<int>::max()));
}

bool Config::optimizationEnabled(const QString &path)
{
    return TextFile::readUtf16(path).contains(OptimizationSwitch);
}

bool Config::optimizationEnabled()
{
    return optimizationEnabled(AppPaths::configFile());
}

QString Config::profileString(const QString &path, const QString &section, const QString &key,
                              int maxChars)
{
    const QString text = TextFile::readUtf16(path);
    bool inSection = false;
    qsizetype lineStart = 0;
    while (lineStart <= text.size()) {
        qsizetype lineEnd = lineStart;
        while (lineEnd < text.size() && text[lineEnd] != u'\r' && text[lineEnd] != u'\n')
            ++lineEnd;
        QStringView line = QStringView(text).mid(lineStart, lineEnd - lineStart).trimmed();
        if (line.startsWith(QChar(0xFEFF)))
            line = line.mid(1).trimmed();
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            const QStringView name = line.mid(1, close < 0 ? -1 : close - 1).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
        } else if (inSection) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
                QStringView value = line.mid(eq + 1).trimmed();
                if (value.size() >= 2 && ((value.front() == u'"' && value.back() == u'"') ||
                                          (value.front() == u'\'' && value.back() == u'\''))) {
                    value = value.mid(1, value.size() - 2);
                }
                return value.left(maxChars).toString();
            }
        }
        if (lineEnd >= text.size())
            break;
        lineStart = lineEnd + 1;
        if (text[lineEnd] == u'\r' && lineStart < text.size() && text[lineStart] == u'\n')
            ++lineStart;
    }
    return {};
}

QString Config::language()
{
    return read(LanguageKey);
}
bool Config::setLanguage(const QString &name)
{
    return write(LanguageKey, name);
}

QString Config::articlesNumber()
{
    const QString value = read(ArticlesNumberKey);
    return value.isEmpty() ? u"2"_s : value;
}
bool Config::setArticlesNumber(const QString &text)
{
    return write(ArticlesNumberKey, text);
}

bool Config::alwaysDisplaySourceArticle()
{
    return readNumber(AlwaysDisplaySourceKey, 0) != 0;
}
bool Config::setAlwaysDisplaySourceArticle(bool on)
{
    return writeFlag(AlwaysDisplaySourceKey, on);
}

bool Config::protectNames()
{
    // Written only once the user changes it: the first start's file stays as it was.
    return ReadKeyValue(AppPaths::configFile(), ProtectNamesKey.toString()).trimmed() != u"0";
}
bool Config::setProtectNames(bool on)
{
    return writeFlag(ProtectNamesKey, on);
}

bool Config::useSystemLook()
{
    return ReadKeyValue(AppPaths::configFile(), UseSystemLookKey.toString()).trimmed() == u"1";
}
bool Config::setUseSystemLook(bool on)
{
    return writeFlag(UseSystemLookKey, on);
}

int Config::replaceDegree()
{
    return readNumber(ReplaceDegreeKey, 0);
}
bool Config::setReplaceDegree(int index)
{
    return write(ReplaceDegreeKey, QString::number(index));
}

QString Config::ignoreWords()
{
    return read(IgnoreWordsKey);
}
bool Config::setIgnoreWords(const QString &words)
{
    return write(IgnoreWordsKey, words);
}
QString Config::reservedWords()
{
    return read(ReservedWordsKey);
}
bool Config::setReservedWords(const QString &words)
{
    return write(ReservedWordsKey, words);
}

QString Config::wordsNumber()
{
    return read(WordsNumberKey);
}
bool Config::setWordsNumber(const QString &number)
{
    return write(WordsNumberKey, number);
}

QString Config::wordsFont()
{
    const QString face = read(WordsFontKey);
    return face.isEmpty() ? u"Times New Roman"_s : face;
}
bool Config::setWordsFont(const QString &face)
{
    return write(WordsFontKey, face);
}

int Config::wordsSize()
{
    return readNumber(WordsSizeKey, 12);
}
bool Config::setWordsSize(const QString &sizeText)
{
    return write(WordsSizeKey, sizeText);
}

bool Config::wordsBold()
{
    return readNumber(WordsBoldKey, 0) != 0;
}
bool Config::setWordsBold(bool on)
{
    return writeFlag(WordsBoldKey, on);
}
bool Config::wordsItalic()
{
    return readNumber(WordsItalicKey, 0) != 0;
}
bool Config::setWordsItalic(bool on)
{
    return writeFlag(WordsItalicKey, on);
}

quint32 Config::wordsColor()
{
    return quint32(readNumber(WordsColorKey, 0));
}
quint32 Config::replacedColor()
{
    return readColour(ReplacedColorKey, Blue);
}
quint32 Config::reservedColor()
{
    return readColour(ReservedColorKey, Red);
}
bool Config::setWordsColor(quint32 c)
{
    return write(WordsColorKey, QString::number(qint32(c)));
}
bool Config::setReplacedColor(quint32 c)
{
    return write(ReplacedColorKey, QString::number(qint32(c)));
}
bool Config::setReservedColor(quint32 c)
{
    return write(ReservedColorKey, QString::number(qint32(c)));
}

int Config::saveAllFormat()
{
    return readNumber(SaveAllFormatKey, 0);
}
bool Config::setSaveAllFormat(int format)
{
    return write(SaveAllFormatKey, QString::number(format));
}

Config::DialogValues Config::dialogValues()
{
    const QString text = TextFile::readUtf16(AppPaths::configFile());
    auto value = [&text](QStringView key) -> QString {
        const qsizetype at = text.indexOf(key);
        if (at < 0)
            return {};
        const qsizetype start = at + key.size();
        const qsizetype end = text.indexOf(CrLf, start);
        return end < 0 ? QString() : text.mid(start, end - start);
    };
    DialogValues values;
    values.articlesNumber = value(ArticlesNumberKey);
    values.ignoreWords = value(IgnoreWordsKey);
    values.reservedWords = value(ReservedWordsKey);
    if (const QString degree = value(ReplaceDegreeKey); !degree.isEmpty())
        values.replaceDegree = parseNumber(degree);
    values.alwaysDisplaySourceArticle = value(AlwaysDisplaySourceKey) == u"1";
    return values;
}

QString Config::updateUrl()
{
    return read(UpdateUrlKey);
}

QString Config::magicPageAddress()
{
    return read(MagicPageKey).trimmed();
}
bool Config::setMagicPageAddress(const QString &address)
{
    return write(MagicPageKey, address);
}

QString Config::magicConnectionCheckAddress()
{
    return read(MagicCheckKey).trimmed();
}
bool Config::setMagicConnectionCheckAddress(const QString &address)
{
    return write(MagicCheckKey, address);
}

QString Config::sourceDb()
{
    return profileString(AppPaths::configFile(), u"General Settings"_s, u"SourceDB"_s);
}
