#pragma once

#include "app/apppaths.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>

// One WordEntry line of temp.dat: "[" start "," end "]" text "(" tag ")"
// alternatives, without its CR LF.
struct StoreEntry
{
    qsizetype lineStart = 0; // position of the line in the store text
    qsizetype lineEnd = 0;   // end of the line, before its CR LF
    qint64 start = 0;
    qint64 end = 0;
    QString text;
    QString tag;
    QString alternatives;
    bool hasTag = false; // the line holds "(" ... ")"

    // The lookup key: the base form after the tag's first colon when the tag
    // has one, otherwise the text.
    [[nodiscard]] QString key() const;
};

// The start and end of an entry's span; 0 where a number is missing.
struct EntrySpan
{
    qint64 start = 0;
    qint64 end = 0;
    friend bool operator==(const EntrySpan &, const EntrySpan &) = default;
};

// A store file written in pieces, for a store too large to hold twice: the
// text goes into path + suffix, which commit() renames over path, all or
// nothing as writeStore. A writer destroyed before commit() removes its file.
class StoreWriter
{
public:
    StoreWriter(const QString &path, bool scrambled, const QString &suffix);
    ~StoreWriter();
    Q_DISABLE_COPY_MOVE(StoreWriter)

    bool open(QString *error = nullptr);
    void append(QStringView text);
    bool commit(QString *error = nullptr);

private:
    bool writeUnits(qsizetype count);

    QString m_path;
    QFile m_file;
    bool m_scrambled;
    QString m_buffer;
    QString m_why; // the first failure; later writes are skipped
    bool m_committed = false;
};

// The working store: temp.dat (WordEntry lines, scrambled in scrambled mode),
// replacedtemp.dat (ReplacementRecord lines, never scrambled) and the folder of
// generated articles. Both files are UTF-16LE without mark, lines end with CR LF.
namespace Store {

inline constexpr QStringView LineEnd = u"\r\n";

// Calls use(line) for each line of text without its CR LF, and stops as soon
// as use returns false; false when it stopped early.
template<typename Use> bool forEachLineIn(QStringView text, Use &&use)
{
    for (qsizetype from = 0; from < text.size();) {
        qsizetype end = text.indexOf(LineEnd, from);
        if (end < 0)
            end = text.size();
        if (!use(text.mid(from, end - from)))
            return false;
        from = end + LineEnd.size();
    }
    return true;
}

// The whole file; empty when it is missing or unreadable. scrambled undoes the
// StoreScrambler transform (temp.dat in scrambled mode only).
[[nodiscard]] QString readStore(const QString &path, bool scrambled = false);
// Calls use(line, terminated) for each line of the file, read in pieces,
// without its CR LF (terminated: there was one). False with the reason when
// the file cannot be read.
bool forEachLine(const QString &path, bool scrambled,
                 const std::function<void(QStringView line, bool terminated)> &use,
                 QString *error = nullptr);
// Replaces the file with text, all or nothing.
bool writeStore(const QString &path, const QString &text, bool scrambled = false,
                QString *error = nullptr);
bool truncateStore(const QString &path, QString *error = nullptr);

// text with every before replaced by after, in one pass: QString::replace
// moves the whole tail once per 1024 hits, which is quadratic on a large store.
[[nodiscard]] QString replacedAll(QStringView text, QStringView before, QStringView after);

// Empties folder: files are deleted and subfolders emptied and removed; names
// beginning with "." are left alone, symbolic links are removed, never followed.
// The folder itself stays. Failures are ignored.
void DeleteFolderContents(const QString &folder);

// Position of the first "]" + text + "(" in store, or -1.
[[nodiscard]] qsizetype findEntry(QStringView store, QStringView text);
// The lookup key of an entry line (see StoreEntry::key).
[[nodiscard]] QString entryKey(QStringView line);
[[nodiscard]] EntrySpan entrySpan(QStringView line);
// The number of entry lines (parseEntries(store).size()), without parsing them.
[[nodiscard]] qsizetype entryCount(QStringView store);
// The entry lines of a store text, in order; empty lines are skipped.
[[nodiscard]] QList<StoreEntry> parseEntries(QStringView store);
[[nodiscard]] StoreEntry parseEntry(QStringView line);
// "[" start "," end "]" text "(" tag ")" alternatives CR LF.
[[nodiscard]] QString formatEntry(qint64 start, qint64 end, QStringView text, QStringView tag,
                                  QStringView alternatives = {});

// The original text of a replacement or alternatives group (key "{a|b}") from
// replacedtemp.dat, which is created when missing. Without a record: the first
// alternative of a group key, else the key itself.
[[nodiscard]] QString originalOf(const QString &key,
                                 const QString &replacedPath = AppPaths::replacedStoreFile());
[[nodiscard]] QString originalIn(QStringView records, const QString &key);
// True when the record of group "{" groupText "}" names alternative as its original.
[[nodiscard]] bool isOriginal(const QString &groupText, const QString &alternative,
                              const QString &replacedPath = AppPaths::replacedStoreFile());
[[nodiscard]] bool isOriginalIn(QStringView records, QStringView groupText,
                                QStringView alternative);

// Product of the alternative counts of every group in replacedtemp.dat; 1 for
// no group, -1 as soon as it exceeds 65535.
[[nodiscard]] int countCombinations(const QString &replacedPath = AppPaths::replacedStoreFile());
[[nodiscard]] int countCombinationsIn(QStringView records);
inline constexpr int CombinationsCap = 0xFFFF;

// Alternatives of a group's inner text "a|b|c": the count ("|" + 1, 0 when
// empty) and the n-th one, 1-based (empty when out of range).
[[nodiscard]] int countAlternatives(QStringView groupText);
[[nodiscard]] QString alternativeAt(QStringView groupText, int n);

} // namespace Store
