#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <atomic>
#include <optional>

// Set while an auto-rewrite run is in progress; Search Phrase, Auto-rewrite and
// Magic Rewrite refuse to start meanwhile.
extern std::atomic<bool> g_bAutoRewriting;

// Display rules of the main window and its dialogs that need no screen: where
// the caret and the find dialog go by the word rule, the captions that keep
// their figures across a language switch, the first-start language choice and
// the visibility rules of the two modes.
namespace MainWindowLogic {

// Where the arrow keys put the caret in the operated editor: the start of the
// nearest word beginning after (forward) or before (backward) the caret;
// nullopt when there is no such word.
[[nodiscard]] std::optional<int> neighbouringWordStart(QStringView text, int caret, bool forward);

// The first whole-word, case-sensitive occurrence of needle at or after from.
// A hit counts when the characters on both sides are not word characters (nor
// other letters or digits); a hit that does not count resumes the search at its
// end plus one. -1 when there is none.
[[nodiscard]] int findWholeWord(QStringView text, QStringView needle, int from);

// A caption's text up to and including its first ":"; the whole caption when
// it has none.
[[nodiscard]] QString captionPrefix(QStringView caption);
// header followed by what stands after the first ":" of current: the figures
// of the words button and the statistics labels survive a language switch.
[[nodiscard]] QString keepFigures(const QString &header, QStringView current);

// The Windows language id of a locale, as far as the first-start choice needs
// it: the Chinese, German and Japanese variants; 0 for any other.
[[nodiscard]] int windowsLanguageId(const QString &localeName);
// The display name chosen at the first start for a system language id, given
// which language files exist (by stem, e.g. "German").
[[nodiscard]] QString firstStartLanguage(int languageId, const QList<QString> &existingStems);

enum class Mode
{
    Manual = 0,
    Auto = 1
};

// The select-all box is shown in the auto mode only when the article list
// holds more than five rows.
[[nodiscard]] bool selectAllBoxVisible(Mode mode, int listRows);

// The text of the words button: header followed by the entry count.
[[nodiscard]] QString wordsButtonText(const QString &header, const QString &count);

// Menu captions use "&&" for a literal "&" and "&" for the access key, as Qt does;
// a tab separates the shortcut column the language files align with blanks.
[[nodiscard]] QString menuText(const QString &languageText);

// A menu-bar title with an access key for Alt: a title that has one ("&File")
// keeps it; otherwise the first ASCII letter or digit not yet in taken gets
// the mark (none for a title without one). The key chosen is added to taken (lower case).
[[nodiscard]] QString withAccessKey(const QString &title, QString *taken);

// The article amount typed or chosen for Auto-rewrite: digits only, blanks
// around them allowed, at least 1; nullopt for anything else ("abc", "0",
// "-3", "l0", "8x").
[[nodiscard]] std::optional<int> parseArticleAmount(QStringView text);

// The address a Help command opens: a configured address with a scheme
// (https:, mailto:) as it is, anything else as a file below programDir, so
// that "handbook/index.html#faq" names the handbook beside the program.
// An empty address gives an invalid URL.
[[nodiscard]] QUrl helpAddress(const QString &configured, const QString &programDir);

// Whether leaving the article in the editor needs the user's word: it has
// text and changed since it was loaded or saved. Generated articles on show
// are written back as they change and never need it.
[[nodiscard]] bool needsSaveQuestion(bool modified, bool empty, bool showingGeneratedArticle);

} // namespace MainWindowLogic
