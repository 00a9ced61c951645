#include "cli/dictionarycommands.h"

#include "cli/cliutil.h"
#include "dictionary/programdictionary.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <sqlite3.h>

using namespace Qt::Literals::StringLiterals;

namespace {

int fail(const QString &command, const QString &why, int code = 1)
{
    Cli::err() << "rewordix-cli " << command << ": " << why << '\n';
    Cli::err().flush();
    return code;
}

// What every dictionary command takes besides its own arguments.
struct Invocation
{
    QString command;
    QStringList arguments;
    QString dictionary; // --dictionary: a file instead of the program's own
    bool json = false;
    bool plans = false;
};

struct CommandShape
{
    const char *arguments;   // "WORD..." for the help text
    const char *description; // one line
    qsizetype minArguments = 1;
    qsizetype maxArguments = -1; // -1: any number
    bool json = false;
    bool plans = false;
};

// Parses args for command: nullopt to go on, else the exit code (0 after --help).
std::optional<int> parse(const QString &command, const QStringList &args, const CommandShape &shape,
                         Invocation &call)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(shape.description));
    parser.addPositionalArgument(QString::fromLatin1(shape.arguments), {});
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"show this help"_s);
    const QCommandLineOption dictionary(u"dictionary"_s, u"the dictionary file to use"_s, u"DB"_s);
    const QCommandLineOption json(u"json"_s, u"machine-readable output (see README)"_s);
    const QCommandLineOption plans(u"plans"_s, u"how SQLite runs each lookup statement"_s);
    parser.addOption(help);
    parser.addOption(dictionary);
    if (shape.json)
        parser.addOption(json);
    if (shape.plans)
        parser.addOption(plans);
    if (!parser.parse(QStringList{u"rewordix-cli "_s + command} + args))
        return fail(command, parser.errorText(), 2);
    if (parser.isSet(help)) {
        Cli::out() << Cli::helpText(parser, command);
        Cli::out().flush();
        return 0;
    }
    call.command = command;
    call.arguments = parser.positionalArguments();
    call.dictionary = parser.value(dictionary);
    call.json = shape.json && parser.isSet(json);
    call.plans = shape.plans && parser.isSet(plans);
    const qsizetype n = call.arguments.size();
    if (n < shape.minArguments || (shape.maxArguments >= 0 && n > shape.maxArguments))
        return fail(
            command,
            u"usage: rewordix-cli %1 %2"_s.arg(command, QString::fromLatin1(shape.arguments)), 2);
    return std::nullopt;
}

// Opens the dictionary the desktop program would open, or the --dictionary
// file; reports why not.
std::unique_ptr<Dictionary> openDictionary(const Invocation &call)
{
    QString why;
    if (!call.dictionary.isEmpty()) {
        if (!QFileInfo::exists(call.dictionary)) {
            fail(call.command, u"the dictionary %1 does not exist"_s.arg(call.dictionary));
            return nullptr;
        }
        auto dictionary = Dictionary::open(call.dictionary, true, false, &why);
        if (!dictionary)
            fail(call.command, why);
        return dictionary;
    }
    Cli::initialisePaths();
    ProgramDictionary opened = openProgramDictionary();
    if (!opened.isOpen()) {
        why = opened.failureText();
        if (why.isEmpty())
            why = opened.messageNumber == 1 ? u"no dictionary at "_s + opened.path : opened.error;
        fail(call.command, why);
        return nullptr;
    }
    return std::move(opened.dictionary);
}

// A lookup that failed in SQLite reads as "not found"; the command must not
// print that as an answer.
bool lookupFailed(const Invocation &call, Dictionary &dictionary)
{
    const QString why = dictionary.lastError();
    if (why.isEmpty())
        return false;
    fail(call.command, dictionary.path() + u": the dictionary cannot be read: "_s + why);
    return true;
}

void printJson(const QJsonObject &object)
{
    Cli::out() << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
    Cli::out().flush();
}

QJsonArray stringArray(const QStringList &items)
{
    QJsonArray array;
    for (const QString &item : items)
        array.append(item);
    return array;
}

// An InflectionTag as data: "" (the word is a headword), "not_exist", or
// forms ":" bases, each "|"-joined.
QJsonObject tagObject(const QString &word, const QString &tag)
{
    const qsizetype colon = tag.indexOf(u':');
    const QStringList forms = colon < 0 ? QStringList() : tag.left(colon).split(u'|');
    const QStringList bases = colon < 0 ? QStringList() : tag.mid(colon + 1).split(u'|');
    return {{u"word"_s, word},
            {u"tag"_s, tag},
            {u"known"_s, tag != u"not_exist"},
            {u"forms"_s, stringArray(forms)},
            {u"bases"_s, stringArray(bases)}};
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

} // namespace

