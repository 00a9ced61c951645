#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <initializer_list>
#include <optional>
#include <utility>

// Interface texts come from Language/<stem>.ini (UTF-16LE, CR LF), read anew
// for every text shown. Keys are found by plain, case-sensitive search for
// "\r\n" + key + "=", so they only match at line starts.

// The whole text of the language file of a display name ("Deutsch -- German"
// gives Language/German.ini). When that file is missing the English file is
// used and the current language name becomes "English"; with no English file
// either the result is empty and the name stays.
[[nodiscard]] QString LoadLanguageText(const QString &displayName);

// The text after key (given with its leading "\r\n" and trailing "=") up to
// the next CR LF, else lone CR, else lone LF, else the end; empty when absent.
[[nodiscard]] QString LookupText(QStringView key, QStringView text);

namespace Language {

inline constexpr int FirstCommand = 32800; // English
inline constexpr int LastCommand = 32829;

// The process-wide current language name (a display name).
[[nodiscard]] QString currentName();
void setCurrentName(const QString &displayName);

// Language/<stem>.ini for a display name: the part after " -- " when it occurs
// after the first character, else the whole name.
[[nodiscard]] QString filePathFor(const QString &displayName);

// "[Main Dialog]" up to the next "[" after its first two characters; empty when
// the header is missing or nothing follows it.
[[nodiscard]] QStringView mainDialogSection(QStringView text);
// From header (e.g. "[Tooltips]") to the end of the text; empty when missing.
[[nodiscard]] QStringView sectionFrom(QStringView text, QStringView header);

// The texts of the current language file from one section header on, read
// once for a dialog's captions.
class SectionTexts
{
public:
    explicit SectionTexts(QStringView header);
    // The value of key in the section; empty when missing.
    [[nodiscard]] QString operator()(QStringView key) const;
    // Each control's "text" property (labels, buttons, check boxes) set to
    // its key's value, unless the file has none.
    void apply(std::initializer_list<std::pair<QObject *, QStringView>> controls) const;

private:
    QString m_text;
    QStringView m_section;
};

// Text of key in the current language, looked up in the whole file.
[[nodiscard]] QString text(QStringView key);
// The text of "MessageBox_<number>", reading the file anew.
[[nodiscard]] QString messageText(int number);

enum class MenuIcon
{
    None,
    English,
    Chinese,
    Japanese,
    German,
    IconFile
};

struct MenuItem
{
    int command = 0;
    QString displayName;
    QString filePath;
    MenuIcon icon = MenuIcon::None;
    QString iconFile; // with MenuIcon::IconFile
};

// The Language menu: English first (FirstCommand) when English.ini exists, then
// every other *.ini in name order, numbered on from FirstCommand + 1 up to
// LastCommand. nullopt when the folder is missing ("No language file!").
[[nodiscard]] std::optional<QList<MenuItem>> menuItems();

// The display name a language command stands for; empty when none.
[[nodiscard]] QString nameForCommand(int command);

// Makes the language of command current: when its name differs from the
// stored one it is written to Config.ini and becomes the current name, and the
// result is true (the caller then re-applies the interface texts).
bool chooseLanguage(int command);

} // namespace Language
