#include "cli/dictionarycommands.h"

#include "cli/cliutil.h"
#include "dictionary/dictionary.h"

#include <QCommandLineParser>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>
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
    bool scrambled = true;
    std::unique_ptr<Dictionary> dictionary = Cli::openDictionary(call.dictionary, &scrambled, &why);
    if (!dictionary)
        fail(call.command, why);
    return dictionary;
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

// Runs a lookup command: look fills the text to print, or the JSON object
// under --json, which is printed only when no lookup failed in SQLite.
int runLookup(const QString &command, const QStringList &args, const CommandShape &shape,
              const std::function<void(Dictionary &, const Invocation &, QString *text,
                                       QJsonObject *json)> &look)
{
    Invocation call;
    if (const auto code = parse(command, args, shape, call))
        return *code;
    auto dictionary = openDictionary(call);
    if (!dictionary)
        return 1;
    QString text;
    QJsonObject json;
    look(*dictionary, call, &text, &json);
    if (lookupFailed(call, *dictionary))
        return 1;
    if (call.json)
        printJson(json);
    else
        Cli::out() << text;
    Cli::out().flush();
    return 0;
}

// A command that answers each WORD argument: a line each, or under --json
// {"words": [...]} with an object each.
int runWordLookup(const QString &command, const QStringList &args, const char *description,
                  const std::function<void(Dictionary &, const QString &word, QString *line,
                                           QJsonObject *json)> &look)
{
    return runLookup(
        command, args, {"WORD...", description, 1, -1, true},
        [&](Dictionary &dictionary, const Invocation &call, QString *text, QJsonObject *json) {
            QJsonArray words;
            for (const QString &word : std::as_const(call.arguments)) {
                QString line;
                QJsonObject object;
                look(dictionary, word, call.json ? nullptr : &line, call.json ? &object : nullptr);
                if (call.json)
                    words.append(object);
                else
                    *text += line + u'\n';
            }
            json->insert(u"words"_s, words);
        });
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
    return runWordLookup(
        u"tag"_s, args, "Prints each word and its inflection tag.",
        [](Dictionary &dictionary, const QString &word, QString *line, QJsonObject *json) {
            const QString tag = dictionary.inflectionTag(word);
            if (json)
                *json = tagObject(word, tag);
            else
                *line = word + u'\t' + tag;
        });
}

int DictionaryCommands::synonyms(const QStringList &args)
{
    return runWordLookup(
        u"synonyms"_s, args, "Prints each word's synonyms by part of speech.",
        [](Dictionary &dictionary, const QString &word, QString *line, QJsonObject *json) {
            if (!json) {
                *line = dictionary.synonyms(word);
                return;
            }
            QJsonArray senses;
            for (const Dictionary::Row &row : dictionary.rowsOf(word))
                senses.append(QJsonObject{
                    {u"type"_s, row.type},
                    {u"synonyms"_s, stringArray(row.synonyms.split(u',', Qt::SkipEmptyParts))}});
            *json = {{u"word"_s, word}, {u"senses"_s, senses}};
        });
}

int DictionaryCommands::inflect(const QStringList &args)
{
    return runLookup(
        u"inflect"_s, args,
        {"WORD TAG", "Prints the word bent by TAG (sp, pp, ip, pl, tp, if).", 2, 2},
        [](Dictionary &dictionary, const Invocation &call, QString *text, QJsonObject *) {
            // A phrase bends at its head, as in the popup: "tear down" sp
            // gives "tore down"; under "pl" it is a noun phrase.
            const QString &word = call.arguments[0];
            const QString &tag = call.arguments[1];
            *text = (word.contains(u' ') ? dictionary.inflectPhraseHead(word, tag, tag != u"pl")
                                         : dictionary.inflect(word, tag)) +
                    u'\n';
        });
}

int DictionaryCommands::phrase(const QStringList &args)
{
    return runLookup(
        u"phrase"_s, args,
        {"TEXT", "Prints the phrase status: 1 a longer phrase exists, 2 an entry.", 1, 1},
        [](Dictionary &dictionary, const Invocation &call, QString *text, QJsonObject *) {
            *text = QString::number(dictionary.phraseStatus(call.arguments.first())) + u'\n';
        });
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
