#include "cli/dictionarycommands.h"

#include "cli/cliutil.h"
#include "dictionary/programdictionary.h"

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
    if (plans) {
        for (const QString &plan : dictionary->queryPlans())
            Cli::out() << "plan: " << plan << '\n';
    }
    Cli::out().flush();
    return 0;
}
