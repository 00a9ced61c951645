// rewordix-cli: the engine of the desktop program from the command line.
#include "buildinfo.h"
#include "cli/cliutil.h"
#include "cli/dictionarycommands.h"
#include "cli/enginecommands.h"
#include "cli/updatecheck.h"
#include "cli/magiccommand.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

struct Command
{
    QString name;
    QString synopsis;
    std::function<int(const QStringList &args)> run;
};

QTextStream &out()
{
    return Cli::out();
}
QTextStream &err()
{
    return Cli::err();
}

const QList<Command> &commands();
int help(const QStringList &args);

void printUsage(QTextStream &to)
{
    to << "Usage: rewordix-cli COMMAND [ARGUMENTS]\n"
          "       rewordix-cli --help | --version\n\n"
          "Commands:\n";
    for (const Command &c : commands())
        to << "  " << c.synopsis << '\n';
    to << "\nOptions:\n"
          "  -h, --help     show this help and exit\n"
          "  -v, --version  show the version and exit\n";
    to.flush();
}

const QList<Command> &commands()
{
    static const QList<Command> list = {
        {u"tag"_s, u"tag WORD... [--json] each word and its inflection tag"_s,
         DictionaryCommands::tag},
        {u"synonyms"_s, u"synonyms WORD...     each word's synonyms by part of speech (--json)"_s,
         DictionaryCommands::synonyms},
        {u"inflect"_s, u"inflect WORD TAG     the word bent by TAG (sp, pp, ip, pl, tp, if)"_s,
         DictionaryCommands::inflect},
        {u"phrase"_s, u"phrase \"TEXT\"        phrase status: 1 longer phrase exists, 2 entry"_s,
         DictionaryCommands::phrase},
        {u"dict-info"_s,
         u"dict-info [OPT]      the dictionary in use and its entry count (--plans, --json)"_s,
         DictionaryCommands::info},
        {u"analyse"_s, QString::fromLatin1(AnalyseSynopsis), runAnalyseCommand},
        {u"spin"_s, QString::fromLatin1(SpinSynopsis), runSpinCommand},
        {u"template"_s, QString::fromLatin1(TemplateSynopsis), runTemplateCommand},
        {u"resolve"_s, QString::fromLatin1(ResolveSynopsis), runResolveCommand},
        {u"update-check"_s,
         u"update-check [--url URL]\n                       this version against the published one"_s,
         runUpdateCheckCommand},
        {u"magic"_s, QString::fromLatin1(MagicSynopsis), runMagicCommand},
        {u"help"_s, u"help [COMMAND]       show this help, or the command's own"_s, help},
    };
    return list;
}

const Command *findCommand(const QString &name)
{
    for (const Command &c : commands()) {
        if (c.name == name)
            return &c;
    }
    return nullptr;
}

// Every command describes its own options.
int help(const QStringList &args)
{
    if (args.isEmpty()) {
        printUsage(out());
        return 0;
    }
    const Command *command = findCommand(args.first());
    if (!command) {
        err() << "rewordix-cli help: unknown command '" << args.first() << "'\n";
        return 2;
    }
    if (command->name != u"help")
        return command->run({u"--help"_s});
    out() << "Usage: rewordix-cli " << command->synopsis << '\n';
    out().flush();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Only a Magic Rewrite on a web page needs the GUI application that its
    // browser engine runs in; it never opens a window.
    QStringList rawArgs;
    for (int i = 2; i < argc; ++i)
        rawArgs.append(QString::fromLocal8Bit(argv[i]));
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && qstrcmp(argv[1], "magic") == 0 && magicNeedsGui(rawArgs)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(u"rewordix-cli"_s);
    QCoreApplication::setApplicationVersion(QString::fromUtf8(BuildInfo::Version));

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        printUsage(err());
        return 2;
    }
    const QString first = args.takeFirst();
    if (first == u"--help" || first == u"-h") {
        printUsage(out());
        return 0;
    }
    if (first == u"--version" || first == u"-v") {
        out() << "rewordix-cli " << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    if (const Command *command = findCommand(first)) {
        if (command->name != u"help" &&
            (args == QStringList{u"--help"_s} || args == QStringList{u"-h"_s}))
            return help({first});
        return command->run(args);
    }
    err() << "rewordix-cli: unknown command '" << first << "' (see rewordix-cli --help)\n";
    return 2;
}
