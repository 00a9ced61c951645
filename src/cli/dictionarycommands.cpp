#include "cli/dictionarycommands.h"

#include "cli/cliutil.h"
#include "dictionary/programdictionary.h"

#include <QFile>

#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Opens the dictionary the desktop program would open; reports why not.
std::unique_ptr<Dictionary> openDictionary(QString *pathInUse = nullptr)
{
    Cli::initialisePaths();
    ProgramDictionary opened = openProgramDictionary();
    if (!opened.isOpen()) {
        QString why = opened.failureText();
        if (why.isEmpty())
            why = opened.messageNumber == 1 ? u"no dictionary at "_s + opened.path : opened.error;
        Cli::err() << "rewordix-cli: " << why << '\n';
        Cli::err().flush();
        return nullptr;
    }
    if (pathInUse)
        *pathInUse = opened.path;
    return std::move(opened.dictionary);
}

// The builder's report stored in the file (table BuildReport: Reason, Count),
// in the order written; empty for a file without one, such as one made in the
// word-library editor.
QList<std::pair<QString, qint64>> buildReport(const QString &path)
{
    QList<std::pair<QString, qint64>> report;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt *query = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT Reason, Count FROM BuildReport ORDER BY rowid", -1,
                               &query, nullptr) == SQLITE_OK) {
            while (sqlite3_step(query) == SQLITE_ROW)
                report.append({QString::fromUtf8(
                                   reinterpret_cast<const char *>(sqlite3_column_text(query, 0))),
                               sqlite3_column_int64(query, 1)});
        }
        sqlite3_finalize(query);
    }
    sqlite3_close(db);
    return report;
}

int usage(const char *text)
{
    Cli::err() << "usage: rewordix-cli " << text << '\n';
    Cli::err().flush();
    return 2;
}

} // namespace

int DictionaryCommands::tag(const QStringList &args)
{
    if (args.isEmpty())
        return usage("tag WORD...");
    auto dictionary = openDictionary();
    if (!dictionary)
        return 1;
    for (const QString &word : args)
        Cli::out() << word << '\t' << dictionary->inflectionTag(word) << '\n';
    Cli::out().flush();
    return 0;
}

int DictionaryCommands::synonyms(const QStringList &args)
{
    if (args.size() != 1)
        return usage("synonyms WORD");
    auto dictionary = openDictionary();
    if (!dictionary)
        return 1;
    Cli::out() << dictionary->synonyms(args.first()) << '\n';
    Cli::out().flush();
    return 0;
}

int DictionaryCommands::inflect(const QStringList &args)
{
    if (args.size() != 2)
        return usage("inflect WORD TAG   (TAG: sp, pp, ip, pl, tp, if)");
    auto dictionary = openDictionary();
    if (!dictionary)
        return 1;
    Cli::out() << dictionary->inflect(args[0], args[1]) << '\n';
    Cli::out().flush();
    return 0;
}

int DictionaryCommands::phrase(const QStringList &args)
{
    if (args.size() != 1)
        return usage("phrase \"TEXT\"");
    auto dictionary = openDictionary();
    if (!dictionary)
        return 1;
    Cli::out() << dictionary->phraseStatus(args.first()) << '\n';
    Cli::out().flush();
    return 0;
}

int DictionaryCommands::info(const QStringList &args)
{
    const bool plans = args.contains(u"--plans"_s);
    if (args.size() > (plans ? 1 : 0))
        return usage("dict-info [--plans]");
    QString path;
    auto dictionary = openDictionary(&path);
    if (!dictionary)
        return 1;
    const qint64 count = dictionary->countEntries();
    if (count < 0) {
        Cli::err() << "rewordix-cli: cannot count the entries of " << path << '\n';
        return 1;
    }
    Cli::out() << "file: " << path << '\n'
               << "synonyms: " << (dictionary->scrambled() ? "scrambled" : "plain") << '\n'
               << "entries: " << count << '\n';
    // Grouped by what the build did ("kept", "synonym dropped", ...), each
    // group's lines aligned.
    const QList<std::pair<QString, qint64>> report = buildReport(path);
    if (!report.isEmpty())
        Cli::out() << "build report:\n";
    QString group;
    for (const auto &[reason, number] : report) {
        const QString head = reason.section(u':', 0, 0);
        if (head != group) {
            group = head;
            Cli::out() << "  " << head << ":\n";
        }
        const QString what = reason.contains(u':') ? reason.section(u':', 1).trimmed() : reason;
        Cli::out() << "    " << qSetFieldWidth(10) << Qt::right << number << qSetFieldWidth(0)
                   << Qt::left << "  " << what << '\n';
    }
    if (plans) {
        for (const QString &plan : dictionary->queryPlans())
            Cli::out() << "plan: " << plan << '\n';
    }
    Cli::out().flush();
    return 0;
}