int DictionaryCommands::tag(const QStringList &args)
{
    Invocation call;
    if (const auto code =
            parse(u"tag"_s, args,
                  {"WORD...", "Prints each word and its inflection tag.", 1, -1, true}, call))
        return *code;
    auto dictionary = openDictionary(call);
    if (!dictionary)
        return 1;
    QJsonArray words;
    QString lines;
    for (const QString &word : std::as_const(call.arguments)) {
        const QString tag = dictionary->inflectionTag(word);
        if (call.json)
            words.append(tagObject(word, tag));
        else
            lines += word + u'\t' + tag + u'\n';
    }
    if (lookupFailed(call, *dictionary))
        return 1;
    if (call.json)
        printJson({{u"words"_s, words}});
    else
        Cli::out() << lines;
    Cli::out().flush();
    return 0;
}

int DictionaryCommands::synonyms(const QStringList &args)
{
    Invocation call;
    if (const auto code =
            parse(u"synonyms"_s, args,
                  {"WORD...", "Prints each word's synonyms by part of speech.", 1, -1, true}, call))
        return *code;
    auto dictionary = openDictionary(call);
    if (!dictionary)
        return 1;
    QJsonArray words;
    QString lines;
    for (const QString &word : std::as_const(call.arguments)) {
        if (!call.json) {
            lines += dictionary->synonyms(word) + u'\n';
            continue;
        }
        QJsonArray senses;
        for (const Dictionary::Row &row : dictionary->rowsOf(word))
            senses.append(QJsonObject{
                {u"type"_s, row.type},
                {u"synonyms"_s, stringArray(row.synonyms.split(u',', Qt::SkipEmptyParts))}});
        words.append(QJsonObject{{u"word"_s, word}, {u"senses"_s, senses}});
    }
    if (lookupFailed(call, *dictionary))
        return 1;
    if (call.json)
        printJson({{u"words"_s, words}});
    else
        Cli::out() << lines;
    Cli::out().flush();
    return 0;
}

int DictionaryCommands::inflect(const QStringList &args)
{
    Invocation call;
    if (const auto code = parse(
            u"inflect"_s, args,
            {"WORD TAG", "Prints the word bent by TAG (sp, pp, ip, pl, tp, if).", 2, 2}, call))
        return *code;
    auto dictionary = openDictionary(call);
    if (!dictionary)
        return 1;
    // A phrase bends at its head, as in the popup: "tear down" sp gives "tore
    // down"; under "pl" it is a noun phrase.
    const QString &word = call.arguments[0];
    const QString &tag = call.arguments[1];
    const QString form = word.contains(u' ')
                             ? dictionary->inflectPhraseHead(word, tag, tag != u"pl")
                             : dictionary->inflect(word, tag);
    if (lookupFailed(call, *dictionary))
        return 1;
    Cli::out() << form << '\n';
    Cli::out().flush();
    return 0;
}

int DictionaryCommands::phrase(const QStringList &args)
{
    Invocation call;
    if (const auto code =
            parse(u"phrase"_s, args,
                  {"TEXT", "Prints the phrase status: 1 a longer phrase exists, 2 an entry.", 1, 1},
                  call))
        return *code;
    auto dictionary = openDictionary(call);
    if (!dictionary)
        return 1;
    const int status = dictionary->phraseStatus(call.arguments.first());
    if (lookupFailed(call, *dictionary))
        return 1;
    Cli::out() << status << '\n';
    Cli::out().flush();
    return 0;
}

int DictionaryCommands::info(const QStringList &args)
{
    Invocation call;
    if (const auto code =
            parse(u"dict-info"_s, args,
                  {"", "Prints the dictionary in use, its entry count and the build report.", 0, 0,
                   true, true},
                  call))
        return *code;
    auto dictionary = openDictionary(call);
    if (!dictionary)
        return 1;
    const QString path = dictionary->path();
    const qint64 count = dictionary->countEntries();
    if (count < 0)
        return fail(call.command, u"cannot count the entries of "_s + path);
    const QList<std::pair<QString, qint64>> report = buildReport(path);
    const QStringList plans = call.plans ? dictionary->queryPlans() : QStringList();
    if (call.json) {
        QJsonArray reasons;
        for (const auto &[reason, number] : report)
            reasons.append(QJsonObject{{u"reason"_s, reason}, {u"count"_s, number}});
        QJsonObject object{{u"file"_s, path},
                           {u"scrambled"_s, dictionary->scrambled()},
                           {u"entries"_s, count},
                           {u"buildReport"_s, reasons}};
        if (call.plans)
            object.insert(u"plans"_s, stringArray(plans));
        printJson(object);
        return 0;
    }
    Cli::out() << "file: " << path << '\n'
               << "synonyms: " << (dictionary->scrambled() ? "scrambled" : "plain") << '\n'
               << "entries: " << count << '\n';
    // Grouped by what the build did ("kept", "synonym dropped", ...), each
    // group's lines aligned.
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
    for (const QString &plan : plans)
        Cli::out() << "plan: " << plan << '\n';
    Cli::out().flush();
    return 0;
}
