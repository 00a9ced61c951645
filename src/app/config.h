#pragma once

#include <QString>

#include <optional>

// Config.ini: one UTF-16 text in which a key is found by plain, case-sensitive
// substring search and its value runs to the end of the line. Nothing is
// cached: every read opens the file again and every change rewrites it whole.

// The value after the first occurrence of key (which includes its "=") up to
// the next CR LF or the end of the text; empty when the file or the key is
// missing, or the key is empty.
[[nodiscard]] QString ReadKeyValue(const QString &path, const QString &key);

// Replaces the value after the first occurrence of key, or appends
// key + value + CR LF. The value ends at the first CR LF after the key, else the
// first lone CR, else the first lone LF; with no line end at all the rest of the
// text is replaced and a CR LF added. A missing file is created without a
// byte-order mark. Returns false when the file cannot be written.
bool WriteConfigValue(const QString &path, const QString &key, const QString &value);
// The same on Config.ini in the working folder.
bool WriteConfigValue(const QString &key, const QString &value);

// The typed settings of Config.ini. Each reader applies the fallback the
// program assumes when the value is empty or missing; each writer writes the
// value the way the program stores it.
namespace Config {

// The number rule of every numeric value: optional leading blanks, an optional
// sign, the leading decimal digits; 0 when there are no digits.
[[nodiscard]] int parseNumber(QStringView text);

// "Enable Optimization=1" anywhere in the raw text, even inside another value.
[[nodiscard]] bool optimizationEnabled(const QString &path);
[[nodiscard]] bool optimizationEnabled();

// Reads key of [section] the way an INI profile reader does: section and key
// names without regard to case, blanks around them and around the value trimmed,
// one pair of enclosing quotes removed, at most maxChars characters.
[[nodiscard]] QString profileString(const QString &path, const QString &section, const QString &key,
                                    int maxChars = 1023);

// Interface language: a language file's display name; empty until chosen.
[[nodiscard]] QString language();
bool setLanguage(const QString &name);

[[nodiscard]] QString articlesNumber(); // text of the articles-number box; "2" when empty
bool setArticlesNumber(const QString &text);
[[nodiscard]] bool alwaysDisplaySourceArticle();
bool setAlwaysDisplaySourceArticle(bool on);
// Names, links, code and quantities are left as written; on unless "0".
[[nodiscard]] bool protectNames();
bool setProtectNames(bool on);
// The platform style and the window manager's frames instead of the skin;
// off unless "1". Read once at start-up.
[[nodiscard]] bool useSystemLook();
bool setUseSystemLook(bool on);
[[nodiscard]] int replaceDegree(); // 0 "Topmost" .. 5 "Very Low"
bool setReplaceDegree(int index);
[[nodiscard]] QString ignoreWords();
bool setIgnoreWords(const QString &words);
[[nodiscard]] QString reservedWords();
bool setReservedWords(const QString &words);
[[nodiscard]] QString wordsNumber(); // cached dictionary entry count; empty: count again
bool setWordsNumber(const QString &number);

[[nodiscard]] QString wordsFont(); // "Times New Roman" when empty
bool setWordsFont(const QString &face);
[[nodiscard]] int wordsSize(); // points; 12 when empty
bool setWordsSize(const QString &sizeText);
[[nodiscard]] bool wordsBold();
bool setWordsBold(bool on);
[[nodiscard]] bool wordsItalic();
bool setWordsItalic(bool on);

// Colours are Windows colour references, 0x00BBGGRR.
[[nodiscard]] quint32 wordsColor();    // 0 (black) when empty
[[nodiscard]] quint32 replacedColor(); // blue when empty or 0
[[nodiscard]] quint32 reservedColor(); // red when empty or 0
bool setWordsColor(quint32 colorRef);
bool setReplacedColor(quint32 colorRef);
bool setReservedColor(quint32 colorRef);

[[nodiscard]] int saveAllFormat(); // 0 text files, 1 one zip archive
bool setSaveAllFormat(int format);

// The values the settings dialog opens with, read by its own rule: a value
// counts only when it is not empty and a CR LF follows it.
struct DialogValues
{
    QString articlesNumber;
    QString ignoreWords;
    QString reservedWords;
    std::optional<int> replaceDegree;
    bool alwaysDisplaySourceArticle = false; // the value is exactly "1"
};
[[nodiscard]] DialogValues dialogValues();

// The folder that publishes update.ini and update.html; empty when missing,
// and then the address chosen at build time applies.
[[nodiscard]] QString updateUrl();

// Magic Rewrite: the translation page's address (empty: the offline
// translator) and the address whose answer shows that the network is up
// (empty: no check). Neither is in the Config.ini written at first start.
[[nodiscard]] QString magicPageAddress();
bool setMagicPageAddress(const QString &address);
[[nodiscard]] QString magicConnectionCheckAddress();
bool setMagicConnectionCheckAddress(const QString &address);

// The dictionary file of maintenance mode, read from [General Settings].
[[nodiscard]] QString sourceDb();

} // namespace Config
